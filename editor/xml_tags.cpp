#include "editor/xml_tags.h"

#include <vector>

namespace vantrel {

namespace {

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// A tag found at "<": its kind and its name's place.
struct tag {
  enum kind_t { start, end, empty, other } kind = other;
  text_range name;
  size_t close = 0;  // one past its ">"
};

// The tag whose "<" is at `at`, or nullopt when it does not end before `limit`.
std::optional<tag> read_tag(std::string_view xml, size_t at, size_t limit) {
  tag t;
  if (xml.substr(at, 4) == "<!--") {
    const size_t end = xml.find("-->", at + 4);
    if (end == std::string_view::npos || end >= limit) return std::nullopt;
    t.close = end + 3;
    return t;
  }
  if (xml.substr(at, 9) == "<![CDATA[") {
    const size_t end = xml.find("]]>", at + 9);
    if (end == std::string_view::npos || end >= limit) return std::nullopt;
    t.close = end + 3;
    return t;
  }
  size_t i = at + 1;
  if (i < xml.size() && xml[i] == '/') {
    t.kind = tag::end;
    ++i;
  } else if (i < xml.size() && (xml[i] == '?' || xml[i] == '!')) {
    t.kind = tag::other;
  } else {
    t.kind = tag::start;
  }
  t.name.begin = i;
  while (i < xml.size() && name_char(xml[i])) ++i;
  t.name.end = i;
  // To the ">" that ends the tag, past quoted attribute values.
  char quote = 0;
  for (; i < xml.size() && i < limit; ++i) {
    const char c = xml[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      if (t.kind == tag::start && xml[i - 1] == '/') t.kind = tag::empty;
      t.close = i + 1;
      if (t.name.begin == t.name.end && t.kind != tag::other) t.kind = tag::other;
      return t;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<tag_pair> matching_tags(std::string_view xml, size_t caret, size_t max_distance) {
  if (caret > xml.size()) return std::nullopt;
  // The tag the caret is in (or just after): the one that begins at the nearest "<" before it,
  // when that tag reaches the caret (quoted values may hold a ">").
  if (xml.empty()) return std::nullopt;
  const size_t look_from = caret < xml.size() ? caret : xml.size() - 1;
  const size_t lt = xml.rfind('<', look_from);
  if (lt == std::string_view::npos || caret - lt > 4096) return std::nullopt;
  const auto here = read_tag(xml, lt, xml.size());
  if (!here || here->close < caret || (here->kind != tag::start && here->kind != tag::end)) return std::nullopt;
  const std::string_view name = xml.substr(here->name.begin, here->name.end - here->name.begin);
  const size_t far = max_distance;

  if (here->kind == tag::start) {
    // Forward to the end tag of the same depth.
    int depth = 0;
    const size_t limit = here->close + far < xml.size() ? here->close + far : xml.size();
    for (size_t at = xml.find('<', here->close); at != std::string_view::npos && at < limit;) {
      const auto t = read_tag(xml, at, limit);
      if (!t) return std::nullopt;
      if (xml.substr(t->name.begin, t->name.end - t->name.begin) == name) {
        if (t->kind == tag::start) ++depth;
        if (t->kind == tag::end && depth-- == 0) return tag_pair{here->name, t->name};
      }
      at = xml.find('<', t->close);
    }
    return std::nullopt;
  }
  // Backward to the start tag of the same depth: the tags before, read from the front of a
  // window that reaches back max_distance, nearest last.
  const size_t from = lt > far ? lt - far : 0;
  std::vector<tag> tags;
  for (size_t at = xml.find('<', from); at != std::string_view::npos && at < lt;) {
    const auto t = read_tag(xml, at, lt);
    if (!t) break;
    if (xml.substr(t->name.begin, t->name.end - t->name.begin) == name &&
        (t->kind == tag::start || t->kind == tag::end)) {
      tags.push_back(*t);
    }
    at = xml.find('<', t->close);
  }
  int depth = 0;
  for (auto it = tags.rbegin(); it != tags.rend(); ++it) {
    if (it->kind == tag::end) ++depth;
    if (it->kind == tag::start && depth-- == 0) return tag_pair{it->name, here->name};
  }
  return std::nullopt;
}

}  // namespace vantrel
