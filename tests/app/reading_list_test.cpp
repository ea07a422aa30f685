// The reading list's blocks: a site's block keeps its place however often the site runs, a
// site without one goes where its queue place says, a removed site leaves no row behind, and a
// headline stays new until it is read.
#include "app/reading_list.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

std::vector<reading_row> rows_of(std::uint32_t site, std::vector<std::string> headings) {
  std::vector<reading_row> rows;
  for (std::string& heading : headings) {
    reading_row& row = rows.emplace_back();
    row.heading = std::move(heading);
    row.site = site;
    row.fresh = true;
  }
  return rows;
}

std::string shown(const reading_list& list) {
  std::string text;
  for (size_t i = 0; i < list.size(); ++i) text += (i ? " " : "") + list.row(i).heading;
  return text;
}

TEST(ReadingList, BlocksKeepTheirQueuePlace) {
  reading_list list;
  const std::uint32_t a = list.site_index("a"), b = list.site_index("b"), c = list.site_index("c"),
                      alone = list.site_index("alone");
  list.site(a).place = 0;
  list.site(b).place = 1;
  list.site(c).place = 2;  // alone has none: it comes after every queued site
  // Each step: a site's run (or its removal) and the list that must follow.
  struct step {
    std::uint32_t site;
    std::vector<std::string> rows;
    bool remove;
    const char* expected;
  };
  const std::vector<step> steps = {
      {c, {"c1"}, false, "c1"},
      {alone, {"x1"}, false, "c1 x1"},
      {a, {"a1", "a2"}, false, "a1 a2 c1 x1"},
      {b, {"b1"}, false, "a1 a2 b1 c1 x1"},
      {a, {"a3"}, false, "a3 b1 c1 x1"},  // a refresh of the first site stays first
      {c, {"c2", "c3"}, false, "a3 b1 c2 c3 x1"},
      {b, {}, true, "a3 c2 c3 x1"},
      {b, {"b2"}, false, "a3 b2 c2 c3 x1"},
  };
  for (const step& s : steps) {
    if (s.remove) {
      list.remove_site(s.site);
    } else {
      list.replace_site(s.site, rows_of(s.site, s.rows));
    }
    EXPECT_EQ(shown(list), s.expected);
    EXPECT_EQ(list.unread(), list.total());
  }
  list.set_filter("c");
  EXPECT_EQ(shown(list), "c2 c3");
  list.replace_site(c, rows_of(c, {"c4"}));
  EXPECT_EQ(shown(list), "c4") << "the filter holds for the new rows";
  list.set_filter("");

  // New until read: reading a row, or all, takes the mark away.
  EXPECT_GE(list.mark_read(0), 0);
  EXPECT_FALSE(list.row(0).fresh);
  EXPECT_TRUE(list.row(1).fresh);
  list.mark_all_read();
  for (size_t i = 0; i < list.size(); ++i) EXPECT_FALSE(list.row(i).fresh) << i;
  EXPECT_EQ(list.unread(), 0u);
}

}  // namespace
}  // namespace vantrel
