// The Preview's runs without a window: a document as it stands over a saved page, its parse
// events marked where rules fired, its check; documents that cannot run; a stopped fetch.
#include "editor/preview_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/curl_fetcher.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

struct recorded_view : preview_view {
  void clear_preview() override {
    headlines.clear();
    events.clear();
    check.clear();
  }
  void show_status(const std::string& text) override { status = text; }
  void add_headlines(std::vector<headline> rows) override {
    for (auto& r : rows) headlines.push_back(std::move(r));
  }
  void add_events(std::vector<source_line>& lines, bool several) override {
    for (const source_line& l : lines) events.push_back(fired_rules_text(l, several) + "|" + source_line_text(l));
  }
  void show_check(const std::string& text) override { check = text; }
  void set_running(bool now) override { running = now; }

  std::vector<headline> headlines;
  std::vector<std::string> events;  // "RULES|line"
  std::string status, check;
  bool running = false;
};

struct preview_test : ::testing::Test {
  // Runs the dispatcher until the run has ended.
  void finish() {
    for (int i = 0; i < 200 && (view.running || session.running()); ++i) ui.run_pending(std::chrono::milliseconds(25));
    ASSERT_FALSE(view.running);
  }
  queue_dispatcher ui;
  recorded_view view;
  preview_session session{ui, nullptr, view};
  testing::temp_dir dir;
};

constexpr const char* two_sections =
    "<?xml version='1.0'?>\n<parsedef name='T' url='http://t.example/'>\n"
    "<section><start><ul/></start><headline><a/></headline><end><hr/></end></section>\n"
    "<section><start><ol/></start><headline><a/></headline></section>\n</parsedef>\n";

TEST_F(preview_test, ShowsHeadlinesMarkedEventsAndTheCheck) {
  const std::string page = dir.write(
      "p.html", "<html><body><ul><li><a href='/1'>One</a></ul><hr><ol><li><a href='/2'>Two</a></ol></body></html>");
  ASSERT_TRUE(session.run(two_sections, page));
  EXPECT_TRUE(view.running);
  finish();
  ASSERT_EQ(view.headlines.size(), 2u);
  EXPECT_EQ(view.headlines[1].link, "http://t.example/2");
  // The line of the element a rule fired at carries the rule, and its section; others none.
  const std::vector<std::string> want = {
      "START (section 1)|ul", "|li", "HEADLINE (section 1)|a", "|href = /1", "|One", "|/a", "|/li", "|/ul",
      "END (section 1)|hr"};
  ASSERT_GE(view.events.size(), 12u);
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(view.events[i + 2], want[i]) << i;  // after html, body
  EXPECT_NE(std::find(view.events.begin(), view.events.end(), "START (section 2)|ol"), view.events.end());
  EXPECT_EQ(view.check.rfind("Verdict: healthy", 0), 0u) << view.check;
  EXPECT_EQ(view.status, "2 headlines.");

  // The next run starts from nothing.
  ASSERT_TRUE(session.run(two_sections, dir.write("q.html", "<p>gone</p>")));
  finish();
  EXPECT_TRUE(view.headlines.empty());
  EXPECT_NE(view.check.find("Verdict: broken, the rules found nothing"), std::string::npos) << view.check;
}

TEST_F(preview_test, DocumentsThatCannotRunSayWhy) {
  const std::string page = dir.write("p.html", "<p>x</p>");
  EXPECT_FALSE(session.run("<parsedef name='T'>\n<section>\n<start><ul></start>\n</section></parsedef>\n", page));
  EXPECT_NE(view.check.find("The document is not a ParseDef: not well-formed XML (line 3"), std::string::npos)
      << view.check;
  EXPECT_FALSE(session.run("<parsedef name='T'><section/></parsedef>", std::nullopt));
  EXPECT_EQ(view.check, "The document names no url: choose a saved page to run it over.");
  EXPECT_FALSE(view.running);
  // A saved page that is not there fails the run, and says so.
  ASSERT_TRUE(session.run(two_sections, dir.file("gone.html")));
  finish();
  EXPECT_NE(view.check.find("The run failed: " + dir.file("gone.html") + ": cannot be opened"), std::string::npos)
      << view.check;
}

TEST(PreviewStop, StopEndsAFetchThatHangs) {
  testing::http_server server;
  server.route("/",
               [](testing::http_connection& c, const testing::http_request&) { c.stall(std::chrono::seconds(30)); });
  ASSERT_TRUE(curl_library_init());
  curl_fetcher fetcher;
  queue_dispatcher ui;
  recorded_view view;
  preview_session session(ui, &fetcher, view);
  ASSERT_TRUE(session.run("<parsedef name='T' url='" + server.url("/") + "'><section/></parsedef>", std::nullopt));
  ui.run_pending(std::chrono::milliseconds(100));
  EXPECT_TRUE(view.running);
  const auto asked = std::chrono::steady_clock::now();
  session.stop();
  for (int i = 0; i < 200 && view.running; ++i) ui.run_pending(std::chrono::milliseconds(25));
  EXPECT_FALSE(view.running);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
  EXPECT_EQ(view.status, "Stopped.");
}

}  // namespace
}  // namespace vantrel
