#include "common/text_util.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {

std::string lower_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = to_lower_ascii(c);
  return out;
}

bool istarts_with(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

size_t ifind(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() > hay.size()) return std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= hay.size(); ++i)
    if (iequals(hay.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

namespace {
// Space, tab, line feed and carriage return: the separators of words in a page's text.
struct separator_table {
  bool is[256] = {};
  constexpr separator_table() {
    for (unsigned char c : {' ', '\t', '\n', '\r'}) is[c] = true;
  }
};
constexpr separator_table separators;
inline bool is_separator(char c) { return separators.is[static_cast<unsigned char>(c)]; }
}  // namespace

namespace {

// Where the separators of 16 bytes are (a bit per byte, the first byte lowest), and whether
// any of them is a tab or a line break; nullopt when this machine has no 16-byte compares.
struct block_separators {
  unsigned spaces = 0;
  bool others = false;
};
inline std::optional<block_separators> find_separators(const char* p) {
#if defined(__SSE2__)
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const auto is = [&](char c) { return _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))); };
  return block_separators{static_cast<unsigned>(is(' ')), (is('\t') | is('\n') | is('\r')) != 0};
#else
  (void)p;
  return std::nullopt;
#endif
}

}  // namespace

void collapse_spaces_into(std::string_view src, std::string& out) {
  // A separator run becomes one space, and only between two words. Page text is mostly words
  // parted by single spaces: 16 bytes holding nothing else are copied as they stand. The rest
  // goes a byte at a time, without branches on the bytes (each word's end would be a wrong
  // guess): every byte is written, and the write position moves on only past what stays. A
  // space is written as soon as its run begins and taken back at the end when no word follows.
  if (out.size() < src.size() + 16) out.resize(src.size() + 16);
  char* const begin = out.data();
  char* w = begin;
  bool last_space = true;  // as if a space stood before the text: no space opens it
  size_t i = 0;
  const size_t n = src.size();
  while (i < n) {
    if (i + 16 <= n) {
      if (const auto found = find_separators(src.data() + i)) {
        // Single spaces only, none right after a space already written.
        const unsigned follows = (found->spaces << 1) | (last_space ? 1u : 0u);
        if (!found->others && (found->spaces & follows) == 0) {
          std::memcpy(w, src.data() + i, 16);
          w += 16;
          i += 16;
          last_space = (found->spaces & 0x8000u) != 0;
          continue;
        }
      }
    }
    const char c = src[i++];
    const bool separator = is_separator(c);
    *w = separator ? ' ' : c;
    w += !(separator & last_space);
    last_space = separator;
  }
  if (last_space && w != begin) --w;  // a trailing space
  out.resize(static_cast<size_t>(w - begin));
}

std::string collapse_spaces(std::string_view src) {
  std::string out;
  collapse_spaces_into(src, out);
  return out;
}

int has_visible_text(std::string_view text) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || (c >= '\t' && c <= '\r') || c == 0xA0) continue;
    if (c == 0xC2 && i + 1 < n && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
      ++i;
      continue;
    }
    return 1;
  }
  return 0;
}

bool is_relative_url(std::string_view text) { return text.find("://") == std::string_view::npos; }

std::string_view url_site_part(std::string_view url) {
  size_t scheme = url.find("://");
  size_t host_start = scheme == std::string_view::npos ? 0 : scheme + 3;
  size_t slash = url.find('/', host_start);
  return slash == std::string_view::npos ? url : url.substr(0, slash);
}

namespace {

// Whether an address begins with a scheme of its own ("mailto:", "javascript:"): a letter,
// then letters, digits, "+", "-" or ".", then ":" before any "/", "?" or "#".
bool has_own_scheme(std::string_view link) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (link.empty() || !letter(link[0])) return false;
  for (size_t i = 1; i < link.size(); ++i) {
    const char c = link[i];
    if (c == ':') return true;
    if (!(letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')) return false;
  }
  return false;
}

}  // namespace

std::optional<std::string> join_url(const std::optional<std::string>& base, std::string_view link) {
  size_t skip = 0;
  while (skip < link.size()) {
    unsigned char c = static_cast<unsigned char>(link[skip]);
    if (c >= 0x20 && c != 0x7F) break;
    ++skip;
  }
  link.remove_prefix(skip);
  if (link.empty()) return std::nullopt;
  if (!is_relative_url(link) || !base || has_own_scheme(link)) return std::string(link);

  const std::string& b = *base;
  if (link.size() >= 2 && link[0] == '/' && link[1] == '/') {
    size_t scheme = b.find("://");
    if (scheme != std::string::npos) return b.substr(0, scheme + 1) + std::string(link);
  }
  if (link[0] == '/') return std::string(url_site_part(b)) + std::string(link);
  // A browser keeps the page's own address for these: "#part" is another place on the same
  // page, "?page=2" the same page with another query.
  if (link[0] == '#') return b.substr(0, b.find('#')) + std::string(link);
  if (link[0] == '?') return b.substr(0, b.find_first_of("?#")) + std::string(link);

  std::string out = b;
  if (out.empty() || out.back() != '/') {
    if (out.find('.') != std::string::npos) {
      size_t host_end = url_site_part(out).size();
      size_t last = out.rfind('/');
      if (last != std::string::npos && last >= host_end) out.resize(last);
    }
    out.push_back('/');
  }
  out.append(link);
  return out;
}

bool is_fetchable_url(std::string_view url) {
  std::string_view rest;
  if (istarts_with(url, "http://"))
    rest = url.substr(7);
  else if (istarts_with(url, "https://"))
    rest = url.substr(8);
  else
    return false;
  for (char c : url) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
  }
  size_t host_end = rest.find_first_of("/?#");
  std::string_view host = rest.substr(0, host_end);
  size_t at = host.rfind('@');
  if (at != std::string_view::npos) host.remove_prefix(at + 1);
  return !host.empty() && host[0] != ':';
}

int leading_int(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i++] - '0');
    if (value > INT_MAX) value = INT_MAX + 1LL;  // keep clamping without overflow
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string_view trim_spaces(std::string_view s) {
  auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

size_t utf8_sequence_length(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  const size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && b(i + 1) < 0xA0) return 0;   // overlong
  if (c == 0xED && b(i + 1) >= 0xA0) return 0;  // surrogate
  if (c == 0xF0 && b(i + 1) < 0x90) return 0;   // overlong
  if (c == 0xF4 && b(i + 1) >= 0x90) return 0;  // past U+10FFFF
  return len;
}

bool is_valid_utf8(std::string_view s) {
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    // Fast path over ASCII, eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t chunk;
      std::memcpy(&chunk, s.data() + i, 8);
      if (chunk & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    const size_t len = utf8_sequence_length(s, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool has_control_chars(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string printable_text(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t len = utf8_sequence_length(text, i);
    const auto byte = static_cast<unsigned char>(text[i]);
    if (len == 0 || byte < 0x20 || byte == 0x7F) {
      static constexpr char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 15];
      ++i;
    } else {
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

size_t utf8_prefix_length(std::string_view s, size_t max) {
  if (s.size() <= max) return s.size();
  size_t cut = max;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

bool is_openable_link(std::string_view link) {
  link = trim_spaces(link);
  for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"}) {
    if (istarts_with(link, scheme) && link.size() > scheme.size()) return true;
  }
  return false;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace vantrel
