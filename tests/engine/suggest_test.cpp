// The suggester over small pages: what it makes of each shape, the ParseDef it prints run as a
// job runs it, and the examples it cannot use (not on the page, the page's title, hostile
// markup), each with its reason.
#include "engine/suggest.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "engine/parser.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

suggestion suggest(const std::string& page, std::vector<std::string> examples,
                   const std::string& address = "http://site.example/news/") {
  const auto record = page_record::read(page);
  EXPECT_TRUE(record) << record.message();
  if (!record) return {};
  return suggest_rules(*record, {std::move(examples), address});
}

std::vector<std::string> headings(const suggestion& s) {
  std::vector<std::string> out;
  for (const auto& item : s.items) out.push_back(item.heading);
  return out;
}

struct recorder : job_callbacks {
  std::vector<std::string> items;
  void add_item(std::unique_ptr<headline_item> item) override { items.push_back(item->heading + " | " + item->link); }
};

TEST(Suggest, EachShapeYieldsTheHeadlinesLikeTheExample) {
  const std::string nav = "<div class=menu><a href=/>Home</a> <a href=/sport>Sport and leisure today</a></div>";
  struct row {
    const char* shape;
    std::string page;
    std::vector<std::string> want;
  } rows[] = {
      {"anchors in a list beside a menu",
       nav + "<ul class=news><li><a href=/1>Ferry returns to the island</a></li><li><a href=/2>Storm closes the "
             "bridge</a></li><li><a href=/3>Market opens early</a></li></ul>",
       {"Ferry returns to the island", "Storm closes the bridge", "Market opens early"}},
      {"headings with summaries",
       nav + "<div id=main><h2><a href=/a>Ferry returns to the island</a></h2><p>Every hour.</p><h2><a href=/b>Storm "
             "closes the bridge</a></h2><p>Until Friday.</p></div>",
       {"Ferry returns to the island", "Storm closes the bridge"}},
      {"table rows with a comments row between",
       "<table><tr class=t><td><a href=/x>Ferry returns to the island</a></td></tr><tr><td><a href=/c1>3 "
       "comments</a></td></tr><tr class=t><td><a href=/y>Storm closes the bridge</a></td></tr><tr><td><a "
       "href=/c2>9 comments</a></td></tr></table>",
       {"Ferry returns to the island", "Storm closes the bridge"}},
      {"a feed",
       "<?xml version='1.0'?><rss><channel><title>Feed</title><link>http://f/</link><item><title>Ferry returns to "
       "the island</title><link>http://f/1</link><description>d</description></item><item><title>Storm closes the "
       "bridge</title><link>http://f/2</link><description>e</description></item></channel></rss>",
       {"Ferry returns to the island", "Storm closes the bridge"}},
      {"one headline",
       nav + "<div class=alert><a href=/b>Bridge closed after the storm</a></div>",
       {"Bridge closed after the storm"}},
  };
  for (const row& r : rows) {
    const suggestion s = suggest(r.page, {r.want.front()});
    ASSERT_TRUE(s.found()) << r.shape << ": " << s.failure;
    EXPECT_EQ(headings(s), r.want) << r.shape << "\n" << s.parsedef;
  }
}

TEST(Suggest, ThePrintedParseDefYieldsTheSameInAJob) {
  const std::string page =
      "<html><head><title>Gazette &amp; News</title></head><body><div class=menu><a href=/>Home</a></div>"
      "<div class=stories><div class=story><a class='headline lead' href=/1>Ferry returns</a><p class=s>Hourly.</p>"
      "</div><div class=story><a class=headline href=/2>Storm closes the bridge</a><p class=s>Friday.</p></div></div>"
      "<div class=footer><a class=headline href=/about>About</a></div></body></html>";
  const suggestion s = suggest(page, {"storm closes THE bridge"});  // as the user types it
  ASSERT_TRUE(s.found()) << s.failure;
  EXPECT_NE(s.parsedef.find("<parsedef name=\"Gazette &amp; News\" url=\"http://site.example/news/\""),
            std::string::npos)
      << s.parsedef;
  testing::temp_dir dir;
  recorder job;
  parser p(&job, tidewatch_folder);
  ASSERT_EQ(p.load_parsedef(dir.write("suggested.xml", s.parsedef)), 0) << s.parsedef;
  ASSERT_EQ(p.parse_file(dir.write("page.html", page)), 0);
  EXPECT_EQ(job.items, (std::vector<std::string>{"Ferry returns | http://site.example/1",
                                                 "Storm closes the bridge | http://site.example/2"}));
  EXPECT_EQ(s.items.size(), job.items.size());
}

TEST(Suggest, ExamplesItCannotUseSayWhy) {
  const std::string page =
      "<html><head><title>Harbour Gazette</title></head><body><ul><li><a href=/1>Ferry returns to the "
      "island</a></li><li><a href=/2>Storm closes the bridge</a></li></ul></body></html>";
  const suggestion absent = suggest(page, {"Ferry leaves the island"});
  EXPECT_EQ(absent.failure.code(), status_code::not_found);
  EXPECT_EQ(absent.failure.message(), "no text of the page holds \"Ferry leaves the island\"");
  ASSERT_FALSE(absent.closest.empty());
  EXPECT_EQ(absent.closest.front(), "Ferry returns to the island");

  const suggestion title = suggest(page, {"Harbour Gazette"});
  EXPECT_EQ(title.failure.code(), status_code::not_found);
  EXPECT_EQ(title.failure.message(), "\"Harbour Gazette\" is the page's title, not one of its headlines");
  EXPECT_FALSE(suggest(page, {"  "}).found()) << "nothing to look for";
  EXPECT_EQ(suggest(page, {}).failure.code(), status_code::invalid) << "no example at all";
  EXPECT_FALSE(suggest(page, {"Ferry returns to the island", "not there at all"}).found())
      << "every example must be on the page";

  // Markup built to hurt: deep nesting, a huge attribute, the example many times over.
  std::string hostile = "<html><body>";
  for (int i = 0; i < 5000; ++i) hostile += "<div class='d" + std::to_string(i % 7) + "'>";
  hostile += "<a href='/x' data-x='" + std::string(1 << 20, 'q') + "'>Ferry</a>";
  for (int i = 0; i < 2000; ++i) hostile += "<p><a href='/p" + std::to_string(i) + "'>Ferry</a></p>";
  hostile += "</body></html>";
  const suggestion hurt = suggest(hostile, {"Ferry"});
  EXPECT_TRUE(hurt.found() || !hurt.failure.message().empty());
}

}  // namespace
}  // namespace vantrel
