#include "engine/encoding_detect.h"

#include <gtest/gtest.h>

#include "common/text_util.h"

namespace vantrel {
namespace {

using V = std::vector<std::string>;

V html_encoding_candidates(std::string_view page, const std::optional<std::string>& parsedef_charset,
                           const std::optional<std::string>& http_charset) {
  V names;
  for (const encoding_choice& c : html_encoding_choices(page, parsedef_charset, http_charset)) names.push_back(c.name);
  return names;
}

TEST(EncodingDetect, CandidatesInOrderOfTrust) {
  const std::string meta = "<html><head><meta charset=\"koi8-r\"></head>";
  EXPECT_EQ(html_encoding_candidates(meta, "windows-1251", "iso-8859-2"),
            (V{"windows-1251", "iso-8859-2", "koi8-r", "UTF-8"}));
  EXPECT_STREQ(html_encoding_choices(meta, std::nullopt, std::nullopt)[0].source, "a <meta> tag");
  EXPECT_EQ(html_encoding_candidates(meta, std::nullopt, std::nullopt), (V{"koi8-r", "UTF-8"}));
  EXPECT_EQ(html_encoding_candidates("\xEF\xBB\xBF<p>", std::nullopt, std::nullopt), (V{"UTF-8", "UTF-8"}));
  EXPECT_EQ(html_encoding_candidates("\xFF\xFE<\0p\0", std::nullopt, std::nullopt), (V{"UTF-16LE", "windows-1252"}));
  EXPECT_EQ(html_encoding_candidates("<p>caf\xE9</p>", " ", std::nullopt), (V{"windows-1252"}));
}

TEST(EncodingDetect, MetaPrescan) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"<META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=Windows-1257'>", "Windows-1257"},
      {"<meta charset = 'utf-8' >", "utf-8"},
      {"<meta name='description' content='all about charset'><meta charset=ascii>", "ascii"},
      {"<meta name='x'>", std::nullopt},
      {std::string(5000, ' ') + "<meta charset='utf-8'>", std::nullopt},  // past the first 4 KiB
      {"<meta charset='", std::nullopt},
  };
  for (const auto& [page, want] : cases) EXPECT_EQ(prescan_meta_charset(page), want) << page.substr(0, 60);
}

TEST(EncodingDetect, Labels) {
  EXPECT_EQ(normalize_charset_label(" ISO-8859-1 ", false), "windows-1252");
  EXPECT_EQ(normalize_charset_label("US-ASCII", false), "windows-1252");
  EXPECT_EQ(normalize_charset_label("utf-16le", true), "UTF-8");  // a meta cannot mean UTF-16
  EXPECT_EQ(normalize_charset_label("utf-16le", false), "utf-16le");
  EXPECT_EQ(normalize_charset_label("Windows-1251", false), "windows-1251");
}

TEST(EncodingDetect, Utf8Validity) {
  const std::pair<std::string, bool> cases[] = {
      {"plain ascii text longer than eight bytes", true},
      {"\xC3\xA9", true},
      {"\xE2\x82\xAC", true},
      {"\xF0\x9F\x98\x80", true},
      {"\xC3", false},              // cut short
      {"\xC0\xAF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"abcdefgh\xE9", false},
  };
  for (const auto& [bytes, want] : cases) EXPECT_EQ(is_valid_utf8(bytes), want);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(EncodingDetect, Windows1252ConvertsEveryByte) {
  EXPECT_EQ(windows1252_to_utf8("caf\xE9 \x80 \x93q\x94 \x81"),
            "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC2\x81");
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_TRUE(is_valid_utf8(windows1252_to_utf8(all)));
}

}  // namespace
}  // namespace vantrel
