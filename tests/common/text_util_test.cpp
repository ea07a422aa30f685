#include "common/text_util.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(CollapseSpaces, JoinsWordsWithSingleSpaces) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {" \t\r\n ", ""},
      {"word", "word"},
      {"  two\t\twords \n", "two words"},
      {"a\r\nb\n\nc", "a b c"},
      {"keep\vvertical\ftabs", "keep\vvertical\ftabs"},  // only space, tab, CR, LF separate
      {"no\xC2\xA0"
       "break",
       "no\xC2\xA0"
       "break"},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(collapse_spaces(in), want) << "[" << in << "]";
}

// Long texts take a faster way through runs of single spaces: it must give what the plain rule
// gives, wherever the runs, spaces and line breaks fall.
TEST(CollapseSpaces, LongTextsGiveWhatThePlainRuleGives) {
  const auto plain = [](const std::string& in) {
    std::string out;
    bool space_due = false;
    for (char c : in) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        space_due = !out.empty();
      } else {
        if (space_due) out += ' ';
        space_due = false;
        out += c;
      }
    }
    return out;
  };
  const char pieces[] = {'a', 'b', ' ', ' ', '\n', '\t', '\r', 'x', '\xC3', '\xA9', 'y', ' '};
  unsigned seed = 12345;
  std::string buffer;  // reused, as the walk reuses its own
  for (int round = 0; round < 2000; ++round) {
    std::string in;
    const size_t length = round % 70;
    for (size_t k = 0; k < length; ++k) {
      seed = seed * 1103515245u + 12345u;
      // Mostly letters and single spaces, now and then a separator run.
      const unsigned pick = (seed >> 16) % 40;
      in += pick < 28 ? pieces[pick % 2] : pick < 34 ? ' ' : pieces[2 + pick % 10];
    }
    collapse_spaces_into(in, buffer);
    ASSERT_EQ(buffer, plain(in)) << "[" << in << "]";
  }
}

TEST(HasVisibleText, SpacesAndNoBreakSpacesAreInvisible) {
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {" \t\n\r\v\f", 0},
      {"\xA0\xA0 ", 0},          // Western code pages' no-break space
      {"\xC2\xA0 \xC2\xA0", 0},  // the same in UTF-8
      {"\xC2", 1},               // a lone lead byte is not a space
      {"  x ", 1},
      {"\xD0\x96", 1},  // Cyrillic letter
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(has_visible_text(in), want) << "[" << in << "]";
}

TEST(JoinUrl, JoinsLinksLikeTheSiteMeansThem) {
  struct row {
    std::optional<std::string> base;
    std::string link;
    std::optional<std::string> want;
  };
  const row cases[] = {
      {"http://host/dir/page.html", "x.html", "http://host/dir/x.html"},
      {"http://host/dir/page.html", "/x.html", "http://host/x.html"},
      {"http://host/dir/", "x.html", "http://host/dir/x.html"},
      {"http://host.example", "x.html", "http://host.example/x.html"},
      {"http://host/news", "x.html", "http://host/news/x.html"},             // no dot anywhere
      {"http://host.example/news", "x.html", "http://host.example/x.html"},  // a dot in the host
      {"http://host.example", "/x.html", "http://host.example/x.html"},
      {"http://host/dir/page.html", "https://other/y", "https://other/y"},
      {std::nullopt, "rel/x.html", "rel/x.html"},
      {"http://host/dir/page.html", "\t\r\n x.html", "http://host/dir/ x.html"},  // a space is kept
      {"http://host/dir/page.html", "\x01\x02\t\n", std::nullopt},
      {"http://host/dir/page.html", "", std::nullopt},
      {"https://host/dir/page.html", "//cdn.example/a.js", "https://cdn.example/a.js"},
      // As a browser joins them: a place on the same page, another query of it, a scheme of its own.
      {"http://host/dir/page.html#top", "#all_x", "http://host/dir/page.html#all_x"},
      {"http://host/dir/page.html?a=1#top", "#all_x", "http://host/dir/page.html?a=1#all_x"},
      {"http://host/dir/list?page=1#top", "?page=2", "http://host/dir/list?page=2"},
      {"http://host/dir/list", "?page=2", "http://host/dir/list?page=2"},
      {"http://host/dir/page.html", "mailto:desk@host.example", "mailto:desk@host.example"},
      {"http://host/dir/page.html", "javascript:void(0)", "javascript:void(0)"},
      {"http://host/dir/page.html", "view-source+x.2:y", "view-source+x.2:y"},
      {"http://host/dir/page.html", "a/b:c", "http://host/dir/a/b:c"},  // a "/" before the ":": a path
      {"http://host/dir/page.html", "page.html?at=12:30", "http://host/dir/page.html?at=12:30"},
      {"http://host/dir/page.html", "2026:12", "http://host/dir/2026:12"},  // a scheme begins with a letter
      {"http://host/",
       "\xC3\xBC"
       "ber.html",
       "http://host/\xC3\xBC"
       "ber.html"},  // UTF-8 kept whole
  };
  for (const auto& c : cases) EXPECT_EQ(join_url(c.base, c.link), c.want) << c.link;
}

TEST(IsFetchableUrl, OnlyHttpAndHttpsWithAHost) {
  const std::pair<std::string, bool> cases[] = {
      {"http://host/", true},
      {"HTTPS://host:8080/p?q", true},
      {"http://user@host", true},
      {"ftp://host/", false},
      {"http://", false},
      {"http:///path", false},
      {"http://ho st/", false},
      {"file:///etc/passwd", false},
      {"host/page", false},
      {"http://:80/", false},
      {"", false},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(is_fetchable_url(in), want) << in;
}

TEST(LeadingInt, ReadsLikeAtoiWithoutOverflow) {
  const std::pair<std::string, int> cases[] = {
      {"20", 20},
      {" 7; url=x", 7},
      {"-3", -3},
      {"abc", 0},
      {"", 0},
      {"99999999999999", 2147483647},
      {"-99999999999999", -2147483647 - 1},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(leading_int(in), want) << in;
}

TEST(CaseHelpers, AsciiOnly) {
  EXPECT_TRUE(iequals("FoNt", "font"));
  EXPECT_FALSE(iequals("font", "fonts"));
  EXPECT_FALSE(iequals("\xC3\x84", "\xC3\xA4"));  // non-ASCII letters compare byte for byte
  EXPECT_EQ(ifind("text/html; CHARSET=x", "charset"), 11u);
  EXPECT_EQ(ifind("abc", "abcd"), std::string_view::npos);
  EXPECT_TRUE(is_relative_url("/a/b"));
  EXPECT_FALSE(is_relative_url("http://a"));
}

}  // namespace
}  // namespace vantrel
