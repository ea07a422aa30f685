// "Suggest rules" without a window: a saved page answers on the user-interface thread with the
// rules and what they yield; an unreadable page answers with why; one at a time; Stop ends a
// fetch that hangs.
#include "editor/suggest_runner.h"

#include <gtest/gtest.h>

#include "engine/curl_fetcher.h"
#include "tests/helpers/http_server.h"

namespace vantrel {
namespace {

struct answered {
  bool came = false;
  suggestion found;
  status failure;
};

suggest_runner::answer keep(answered& into) {
  return [&into](suggestion found, status failure) {
    into.came = true;
    into.found = std::move(found);
    into.failure = std::move(failure);
  };
}

void wait_for(queue_dispatcher& ui, const answered& a) {
  for (int i = 0; i < 400 && !a.came; ++i) ui.run_pending(std::chrono::milliseconds(25));
}

TEST(SuggestRunner, ASavedPageAnswersOnTheInterfaceThread) {
  queue_dispatcher ui;
  suggest_runner runner(ui);
  answered a;
  const std::string page = std::string(VANTREL_SAMPLES) + "/harbour-gazette.html";
  ASSERT_TRUE(runner.start(page, "http://gazette.example/news/", {"Storm Ingrid: what to expect"}, keep(a)));
  EXPECT_TRUE(runner.running());
  EXPECT_FALSE(runner.start(page, "", {"x"}, keep(a))) << "one at a time";
  wait_for(ui, a);
  ASSERT_TRUE(a.came);
  EXPECT_FALSE(runner.running());
  EXPECT_TRUE(a.failure.ok()) << a.failure;
  ASSERT_TRUE(a.found.found()) << a.found.failure;
  EXPECT_EQ(a.found.items.size(), 4u);
  EXPECT_EQ(a.found.items[0].link.substr(0, 27), "http://gazette.example/news") << "links joined to the address";

  // Done, it takes the next.
  answered missing;
  ASSERT_TRUE(runner.start(std::string("/nonexistent/page.html"), "", {"x"}, keep(missing)));
  wait_for(ui, missing);
  ASSERT_TRUE(missing.came);
  EXPECT_EQ(missing.failure.code(), status_code::not_found) << missing.failure;
  EXPECT_NE(missing.failure.message().find("/nonexistent/page.html: "), std::string::npos) << missing.failure;
  EXPECT_FALSE(missing.found.found());
}

TEST(SuggestRunner, StopEndsAFetchThatHangsAndLeavingMidRunIsSafe) {
  testing::http_server server;
  server.route("/",
               [](testing::http_connection& c, const testing::http_request&) { c.stall(std::chrono::seconds(30)); });
  ASSERT_TRUE(curl_library_init());
  queue_dispatcher ui;
  answered a, b;
  {
    suggest_runner runner(ui);
    EXPECT_FALSE(runner.start(std::nullopt, "", {"x"}, keep(a))) << "no page to read";
    ASSERT_TRUE(runner.start(std::nullopt, server.url("/"), {"x"}, keep(a)));
    ui.run_pending(std::chrono::milliseconds(100));
    const auto asked = std::chrono::steady_clock::now();
    runner.stop();
    wait_for(ui, a);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
    ASSERT_TRUE(a.came);
    EXPECT_TRUE(a.failure.is(status_code::stopped)) << a.failure;

    ASSERT_TRUE(runner.start(std::nullopt, server.url("/"), {"x"}, keep(b)));
  }  // gone while fetching: the thread is stopped and joined, its answer never runs
  ui.run_pending(std::chrono::milliseconds(50));
  EXPECT_FALSE(b.came);
}

}  // namespace
}  // namespace vantrel
