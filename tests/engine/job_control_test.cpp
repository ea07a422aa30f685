// Starting, watching and stopping jobs as the main window does: a plain queue stands in for
// the window's event loop, a recording view for its panes, a scripted fetcher for the network.
#include "engine/job_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "common/paths.h"
#include "common/trace_log.h"
#include "tests/engine/recorder.h"
#include "tests/engine/scripted_fetcher.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using testing::scripted_fetcher;
using testing::scripted_reply;

struct recording_view : status_listener, results_listener, source_listener, job_end_listener {
  std::vector<std::string> texts, lines;
  std::vector<int> progress;
  std::vector<bool> frozen;
  int removed = 0, rebuilt = 0, cleared = 0, ended = 0;
  std::optional<job_outcome> finished;

  void set_status_text(const std::string& t) override { texts.push_back(t); }
  void set_progress(int p) override { progress.push_back(p); }
  void remove_progress() override { ++removed; }
  void rebuild_list() override { ++rebuilt; }
  void clear_source() override { ++cleared; }
  void set_source_frozen(bool f) override { frozen.push_back(f); }
  void add_source_lines(std::vector<source_line>& l) override {
    for (const auto& line : l) lines.push_back(source_line_text(line));
  }
  void job_ended() override { ++ended; }
  void worker_finished(const job_outcome& o) override { finished = o; }
};

// A window's queue that refuses posts for a while, as a full one would.
class refusing_dispatcher : public queue_dispatcher {
 public:
  bool post(std::function<void()> task) override {
    if (refuse_.load() > 0) {
      --refuse_;
      return false;
    }
    return queue_dispatcher::post(std::move(task));
  }
  void refuse_next(int count) { refuse_ = count; }

 private:
  std::atomic<int> refuse_{0};
};

struct controlled {
  testing::temp_dir dir;
  refusing_dispatcher ui;
  result_store results;
  recording_view view;
  scripted_fetcher fetcher;
  job_control jc{ui, results, &fetcher, tidewatch_folder};
  controlled() {
    jc.set_status_listener(&view);
    jc.set_results_listener(&view);
    jc.set_source_listener(&view);
    jc.set_end_listener(&view);
    jc.set_report_pause(0ms);
  }
  // The user-interface thread's loop, until the worker has let go of the job.
  bool run_until_finished() {
    for (int i = 0; i < 1000 && !view.finished; ++i) ui.run_pending(10ms);
    return view.finished.has_value();
  }
  std::string site(const std::string& attrs = "name='Gazette' url='http://gazette.example/'") {
    return dir.write("s.xml", testing::one_section("<start><div/></start><headline><a/></headline>", "", attrs));
  }
};

const std::string story_page = "<html><body><div><a href='/1'>One</a></div></body></html>";

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
  ASSERT_TRUE(c.jc.process_parsedef(c.site(), c.dir.write("p.html", story_page)));
  EXPECT_FALSE(c.jc.can_start());
  EXPECT_TRUE(c.jc.stop_enabled());
  ASSERT_TRUE(c.run_until_finished());
  EXPECT_EQ(c.view.rebuilt, 1);
  EXPECT_EQ(c.view.ended, 1);
  EXPECT_EQ(c.view.cleared, 0);  // a local document clears nothing
  EXPECT_EQ(c.view.frozen, (std::vector<bool>{true, false}));
  ASSERT_EQ(c.results.size(), 1u);
  EXPECT_EQ(c.results[0].heading, "One");
  EXPECT_EQ(c.view.lines.front(), "html");
  EXPECT_EQ(c.view.finished->ret, 0);
  EXPECT_TRUE(c.jc.can_start());
  EXPECT_FALSE(c.jc.stop_enabled());
}

TEST(JobControl, AFetchReportsEveryPhaseInOrder) {
  controlled c;
  c.fetcher.replies.push_back({200, story_page});
  ASSERT_TRUE(c.jc.process_parsedef(c.site(), std::nullopt));
  ASSERT_TRUE(c.run_until_finished());
  EXPECT_EQ(c.view.texts, (std::vector<std::string>{"Finding site \"Gazette\"", "Sending request for \"Gazette\"",
                                                    "\"Gazette\" found, waiting for reply...",
                                                    "Retrieving \"Gazette\" (57 of 57 bytes)...", "", ""}));
  EXPECT_EQ(c.view.progress, (std::vector<int>{100}));
  EXPECT_EQ(c.view.cleared, 1);
  EXPECT_EQ(c.view.rebuilt, 1);
  EXPECT_EQ(c.results.size(), 1u);
  EXPECT_EQ(c.view.finished->ret, 0);
  ASSERT_EQ(c.fetcher.requests.size(), 1u);
  EXPECT_EQ(c.fetcher.requests[0].url, "http://gazette.example/");
}

// Stop pressed while the worker is at each phase of the transfer: the job ends at its next
// report, nothing more is shown, and the stop is consumed.
TEST(JobControl, StopAtEachPhaseEndsTheJobWithoutItsEnd) {
  for (fetch_phase at : {fetch_phase::request, fetch_phase::response_headers, fetch_phase::response_body}) {
    controlled c;
    c.fetcher.replies.push_back({200, story_page});
    sync_event reached, go;
    c.fetcher.at_phase = [&](fetch_phase p) {
      if (p != at) return;
      reached.set();
      go.wait_for(10s);
    };
    ASSERT_TRUE(c.jc.process_parsedef(c.site(), std::nullopt));
    ASSERT_TRUE(reached.wait_for(10s));
    c.jc.stop();
    EXPECT_TRUE(c.jc.stop_pending());
    EXPECT_FALSE(c.jc.can_start());
    go.set();
    ASSERT_TRUE(c.run_until_finished());
    EXPECT_TRUE(c.view.finished->stopped());
    EXPECT_EQ(c.view.finished->ret, -1);
    EXPECT_FALSE(c.jc.stop_pending()) << static_cast<int>(at);  // the worker consumed it
    EXPECT_TRUE(c.jc.can_start());
    EXPECT_EQ(c.view.rebuilt, 0);
    EXPECT_EQ(c.view.ended, 0);
    EXPECT_EQ(c.view.texts.back(), "");
  }
}

TEST(JobControl, AStopNoWorkerConsumesIsClearedAtTheEnd) {
  testing::temp_dir t;
  the_trace_log().start(t.file("Vantrace.txt"));
  controlled c;
  ASSERT_TRUE(c.jc.process_parsedef(c.site(), c.dir.write("p.html", "<p>x</p>")));
  for (int i = 0; i < 1000 && c.jc.busy(); ++i) std::this_thread::sleep_for(5ms);
  c.jc.stop();  // the worker has reported its end, which is not handled yet
  EXPECT_TRUE(c.jc.stop_pending());
  ASSERT_TRUE(c.run_until_finished());
  the_trace_log().stop();
  EXPECT_FALSE(c.jc.stop_pending());
  EXPECT_TRUE(c.jc.can_start());
  EXPECT_NE(testing::read_file(t.file("Vantrace.txt")).find("OnStatus: stop_event set and closing it!"),
            std::string::npos);
}

TEST(JobControl, ASecondStartWaitsForTheRecord) {
  controlled c;
  c.fetcher.replies.push_back({200, story_page});
  sync_event reached, go;
  c.fetcher.at_phase = [&](fetch_phase) {
    reached.set();
    go.wait_for(10s);
  };
  ASSERT_TRUE(c.jc.process_parsedef(c.site(), std::nullopt));
  ASSERT_TRUE(reached.wait_for(10s));
  EXPECT_FALSE(c.jc.process_url_job("http://other.example/"));  // the record is in use
  c.fetcher.at_phase = nullptr;
  go.set();
  ASSERT_TRUE(c.run_until_finished());
  EXPECT_EQ(c.view.finished->ret, 0);
}

// A window whose queue refuses posts for a while: what must arrive (items, the end) arrives,
// once; a progress report may be lost.
TEST(JobControl, RefusedPostsOfWhatMustArriveAreRetried) {
  controlled c;
  c.ui.refuse_next(3);
  ASSERT_TRUE(c.jc.process_parsedef(c.site(), c.dir.write("p.html", story_page)));
  ASSERT_TRUE(c.run_until_finished());
  EXPECT_EQ(c.results.size(), 1u);
  EXPECT_EQ(c.view.rebuilt, 1);
  EXPECT_EQ(c.view.finished->ret, 0);
}

TEST(JobControl, ShuttingDownNeitherWaitsForeverNorDeliversLateReports) {
  for (bool refuse_all : {true, false}) {
    testing::temp_dir dir;
    refusing_dispatcher ui;
    result_store results;
    recording_view view;
    if (refuse_all) ui.refuse_next(1 << 30);
    const std::string site = dir.write("s.xml", testing::one_section("<start><div/></start><headline><a/></headline>"));
    const auto start = std::chrono::steady_clock::now();
    {
      job_control jc(ui, results, nullptr, tidewatch_folder);
      jc.set_results_listener(&view);
      jc.set_end_listener(&view);
      jc.set_report_pause(10s);  // cut short by the shutdown
      ASSERT_TRUE(jc.process_parsedef(site, dir.write("p.html", story_page)));
      // Without refusals, wait until the end report is queued and the worker pauses after it.
      for (int i = 0; i < 1000 && !refuse_all && ui.pending() < 2; ++i) std::this_thread::sleep_for(5ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << refuse_all;
    ui.run_pending();  // tasks still queued for the job control that is gone go nowhere
    EXPECT_EQ(view.rebuilt, 0);
    EXPECT_EQ(results.size(), 0u);
    EXPECT_FALSE(view.finished);
  }
}

TEST(JobControl, TwoJobControlsRunStopAndReportApart) {
  controlled a, b;
  // Each fetch waits at its body until let go, so both jobs are under way together.
  sync_event go_a{sync_event::reset_mode::manual}, go_b{sync_event::reset_mode::manual};
  a.fetcher.at_phase = [&](fetch_phase p) {
    if (p == fetch_phase::response_body) go_a.wait_for(10s);
  };
  b.fetcher.at_phase = [&](fetch_phase p) {
    if (p == fetch_phase::response_body) go_b.wait_for(10s);
  };
  a.fetcher.replies.emplace_back(200, story_page);
  b.fetcher.replies.emplace_back(200, story_page);
  ASSERT_TRUE(a.jc.process_parsedef(a.site("name='Alpha' url='http://a.example/'"), std::nullopt));
  ASSERT_TRUE(b.jc.process_parsedef(b.site("name='Beta' url='http://b.example/'"), std::nullopt));
  a.jc.stop();
  go_a.set();
  go_b.set();
  ASSERT_TRUE(a.run_until_finished());
  ASSERT_TRUE(b.run_until_finished());
  EXPECT_TRUE(a.view.finished->stopped());
  EXPECT_TRUE(a.results.empty()) << "the stopped job delivered nothing";
  EXPECT_FALSE(b.view.finished->stopped()) << "the other job's Stop is not this one's";
  ASSERT_EQ(b.results.size(), 1u);
  EXPECT_EQ(b.results[0].heading, "One");
  const auto mentions = [](const std::vector<std::string>& texts, const std::string& site) {
    return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.find(site) != std::string::npos; });
  };
  EXPECT_TRUE(mentions(b.view.texts, "Retrieving \"Beta\""));
  EXPECT_FALSE(mentions(b.view.texts, "Alpha")) << "each job's progress is its own";
  EXPECT_FALSE(mentions(a.view.texts, "Beta"));
}

}  // namespace
}  // namespace vantrel
