#include "common/case_fold.h"

#include "common/text_util.h"

namespace vantrel {

namespace {

char32_t fold(char32_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1: À..Þ but ×
  if (c >= 0x100 && c <= 0x137) return c | 1;                // Latin Extended-A: pairs, capital even
  if (c >= 0x139 && c <= 0x148) return c + (c & 1);          // Ĺ..Ň: capital odd
  if (c >= 0x14A && c <= 0x177) return c | 1;
  if (c == 0x178) return 0xFF;  // Ÿ
  if (c >= 0x179 && c <= 0x17E) return c + (c & 1);
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek Α..Ϋ
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ѐ..Џ
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic А..Я
  return c;
}

}  // namespace

void append_folded(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(to_lower_ascii(static_cast<char>(b)));
      ++i;
      continue;
    }
    const size_t length = utf8_sequence_length(s, i);
    if (length == 2) {
      // Every capital folded here, and its small letter, takes two bytes.
      const char32_t c = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
      const char32_t folded = fold(c);
      out.push_back(static_cast<char>(0xC0 | (folded >> 6)));
      out.push_back(static_cast<char>(0x80 | (folded & 0x3F)));
      i += 2;
      continue;
    }
    const size_t take = length == 0 ? 1 : length;
    out.append(s.substr(i, take));
    i += take;
  }
}

std::string fold_case(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  append_folded(out, utf8);
  return out;
}

}  // namespace vantrel
