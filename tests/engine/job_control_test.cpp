// Starting, watching and stopping jobs as the main window does, with a recording view.
#include "engine/job_control.h"

#include <gtest/gtest.h>

#include <deque>

#include "common/trace_log.h"
#include "engine/curl_fetcher.h"
#include "tests/engine/recorder.h"
#include "tests/helpers/http_server.h"

namespace vantrel {
namespace {

using testing::http_connection;
using testing::http_request;
using testing::http_server;
using namespace std::chrono_literals;

struct recording_view : job_view {
  std::mutex mutex;
  std::deque<std::pair<int, std::optional<std::string>>> posted;
  std::vector<std::string> texts;
  std::vector<int> progress, handled;
  int removed = 0, rebuilt = 0, cleared = 0, frozen = 0, next = 0, timer_stopped = 0;

  void set_status_text(const std::string& t) override { texts.push_back(t); }
  void set_progress(int p) override { progress.push_back(p); }
  void remove_progress() override { ++removed; }
  void rebuild_list() override { ++rebuilt; }
  void clear_source_list() override { ++cleared; }
  void freeze_source_list() override { ++frozen; }
  void next_site() override { ++next; }
  void stop_queue_timer() override { ++timer_stopped; }
  bool post_status(int code, std::optional<std::string> text) override {
    std::lock_guard lock(mutex);
    posted.emplace_back(code, std::move(text));
    return true;
  }

  // The user-interface thread's message loop: hands posted reports to the job control until
  // one with the given code was handled, or the time is up.
  bool pump_until(job_control& jc, int code, std::chrono::milliseconds limit = 10s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      std::optional<std::pair<int, std::optional<std::string>>> next_report;
      {
        std::lock_guard lock(mutex);
        if (!posted.empty()) {
          next_report = posted.front();
          posted.pop_front();
        }
      }
      if (!next_report) {
        std::this_thread::sleep_for(2ms);
        continue;
      }
      jc.on_status(next_report->first, next_report->second);
      handled.push_back(next_report->first);
      if (next_report->first == code) return true;
    }
    return false;
  }
  bool has_text_starting(const std::string& prefix) const {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
  }
};

struct controlled {
  testing::temp_dir dir;
  testing::recorder rec;
  recording_view view;
  curl_fetcher fetcher;
  job_control jc;
  controlled() : jc(view, rec.callbacks(), &fetcher) { jc.set_report_pause(0ms); }
  void wait_idle() {
    for (int i = 0; i < 1000 && jc.busy(); ++i) std::this_thread::sleep_for(5ms);
  }
};

TEST(JobControl, StatusTexts) {
  EXPECT_EQ(status_text(pst_finding_site, "Gazette", 0, -1), "Finding site \"Gazette\"");
  EXPECT_EQ(status_text(pst_sending_request, "Gazette", 0, -1), "Sending request for \"Gazette\"");
  EXPECT_EQ(status_text(pst_waiting_reply, "Gazette", 0, -1), "\"Gazette\" found, waiting for reply...");
  EXPECT_EQ(status_text(pst_retrieving, "Gazette", 512, -1), "Retrieving \"Gazette\" (512 bytes)...");
  EXPECT_EQ(status_text(pst_retrieving, "Gazette", 512, 2048), "Retrieving \"Gazette\" (512 of 2048 bytes)...");
  EXPECT_EQ(status_text(pst_retrieving, "100%s", 1, 2), "Retrieving \"100%s\" (1 of 2 bytes)...");
  EXPECT_EQ(status_text(pst_parsing, "x", 0, -1), "");
}

TEST(JobControl, ALocalDocumentJobEndsWithOneRebuild) {
  controlled c;
  std::string pd = c.dir.write("s.xml", testing::one_section("<start><div/></start><headline><a/></headline>"));
  std::string page = c.dir.write("p.html", "<div><a href='/1'>One</a></div>");
  ASSERT_TRUE(c.jc.process_parsedef(pd, page));
  EXPECT_TRUE(c.jc.job_running());
  EXPECT_FALSE(c.jc.can_start());
  EXPECT_TRUE(c.jc.stop_enabled());
  ASSERT_TRUE(c.view.pump_until(c.jc, pst_parsing_done));
  c.jc.wait();
  EXPECT_EQ(c.view.handled, (std::vector<int>{pst_parsing_done}));
  EXPECT_EQ(c.view.rebuilt, 1);
  EXPECT_EQ(c.view.frozen, 1);
  EXPECT_EQ(c.rec.items.size(), 1u);
  EXPECT_FALSE(c.jc.job_running());
  EXPECT_FALSE(c.jc.busy());
  EXPECT_TRUE(c.jc.can_start());
  EXPECT_FALSE(c.jc.stop_enabled());
  EXPECT_EQ(c.jc.last_job().ret, 0);
}

TEST(JobControl, AFetchShowsItsProgressAndEnds) {
  http_server server;
  std::string body = "<html><body><div><a href='/1'>One</a></div>" + std::string(200000, ' ') + "</body></html>";
  server.route("/", [&](http_connection& conn, const http_request&) {
    std::string raw = http_server::reply(200, body);
    for (size_t i = 0; i < raw.size(); i += 20000) {
      conn.send(raw.substr(i, 20000));
      conn.stall(5ms);
    }
  });
  controlled c;
  std::string pd = c.dir.write("s.xml", testing::one_section("<start><div/></start><headline><a/></headline>", "",
                                                             "name='Local' url='" + server.url("/") + "'"));
  c.jc.set_queue_running(true);
  ASSERT_TRUE(c.jc.process_parsedef(pd, std::nullopt));
  ASSERT_TRUE(c.view.pump_until(c.jc, pst_parsing_done));
  c.jc.wait();
  EXPECT_EQ(c.jc.last_job().ret, 0) << c.jc.last_job().failure;
  EXPECT_EQ(c.view.texts.front(), "Finding site \"Local\"");
  EXPECT_TRUE(c.view.has_text_starting("Retrieving \"Local\" ("));
  EXPECT_EQ(c.view.texts.back(), "");
  ASSERT_FALSE(c.view.progress.empty());
  EXPECT_TRUE(std::is_sorted(c.view.progress.begin(), c.view.progress.end()));
  EXPECT_LE(c.view.progress.back(), 100);
  EXPECT_EQ(c.view.cleared, 1);
  EXPECT_EQ(c.view.rebuilt, 1);
  EXPECT_EQ(c.view.next, 1);  // the queue runs on
  EXPECT_EQ(c.rec.items.size(), 1u);
}

TEST(JobControl, StopDuringTheBodyEndsTheJobWithoutAReport) {
  http_server server;
  server.route("/", [](http_connection& conn, const http_request&) {
    conn.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<html>");
    conn.stall(30s);
  });
  controlled c;
  c.jc.set_queue_running(true);
  ASSERT_TRUE(c.jc.process_url_job(server.url("/")));
  ASSERT_TRUE(c.view.pump_until(c.jc, pst_retrieving));
  EXPECT_FALSE(c.jc.process_url_job(server.url("/")));  // the record is in use
  c.jc.stop();
  EXPECT_EQ(c.view.timer_stopped, 1);
  EXPECT_FALSE(c.jc.queue_running());
  EXPECT_FALSE(c.jc.job_running());  // the worker may already have seen the stop: no more checks here
  c.wait_idle();
  c.jc.wait();
  EXPECT_FALSE(c.jc.stop_pending());  // the worker consumed the stop
  EXPECT_TRUE(c.jc.can_start());
  EXPECT_EQ(c.jc.last_job().ret, -1);
  c.view.pump_until(c.jc, -1, 100ms);
  EXPECT_EQ(std::count(c.view.handled.begin(), c.view.handled.end(), pst_parsing_done), 0);
  EXPECT_EQ(c.view.rebuilt, 0);
}

TEST(JobControl, AStopNoWorkerConsumesIsClearedAtTheEnd) {
  testing::temp_dir t;
  the_trace_log().start(t.file("Vantrace.txt"));
  controlled c;
  std::string pd = c.dir.write("s.xml", "<parsedef/>");
  ASSERT_TRUE(c.jc.process_parsedef(pd, c.dir.write("p.html", "<p>x</p>")));
  c.wait_idle();  // the worker has reported its end, which is not handled yet
  c.jc.stop();
  EXPECT_TRUE(c.jc.stop_pending());
  ASSERT_TRUE(c.view.pump_until(c.jc, pst_parsing_done));
  the_trace_log().stop();
  EXPECT_FALSE(c.jc.stop_pending());
  EXPECT_TRUE(c.jc.can_start());
  EXPECT_NE(testing::read_file(t.file("Vantrace.txt")).find("OnStatus: stop_event set and closing it!"),
            std::string::npos);
}

TEST(JobControl, StopStateFollowsTheJob) {
  controlled c;
  EXPECT_FALSE(c.jc.stop_enabled());
  c.jc.set_queue_running(true);
  EXPECT_TRUE(c.jc.stop_enabled());
  c.jc.stop();
  EXPECT_FALSE(c.jc.stop_enabled());
  EXPECT_EQ(c.view.texts.back(), "");
}

}  // namespace
}  // namespace vantrel
