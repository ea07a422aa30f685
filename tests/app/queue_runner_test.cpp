// The queue runner driven tick by tick against the local server: titles, pane texts, skipped
// entries, Stop and a restart, a tick while the previous worker still holds the job record.
#include "app/queue_runner.h"

#include <gtest/gtest.h>

#include "engine/curl_fetcher.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

class null_display : public view_display {
 public:
  void set_status_text(const std::string&) override {}
  void set_progress(int) override {}
  void remove_progress() override {}
  void rebuild_list() override {}
  void list_cleared() override {}
  void clear_source() override {}
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>&) override {}
};

class recording_window : public queue_window {
 public:
  bool start_timer() override { return timer = true; }
  bool stop_timer() override {
    timer = false;
    return true;
  }
  void set_queue_state_text(const std::string& text) override { states.push_back(text); }
  void set_title(const std::string& title) override { titles.push_back(title); }
  bool timer = false;
  std::vector<std::string> states, titles;
};

class QueueRunner : public ::testing::Test {
 protected:
  QueueRunner() {
    controller_.jobs().set_report_pause(std::chrono::milliseconds(0));
    controller_.set_end_listener(&runner_);
    for (const char* page : {"/one", "/two", "/three"}) {
      server_.route(page, [page](testing::http_connection& c, const testing::http_request&) {
        c.send(testing::http_server::reply(
            200, std::string("<html><body><div class=s><a href='/story'>Story of ") + page + "</a></div></body></html>",
            "Content-Type: text/html\r\n"));
      });
    }
  }
  void add_site(const std::string& page, int enabled = 1) {
    const std::string fname = "News" + page + ".xml";
    dir_.write("lib/" + fname, "<parsedef name='" + page + "' url='" + server_.url(page) +
                                   "'><section match='substr'><start><div class='s'/></start>"
                                   "<headline><a/></headline></section></parsedef>");
    auto site = std::make_unique<queue_site>();
    site->fname = fname;
    site->name = page;
    site->enabled = enabled;
    queue_.add(std::move(site));
  }
  // Ticks until the running job has ended and its worker let go, as the window's timer would.
  void tick_until_next_site() {
    const size_t index = runner_.site_index();
    for (int i = 0; i < 500 && runner_.running() && runner_.site_index() == index; ++i) {
      runner_.on_timer();
      ui_.run_pending(std::chrono::milliseconds(10));
    }
  }

  // Runs the worker's tasks until the last job's worker has let go and told its end.
  void settle() {
    for (int i = 0; i < 500 && (controller_.jobs().busy() || ui_.pending() > 0); ++i)
      ui_.run_pending(std::chrono::milliseconds(10));
    controller_.jobs().wait();
    ui_.run_pending();
  }

  testing::temp_dir dir_;
  testing::http_server server_;
  queue_dispatcher ui_;
  null_display display_;
  curl_fetcher fetcher_;
  view_controller controller_{ui_, &fetcher_, display_, nullptr};
  site_queue queue_;
  recording_window window_;
  queue_runner runner_{controller_, queue_, [this] { return dir_.file("lib"); }, window_};
};

TEST_F(QueueRunner, ProcessesEverySiteInTurnThenStops) {
  add_site("/one");
  add_site("/two");
  add_site("/three");
  queue_[2].fname = "NEWS/THREE.XML";  // the file is News/three.xml: found ignoring case
  ASSERT_TRUE(runner_.start_command());
  EXPECT_TRUE(window_.timer);
  EXPECT_FALSE(controller_.idle()) << "the commands that start jobs are off while the queue runs";
  EXPECT_EQ(runner_.title(), "0% - Vantrel");
  tick_until_next_site();
  EXPECT_EQ(runner_.title(), "33% - Vantrel");
  tick_until_next_site();
  tick_until_next_site();
  EXPECT_FALSE(runner_.running());
  EXPECT_FALSE(window_.timer);
  settle();
  ASSERT_EQ(controller_.reading().size(), 3u);
  EXPECT_EQ(controller_.reading().row(2).heading, "Story of /three");
  EXPECT_EQ(window_.titles, (std::vector<std::string>{"0% - Vantrel", "33% - Vantrel", "66% - Vantrel", "Vantrel"}));
  const std::vector<std::string> expected_states = {" Processing site 1 of 3", " Processing site 2 of 3",
                                                    " Processing site 3 of 3", " Idle"};
  EXPECT_EQ(window_.states, expected_states);
}

TEST_F(QueueRunner, SkipsDisabledAndMissingSitesOneTickEach) {
  add_site("/one", 0);
  add_site("/two", 0);
  auto missing = std::make_unique<queue_site>();
  missing->fname = "News/gone.xml";
  queue_.add(std::move(missing));
  ASSERT_TRUE(runner_.start_command());
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_TRUE(runner_.running()) << tick;
    runner_.on_timer();
  }
  EXPECT_FALSE(runner_.running());
  EXPECT_FALSE(controller_.jobs().busy()) << "no job was started";
  EXPECT_EQ(controller_.reading().size(), 0u);
}

TEST_F(QueueRunner, StopInTheMiddleAndRestartFromTheFirstSite) {
  add_site("/one");
  add_site("/two");
  add_site("/three");
  runner_.start_command();
  tick_until_next_site();
  for (int i = 0; i < 500 && !controller_.jobs().job_running(); ++i) {
    runner_.on_timer();  // the second site starts once the first worker has let go
    ui_.run_pending(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(controller_.jobs().job_running());
  runner_.stop();
  controller_.stop();
  EXPECT_FALSE(runner_.running());
  EXPECT_EQ(runner_.site_index(), 1u) << "kept until the next start";
  // A tick while the stopped worker still holds the job record starts nothing.
  for (int i = 0; i < 200 && controller_.jobs().busy(); ++i) ui_.run_pending(std::chrono::milliseconds(10));
  runner_.start_command();
  EXPECT_EQ(runner_.site_index(), 0u);
  EXPECT_EQ(runner_.queue_state_text(), " Processing site 1 of 3");

  // Start queue on a running queue stops it; on an empty one it asks for the site selector.
  runner_.start_command();
  EXPECT_FALSE(runner_.running());
  queue_.clear();
  EXPECT_FALSE(runner_.start_command());
  EXPECT_EQ(runner_.queue_state_text(), " Queue empty");
}

TEST_F(QueueRunner, ATickWhileTheWorkerHoldsTheRecordWaits) {
  add_site("/one");
  add_site("/two");
  controller_.jobs().set_report_pause(std::chrono::milliseconds(300));
  runner_.start_command();
  runner_.on_timer();
  // Once the first job's end is handled, its worker is still in its final pause.
  for (int i = 0; i < 500 && runner_.site_index() == 0; ++i) ui_.run_pending(std::chrono::milliseconds(5));
  ASSERT_EQ(runner_.site_index(), 1u);
  ASSERT_TRUE(controller_.jobs().busy());
  runner_.on_timer();
  EXPECT_FALSE(controller_.jobs().job_running()) << "nothing starts while the record is held";
  tick_until_next_site();
  settle();
  EXPECT_EQ(controller_.reading().size(), 2u);
}

}  // namespace
}  // namespace vantrel
