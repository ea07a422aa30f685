#pragma once
// Small text and address helpers shared by both programs. Pure functions: no state, no I/O.
//
// Case handling here is ASCII only. Element and attribute names of pages and ParseDefs are
// compared this way; other letters compare byte for byte.
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline char to_lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
std::string lower_ascii(std::string_view s);
inline bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (to_lower_ascii(a[i]) != to_lower_ascii(b[i])) return false;
  return true;
}
// The same for a text that ends at its NUL, as the page parser hands element and attribute
// names over: compared as far as it goes, without measuring it first.
inline bool iequals(const char* a, std::string_view b) {
  for (char c : b) {
    if (*a == '\0' || to_lower_ascii(*a) != to_lower_ascii(c)) return false;
    ++a;
  }
  return *a == '\0';
}
bool istarts_with(std::string_view s, std::string_view prefix);
// Position of the first case-insensitive occurrence of needle, or npos.
size_t ifind(std::string_view hay, std::string_view needle);

// The words of src (runs of bytes other than space, tab, line feed and carriage return)
// joined by single spaces: no leading, trailing or doubled separators.
std::string collapse_spaces(std::string_view src);
// Same, into a caller-owned buffer (the page walk reuses one for every text).
void collapse_spaces_into(std::string_view src, std::string& out);

// 1 when the text has a byte that is neither white space nor a no-break space, else 0.
// The no-break space counts in both forms a page can deliver it: the single byte 0xA0 of
// the Western code pages and the two-byte UTF-8 form C2 A0 (texts reach the engine as UTF-8).
int has_visible_text(std::string_view text);

// TRUE when the text contains no "://".
bool is_relative_url(std::string_view text);

// The address to follow for a link found in a page whose address is base:
// - leading control characters of the link are skipped; nothing left gives nullopt;
// - a link with "://", or no base, is returned as it stands;
// - "//host/path" takes the scheme of the base;
// - "/path" keeps only the scheme and host of the base;
// - otherwise a base that ends in "/" gets the link appended; a base whose text has a "."
//   loses its last path component (if the "/" before it comes after the host); then "/" and
//   the link are appended.
std::optional<std::string> join_url(const std::optional<std::string>& base, std::string_view link);

// The part of an address up to, not including, the "/" that ends its host part (the whole
// address when there is none). The host part begins after "://", or at the start.
std::string_view url_site_part(std::string_view url);

// Whether an address can be fetched: http or https scheme (any case), a non-empty host, and
// no white space or control characters.
bool is_fetchable_url(std::string_view url);

// The text without leading and trailing white space (space, tab, line feed, carriage return,
// form feed, vertical tab).
// Whether a headline's link may be handed to the desktop to open: only http, https, ftp and
// mailto addresses (never a file, a script or a desktop entry a page planted).
bool is_openable_link(std::string_view link);

// text with &, <, > and " written as entities, for XML attribute values and content.
std::string xml_escape(std::string_view text);

std::string_view trim_spaces(std::string_view text);

// Length of the valid UTF-8 sequence that starts at text[i] (1 for an ASCII byte), or 0 when
// none starts there (a stray byte, an overlong form, a surrogate, past U+10FFFF, cut short).
size_t utf8_sequence_length(std::string_view text, size_t i);
// Whether the whole text is valid UTF-8.
bool is_valid_utf8(std::string_view text);
// The length of the longest start of text that has at most max bytes and does not end inside
// a UTF-8 sequence.
size_t utf8_prefix_length(std::string_view text, size_t max);

// Whether the text holds a control character (below 0x20, or 0x7F): such a text must not go
// into a line of a protocol, a header for one.
bool has_control_chars(std::string_view text);

// text for a message: valid UTF-8 kept, every other byte and every control character written
// as "\xNN", so a file name of any bytes can be shown and told apart.
std::string printable_text(std::string_view text);

// Leading decimal integer as C's atoi reads it (white space, sign, digits), clamped to int.
int leading_int(std::string_view text);

}  // namespace vantrel
