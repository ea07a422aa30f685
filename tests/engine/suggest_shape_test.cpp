// What the suggester reads from a page's structure, piece by piece: where an example stands,
// the headlines like it, the link of each, and the patterns that pick the headings out.
#include "engine/suggest_shape.h"

#include <gtest/gtest.h>

namespace vantrel::suggest_detail {
namespace {

page_record page_of(const std::string& text) {
  auto page = page_record::read(text);
  EXPECT_TRUE(page) << page.message();
  return page ? std::move(*page) : page_record::read("<p/>").value();
}

std::vector<std::string> names(const page_record& page, const std::vector<std::uint32_t>& nodes) {
  std::vector<std::string> out;
  for (std::uint32_t n : nodes) out.push_back(page.name_of(n));
  return out;
}

const char* const news =
    "<html><head><title>Harbour Gazette</title></head><body>"
    "<div id=main><ul class='stories'>"
    "<li class='story top'><h2><a href='/1'>Ferry returns to the island</a></h2><p>Hourly.</p></li>"
    "<li class='story'><h2><a href='/2'>Storm closes the bridge</a></h2><p>Until Monday.</p></li>"
    "<li class='story'><h2>Market day moves</h2><a href='/3'>Read more</a></li>"
    "</ul></div><div class=aside><ul><li><a href='/x'>Weather</a></li></ul></div></body></html>";

TEST(SuggestShape, ExamplesAreFoundFoldedInTheSmallestElementAndNotInTheTitle) {
  EXPECT_EQ(search_form("  Ferry\xC2\xA0RETURNS\n to "), "ferry returns to");
  const page_record page = page_of(news);
  const auto ferry = find_example(page, "ferry  returns", 6);
  ASSERT_EQ(ferry.size(), 1u);
  EXPECT_EQ(page.name_of(ferry[0].element), "a") << "the anchor, not the heading or the item around it";
  EXPECT_FALSE(ferry[0].in_title);
  const auto title = find_example(page, "harbour gazette", 6);
  ASSERT_EQ(title.size(), 1u);
  EXPECT_TRUE(title[0].in_title);
  EXPECT_TRUE(find_example(page, "ferry leaves", 6).empty());
  EXPECT_TRUE(find_example(page, "   ", 6).empty()) << "nothing to look for";
  const auto near = closest_texts(page, "Ferry leaves the island", 1);
  ASSERT_EQ(near.size(), 1u);
  EXPECT_EQ(near[0], "Ferry returns to the island");
}

TEST(SuggestShape, TheHeadlinesLikeAnExampleCarryTheirLinks) {
  const page_record page = page_of(news);
  const auto ferry = find_example(page, "Ferry returns to the island", 1);
  ASSERT_EQ(ferry.size(), 1u);
  const auto outward = heading_elements(page, ferry[0].element);
  EXPECT_EQ(names(page, outward), (std::vector<std::string>{"a", "h2"}));
  const expected_set like = headlines_like(page, outward.back());
  EXPECT_EQ(like.texts,
            (std::vector<std::string>{"Ferry returns to the island", "Storm closes the bridge", "Market day moves"}));
  EXPECT_EQ(like.links, (std::vector<std::string>{"/1", "/2", "/3"})) << "a link after the heading in its item";
  EXPECT_EQ(page.name_of(like.block), "ul");
  for (std::uint32_t h : like.headings) {
    EXPECT_TRUE(is_inside(page, h, like.block));
    EXPECT_EQ(page.name_of(record_of(page, h, like.block)), "li");
  }
  const auto patterns = patterns_for(page, like.headings);
  ASSERT_FALSE(patterns.empty());
  EXPECT_EQ(patterns.front().name, "h2");
  EXPECT_EQ(matches_on_page(page, patterns.front(), false), 3u);
  // The items share the class word "story", one with another word beside it.
  std::vector<std::uint32_t> items;
  for (std::uint32_t h : like.headings) items.push_back(record_of(page, h, like.block));
  bool by_class = false;
  for (const element_choice& c : patterns_for(page, items))
    if (c.attribute == "class" && c.value == "story" && c.substring) by_class = matches_on_page(page, c, true) == 3;
  EXPECT_TRUE(by_class);
  const auto around = distinct_ancestor(page, {like.block});
  ASSERT_TRUE(around);
  EXPECT_EQ(around->name, "div");
  EXPECT_EQ(around->attribute, "id");
  EXPECT_EQ(around->value, "main");
}

TEST(SuggestShape, FeedsGiveTheirLinksAndSummaries) {
  const struct {
    const char* name;
    const char* feed;
    const char* link;
    const char* summary;  // the summary element every item has; "" for none
  } cases[] = {
      {"RSS",
       "<?xml version='1.0'?><rss><channel><title>T</title><item><title>One</title><link>http://s/1</link>"
       "<description>First</description></item><item><title>Two</title><link>http://s/2</link>"
       "<description>Second</description></item></channel></rss>",
       "http://s/1", "description"},
      {"Atom",
       "<?xml version='1.0'?><feed><title>T</title><entry><title>One</title>"
       "<link rel='self' href='http://s/self'/><link href='http://s/1'/></entry>"
       "<entry><title>Two</title><link href='http://s/2'/><summary>S</summary></entry></feed>",
       "http://s/1", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const page_record page = page_of(c.feed);
    const auto one = find_example(page, "One", 1);
    ASSERT_EQ(one.size(), 1u);
    const std::uint32_t item = page.nodes()[one[0].element].parent;
    EXPECT_EQ(link_of(page, one[0].element, item), c.link);
    const auto two = find_example(page, "Two", 1);
    ASSERT_EQ(two.size(), 1u);
    const std::vector<std::uint32_t> items = {item, page.nodes()[two[0].element].parent};
    const auto link = feed_link(page, items);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->name, "link");
    const auto summary = feed_summary(page, items, {one[0].element, two[0].element});
    if (*c.summary == '\0') {
      EXPECT_TRUE(summary.empty()) << "not every entry has one";
    } else {
      ASSERT_FALSE(summary.empty());
      EXPECT_EQ(summary.front().name, c.summary);
    }
  }
}

}  // namespace
}  // namespace vantrel::suggest_detail
