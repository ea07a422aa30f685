// A day of reading without a window: the store opened, checked when the window is idle and
// begun anew when damaged; one Stop for the queue run and its job, with the run state passing
// through "stopping"; a refresh the schedule began that gives way to the user; a new root's
// queue that waits for the old one to end; a queue file that cannot be saved.
#include "app/reading_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/curl_fetcher.h"
#include "tests/app/app_fakes.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

using mode = run_state::mode;

class ReadingSession : public ::testing::Test {
 protected:
  ReadingSession() {
    settings_.set_parsedef_root(dir_.file("lib"));
    settings_.set_headline_store_path(dir_.file("headlines.db"));
    server_.route("/slow",
                  [](testing::http_connection& c, const testing::http_request&) { c.stall(std::chrono::seconds(20)); });
    server_.route("/page", [](testing::http_connection& c, const testing::http_request&) {
      c.send(testing::http_server::reply(200, "<html><body><div class=s><a href='/1'>Story</a></div></body></html>",
                                         "Content-Type: text/html\r\n"));
    });
    session_.controller().jobs().set_report_pause(std::chrono::milliseconds(0));
    session_.set_clock([] { return unix_time{1'800'000'000}; });
  }
  // A site of the library whose page is served at path; queued when refresh is given.
  std::string add_site(const std::string& name, const std::string& path, std::optional<long> refresh = {}) {
    const std::string file =
        dir_.write("lib/News/" + name + ".xml", "<parsedef name='" + name + "' url='" + server_.url(path) +
                                                    "'><section match='substr'><start><div class='s'/></start>"
                                                    "<headline><a/></headline></section></parsedef>");
    if (refresh) {
      auto site = std::make_unique<queue_site>();
      site->fname = "News/" + name + ".xml";
      site->name = name;
      site->refresh = *refresh;
      session_.queue().add(std::move(site));
    }
    return file;
  }
  void run_ui_until(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      session_.runner().on_timer();
      ui_.run_pending(std::chrono::milliseconds(10));
    }
  }
  bool said(const std::string& part) const {
    for (const std::string& t : display_.texts)
      if (t.find(part) != std::string::npos) return true;
    return false;
  }
  mode now() const { return session_.controller().state().current(); }

  testing::temp_dir dir_;
  testing::http_server server_;
  prefs settings_{dir_.file("tidewatch.ini")};
  queue_dispatcher ui_;
  testing::null_display display_;
  testing::recording_window window_;
  curl_fetcher fetcher_;
  reading_session session_{ui_, &fetcher_, display_, nullptr, window_, settings_};
};

TEST_F(ReadingSession, TheStoreIsCheckedWhenIdleAndBegunAnewWhenDamaged) {
  // A store damaged inside: it opens, and only the whole-file check finds it.
  {
    std::string notice;
    auto made = headline_store::open(dir_.file("headlines.db"), &notice);
    ASSERT_TRUE(made) << made.message();
    for (int i = 0; i < 50; ++i) {
      run_record r;
      r.site = "s" + std::to_string(i);
      r.run.when = 1'800'000'000;
      r.run.outcome = run_outcome::headlines;
      r.headlines.push_back({std::string(3000, 'x'), std::nullopt, "http://s/" + std::to_string(i)});
      ASSERT_TRUE((*made)->record(r));
    }
  }
  std::string bytes = testing::read_file(dir_.file("headlines.db"));
  for (size_t at = bytes.size() / 2; at < bytes.size() / 2 + 8192; ++at) bytes[at] = '\x5a';
  dir_.write("headlines.db", bytes);

  session_.open_history();
  headline_store* first = session_.history();
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(said("damaged")) << "not read through before the window shows";
  // A run before the check: the writer's thread has the file open when the check finds it
  // damaged.
  const std::string site = add_site("one", "/page");
  ASSERT_TRUE(session_.controller().open_parsedef(site));
  run_ui_until([&] { return session_.controller().idle() && session_.controller().history_writes_waiting() == 0; });
  session_.on_idle(false, std::chrono::milliseconds(20));
  EXPECT_TRUE(said("headlines.db was damaged: it is kept as")) << ::testing::PrintToString(display_.texts);
  ASSERT_NE(session_.history(), nullptr) << "the day goes on in a new store";
  EXPECT_TRUE(session_.history()->check().ok());
  EXPECT_EQ(*session_.history()->site_keys(), std::vector<std::string>{});

  // The next run goes into the new store, none into the kept file.
  std::string kept;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    if (entry.path().filename().string().find("headlines.db.damaged-") == 0) kept += testing::read_file(entry.path());
  ASSERT_TRUE(session_.controller().open_parsedef(site));
  run_ui_until([&] { return !session_.history()->site_keys().value_or({}).empty(); });
  EXPECT_EQ(session_.history()->site_keys().value_or({}).size(), 1u);
  std::string kept_after;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    if (entry.path().filename().string().find("headlines.db.damaged-") == 0)
      kept_after += testing::read_file(entry.path());
  EXPECT_EQ(kept_after, kept) << "the kept files are left as they were";
}

TEST_F(ReadingSession, NoStoreIsSaidOnceAndTheDayGoesOn) {
  const std::string plain = dir_.write("plain", "x");
  settings_.set_headline_store_path(plain + "/headlines.db");
  session_.open_history();
  EXPECT_EQ(session_.history(), nullptr);
  EXPECT_TRUE(said("No headline store, so no history: ")) << ::testing::PrintToString(display_.texts);
  const std::string site = add_site("one", "/page");
  ASSERT_TRUE(session_.controller().open_parsedef(site));
  run_ui_until([&] { return session_.controller().reading().size() == 1; });
  EXPECT_EQ(session_.controller().reading().size(), 1u) << "headlines are still shown";
}

TEST_F(ReadingSession, OneStopEndsTheQueueRunAndItsJob) {
  add_site("slow", "/slow", 0);
  add_site("other", "/slow", 0);
  EXPECT_EQ(now(), mode::idle);
  ASSERT_TRUE(session_.runner().start_command());
  EXPECT_EQ(now(), mode::queue_run);
  run_ui_until([&] { return session_.controller().jobs().job_running(); });
  ASSERT_TRUE(session_.controller().jobs().job_running());
  EXPECT_FALSE(session_.may_start());
  EXPECT_TRUE(session_.controller().can_stop());

  session_.stop_all();
  EXPECT_FALSE(window_.timer) << "the queue's timer stops with the job";
  EXPECT_FALSE(session_.runner().running());
  EXPECT_EQ(now(), mode::stopping) << "until the worker has seen the Stop";
  EXPECT_FALSE(session_.controller().can_stop());
  run_ui_until([&] { return now() == mode::idle && !session_.controller().jobs().busy(); });
  EXPECT_EQ(now(), mode::idle);
  EXPECT_EQ(session_.runner().queue_state_text(), " Idle");

  // A single site the user opens: the same Stop.
  ASSERT_TRUE(session_.controller().open_parsedef(dir_.file("lib/News/slow.xml")));
  EXPECT_EQ(now(), mode::single_job);
  session_.stop_all();
  run_ui_until([&] { return now() == mode::idle; });
  EXPECT_EQ(now(), mode::idle);
  EXPECT_EQ(run_state::name(mode::stopping), std::string("stopping"));
}

TEST_F(ReadingSession, ARefreshGivesWayToWhatTheUserAsksFor) {
  add_site("due", "/slow", 1);     // every minute, never run: due
  add_site("manual", "/slow", 0);  // only when the user runs the queue
  EXPECT_FALSE(session_.yield_to_user([] {})) << "nothing to give way";
  EXPECT_FALSE(session_.check_schedule(true)) << "not while a dialog is open";
  settings_.set_auto_refresh(0);
  EXPECT_FALSE(session_.check_schedule(false)) << "not when refreshes are off";
  settings_.set_auto_refresh(1);
  ASSERT_TRUE(session_.check_schedule(false));
  EXPECT_EQ(now(), mode::refresh);
  EXPECT_TRUE(session_.may_start()) << "a refresh gives way";
  EXPECT_FALSE(session_.check_schedule(false)) << "one at a time";
  run_ui_until([&] { return session_.controller().jobs().job_running(); });

  int opened = 0;
  ASSERT_TRUE(session_.yield_to_user([&opened] { ++opened; }));
  EXPECT_NE(now(), mode::refresh);
  EXPECT_EQ(opened, 0) << "it waits for the refresh to wind down";
  run_ui_until([&] {
    session_.on_idle(false, std::chrono::milliseconds(5));
    return opened == 1;
  });
  EXPECT_EQ(opened, 1);
}

TEST_F(ReadingSession, ANewRootsQueueWaitsForTheOldOneAndAQueueThatCannotBeSavedSaysSo) {
  for (const char* root : {"lib", "other"}) {
    site_queue q;
    auto site = std::make_unique<queue_site>();
    site->fname = std::string("News/") + root + ".xml";
    site->name = root;
    q.add(std::move(site));
    dir_.write(std::string(root) + "/News/" + root + ".xml", "<parsedef/>");
    ASSERT_GE(q.save(dir_.file(std::string(root) + "/queue.xml")), 0);
  }
  ASSERT_TRUE(session_.load_queue());
  ASSERT_EQ(session_.queue().count(), 1u);
  EXPECT_EQ(queue_name(session_.queue()[0]), "lib");

  settings_.set_parsedef_root(dir_.file("other"));
  session_.settings_changed();
  EXPECT_TRUE(session_.root_changed());
  session_.on_idle(false, std::chrono::milliseconds(5));
  EXPECT_FALSE(session_.root_changed());
  EXPECT_EQ(queue_name(session_.queue()[0]), "other");
  EXPECT_EQ(session_.queue_path(), dir_.file("other") + "/queue.xml");
  EXPECT_TRUE(session_.save_queue().ok());

  const std::string plain = dir_.write("plain", "x");
  settings_.set_parsedef_root(plain + "/lib");
  const status saved = session_.save_queue();
  EXPECT_EQ(saved.code(), status_code::io_error);
  EXPECT_EQ(saved.message(), "Unable to save site queue.");
}

TEST_F(ReadingSession, TheDesktopHearsOfNewsAndTheUserOfProblems) {
  run_tally tally;
  site_run run;
  run.outcome = run_outcome::headlines;
  run.found = run.fresh = 2;
  tally.add("Gazette", run);
  EXPECT_EQ(session_.news_for(tally, false).value_or(""), "2 new headlines from Gazette");
  EXPECT_FALSE(session_.news_for(tally, true)) << "the user saw the run they started";
  settings_.set_notify(0);
  EXPECT_FALSE(session_.news_for(tally, false)) << "not when the settings say no";
  EXPECT_FALSE(session_.news_for(run_tally(), false));

  session_.open_history();
  EXPECT_FALSE(session_.problems_text()) << "no queue run yet";
  auto missing = std::make_unique<queue_site>();
  missing->fname = "News/gone.xml";
  missing->name = "Gone";
  session_.queue().add(std::move(missing));
  server_.route("/missing", [](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(404, "<div class=s><a href='/x'>Not here</a></div>"));
  });
  add_site("Broken", "/missing", 60);
  add_site("Good", "/page", 60);
  ASSERT_TRUE(session_.runner().start_command());
  run_ui_until([&] { return !session_.controller().last_tally().empty(); });
  auto problems = session_.problems_text();
  ASSERT_TRUE(problems);
  EXPECT_EQ(problems->rfind("3 sites: 1 with headlines (1 new), 2 failed\n\nGone: not in the library (", 0), 0u)
      << *problems;
  EXPECT_NE(problems->find("\nBroken: " + server_.url("/missing") + ": HTTP 404 Not Found"), std::string::npos) << *problems;

  // A refresh of the good site alone: the others' problems are still there.
  ASSERT_TRUE(session_.runner().start_automatic({2}));
  run_ui_until([&] { return session_.controller().last_tally().summary().rfind("1 site", 0) == 0; });
  problems = session_.problems_text();
  ASSERT_TRUE(problems);
  EXPECT_EQ(problems->rfind("1 site: 1 with headlines (0 new)\n", 0), 0u) << *problems;
  EXPECT_NE(problems->find("\nGone: not in the library ("), std::string::npos) << *problems;
  EXPECT_NE(problems->find("\nBroken: " + server_.url("/missing") + ": HTTP 404 Not Found"), std::string::npos) << *problems;

  // The broken site's block can go, from the list and the store.
  ASSERT_EQ(session_.controller().reading().size(), 1u);
  EXPECT_EQ(session_.controller().remove_site_headlines(0).value_or(""), "Good");
  EXPECT_EQ(session_.controller().reading().size(), 0u);
  EXPECT_EQ(session_.history()->site_keys().value_or({}), std::vector<std::string>{"News/Broken.xml"});
}

}  // namespace
}  // namespace vantrel
