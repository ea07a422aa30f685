// The queue runner driven tick by tick against the local server: titles, pane texts, skipped
// entries, Stop and a restart, a tick while the previous worker still holds the job record.
#include "app/queue_runner.h"

#include <gtest/gtest.h>

#include <mutex>

#include "engine/curl_fetcher.h"
#include "tests/app/app_fakes.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

using testing::null_display;
using testing::recording_window;

class QueueRunner : public ::testing::Test {
 protected:
  QueueRunner() {
    controller_.jobs().set_report_pause(std::chrono::milliseconds(0));
    controller_.set_end_listener(&runner_);
    for (const char* page : {"/one", "/two", "/three"}) {
      server_.route(page, [this, page](testing::http_connection& c, const testing::http_request&) {
        std::string extra;
        {
          std::lock_guard hold(lock_);
          extra = extra_story_;
        }
        c.send(testing::http_server::reply(200,
                                           std::string("<html><body><div class=s>") + extra +
                                               "<a href='/story'>Story of " + page + "</a></div></body></html>",
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

  // Runs the worker's tasks until the last job's worker has let go and told its end, and the
  // store has given back the rows of every run kept.
  void settle() {
    for (int i = 0; i < 500 && controller_.jobs().busy(); ++i) ui_.run_pending(std::chrono::milliseconds(10));
    // The worker posts its end just after it lets go of the record.
    controller_.jobs().wait();
    for (int i = 0; i < 500 && (ui_.pending() > 0 || controller_.history_writes_waiting() > 0); ++i)
      ui_.run_pending(std::chrono::milliseconds(10));
  }

  std::mutex lock_;
  std::string extra_story_;  // served before each page's story
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
  // The second site starts once the first worker has let go. Nothing the worker posts is run
  // after that start, or a quick second job could end and move the queue on before the Stop.
  for (int i = 0; i < 500; ++i) {
    runner_.on_timer();
    if (controller_.jobs().job_running()) break;
    ui_.run_pending(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(controller_.jobs().job_running());
  runner_.stop();
  controller_.stop();
  EXPECT_FALSE(runner_.running());
  EXPECT_EQ(runner_.site_index(), 1u) << "kept until the next start";
  // Once the stopped job's end is handled, the next start begins at the first site.
  settle();
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

// With a store: a queue run is kept and summed up, a scheduled run marks only what is new and
// says so, and the next start shows what was kept, read or not.
TEST_F(QueueRunner, RunsAreKeptSummedUpAndShownAtTheNextStart) {
  std::string notice;
  auto opened = headline_store::open(dir_.file("headlines.db"), &notice);
  ASSERT_TRUE(opened) << opened.message();
  auto store = std::move(*opened);
  unix_time now = 1'800'000'000;
  auto lib = [this] { return dir_.file("lib"); };
  controller_.set_history(store.get(), lib, 30 * 86400);
  controller_.set_clock([&now] { return now; });
  add_site("/one");
  add_site("/two");
  auto missing = std::make_unique<queue_site>();
  missing->fname = "News/gone.xml";
  missing->name = "Gone";
  queue_.add(std::move(missing));

  runner_.start_command();
  while (runner_.running()) tick_until_next_site();
  settle();
  ASSERT_EQ(display_.finished.size(), 1u);
  EXPECT_EQ(display_.finished[0], std::make_pair(std::string("3 sites: 2 with headlines (2 new), 1 failed / 2 new "
                                                             "headlines: /one (1), /two (1)"),
                                                 true));
  EXPECT_EQ(controller_.prompt("Ready"), "3 sites: 2 with headlines (2 new), 1 failed");
  ASSERT_EQ(controller_.last_tally().problems().size(), 1u);
  EXPECT_EQ(controller_.last_tally().problems()[0].rfind("Gone: not in the library", 0), 0u);
  ASSERT_EQ(controller_.reading().size(), 2u);
  EXPECT_TRUE(controller_.reading().row(0).fresh);
  controller_.mark_read(0);

  // The schedule runs the first site again, whose page has a new story.
  {
    std::lock_guard hold(lock_);
    extra_story_ = "<a href='/new'>Fresh story</a>";
  }
  now += 3600;
  ASSERT_TRUE(runner_.start_automatic({0}));
  EXPECT_EQ(runner_.queue_state_text(), " Refreshing site 1 of 1");
  while (runner_.running()) tick_until_next_site();
  settle();
  ASSERT_EQ(display_.finished.size(), 2u);
  EXPECT_EQ(display_.finished[1],
            std::make_pair(std::string("1 site: 1 with headlines (1 new) / 1 new headline from /one"), false));
  EXPECT_EQ((*store->last_run("News/one.xml"))->user_started, false);

  // The list as a new window would show it: the blocks in queue order, each headline new until
  // read.
  null_display later_display;
  view_controller later{ui_, &fetcher_, later_display, nullptr};
  later.set_history(store.get(), lib, 30 * 86400);
  later.set_clock([&now] { return now; });
  const status loaded = later.load_history();
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  const reading_list& rows = later.reading();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.row(0).heading, "Fresh story");
  EXPECT_TRUE(rows.row(0).fresh);
  EXPECT_EQ(rows.row(1).heading, "Story of /one");
  EXPECT_FALSE(rows.row(1).fresh) << "read in the first window";
  EXPECT_TRUE(rows.row(1).read);
  EXPECT_EQ(rows.row(2).heading, "Story of /two");
  EXPECT_TRUE(rows.row(2).fresh) << "not read yet, though the site ran since";
  EXPECT_EQ(rows.unread(), 2u);

  // Headlines not seen for longer than they are kept are not shown.
  later.set_history(store.get(), lib, 60);
  later.clear();
  now += 2 * 3600;
  ASSERT_TRUE(later.load_history().ok());
  EXPECT_EQ(later.reading().size(), 0u);
}

}  // namespace
}  // namespace vantrel
