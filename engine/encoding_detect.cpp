#include "engine/encoding_detect.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "common/text_util.h"

namespace vantrel {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::optional<std::string> bom_encoding(std::string_view p) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(p[i]); };
  if (p.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return "UTF-8";
  if (p.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) return "UTF-16LE";
  if (p.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) return "UTF-16BE";
  return std::nullopt;
}

// The value after "charset" (skipping "=", white space and one quote) in one meta tag.
std::optional<std::string> charset_in_tag(std::string_view tag) {
  size_t at = ifind(tag, "charset");
  while (at != std::string_view::npos) {
    size_t i = at + 7;
    while (i < tag.size() && is_space(tag[i])) ++i;
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      while (i < tag.size() && is_space(tag[i])) ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) ++i;
      size_t start = i;
      while (i < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[i])) || tag[i] == '-' || tag[i] == '_' ||
                                tag[i] == '.' || tag[i] == ':'))
        ++i;
      if (i > start) return std::string(tag.substr(start, i - start));
    }
    size_t next = ifind(tag.substr(at + 7), "charset");
    at = next == std::string_view::npos ? next : at + 7 + next;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> prescan_meta_charset(std::string_view page) {
  std::string_view head = page.substr(0, 4096);
  size_t from = 0;
  while (from < head.size()) {
    size_t open = ifind(head.substr(from), "<meta");
    if (open == std::string_view::npos) break;
    open += from;
    size_t close = head.find('>', open);
    std::string_view tag = head.substr(open, close == std::string_view::npos ? head.npos : close - open);
    if (auto cs = charset_in_tag(tag)) return cs;
    if (close == std::string_view::npos) break;
    from = close + 1;
  }
  return std::nullopt;
}

std::string windows1252_to_utf8(std::string_view bytes) {
  // Code points of 0x80 to 0x9F; the rest of the page is Latin-1.
  static constexpr std::uint16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
      continue;
    }
    std::uint32_t cp = (c < 0xA0) ? high[c - 0x80] : c;
    if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
  return out;
}

std::string normalize_charset_label(std::string_view label, bool from_meta) {
  std::string l = lower_ascii(trim_spaces(label));
  if (l == "iso-8859-1" || l == "iso8859-1" || l == "latin1" || l == "l1" || l == "us-ascii" || l == "ascii" ||
      l == "iso_8859-1" || l == "cp1252")
    return "windows-1252";
  if (l == "utf8") return "UTF-8";
  if (from_meta && l.rfind("utf-16", 0) == 0) return "UTF-8";
  return l;
}

std::vector<encoding_choice> html_encoding_choices(std::string_view page,
                                                   const std::optional<std::string>& parsedef_charset,
                                                   const std::optional<std::string>& http_charset) {
  std::vector<encoding_choice> out;
  if (parsedef_charset && !trim_spaces(*parsedef_charset).empty())
    out.push_back({normalize_charset_label(*parsedef_charset, false), "the ParseDef's charset"});
  if (http_charset && !trim_spaces(*http_charset).empty())
    out.push_back({normalize_charset_label(*http_charset, false), "the server's Content-Type"});
  if (auto bom = bom_encoding(page)) out.push_back({*bom, "a byte-order mark"});
  if (auto meta = prescan_meta_charset(page)) out.push_back({normalize_charset_label(*meta, true), "a <meta> tag"});
  if (is_valid_utf8(page))
    out.push_back({"UTF-8", "the bytes, which are valid UTF-8"});
  else
    out.push_back({"windows-1252", "the bytes, which are not UTF-8"});
  return out;
}

encoding_choice xml_page_encoding(std::string_view page) {
  if (auto bom = bom_encoding(page)) return {*bom, "a byte-order mark"};
  // The declaration is the document's first thing: only its first line need be read.
  const std::string_view head = page.substr(0, std::min<size_t>(page.size(), 512));
  const size_t decl = head.find("<?xml");
  const size_t close = head.find("?>");
  if (decl != std::string_view::npos && close != std::string_view::npos && decl < close) {
    std::string_view d = head.substr(decl, close - decl);
    size_t at = d.find("encoding");
    if (at != std::string_view::npos) {
      at = d.find_first_of("\"'", at);
      if (at != std::string_view::npos) {
        const size_t end = d.find(d[at], at + 1);
        if (end != std::string_view::npos) return {std::string(d.substr(at + 1, end - at - 1)), "the XML declaration"};
      }
    }
  }
  return {"UTF-8", "XML's default (no encoding declared)"};
}

}  // namespace vantrel
