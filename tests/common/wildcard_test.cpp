#include "common/wildcard.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct row {
  const char* pattern;
  const char* text;
  bool want;
};

TEST(WildcardMatch, Table) {
  const row cases[] = {
      {"*.html", "index.html", true},
      {"*.html", "index.htm", false},
      {"*.html", ".html", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"abc", "ABC", false},  // case matters
      {"*", "", true},
      {"", "", true},
      {"", "x", false},
      {"ab*", "ab", true},    // one trailing star may stand for nothing
      {"ab**", "ab", false},  // two may not
      {"ab**", "abc", true},
      {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"*story*", "top-story-1", true},
      {"[abc]x", "bx", true},
      {"[abc]x", "dx", false},
      {"[!abc]x", "bx", false},  // inverted set fails on a member
      {"[^abc]x", "dx", true},
      {"[a-c]", "b", true},
      {"[c-a]", "b", true},  // a range in either order
      {"[a-c]", "d", false},
      {"[\\]]", "]", true},
      {"[\\-]", "-", true},
      {"\\*", "*", true},
      {"\\*", "x", false},
      {"x[0-9]*", "x7abc", true},
      // Bad patterns match nothing, even where the bad part would not be reached.
      {"[]", "]", false},
      {"[!]", "x", false},
      {"[abc", "a", false},
      {"[a-]", "a", false},
      {"abc\\", "abc", false},
      {"x|[", "x", false},
  };
  for (const row& c : cases) EXPECT_EQ(wildcard_match(c.pattern, c.text), c.want) << c.pattern << " / " << c.text;
}

}  // namespace
}  // namespace vantrel
