#pragma once
// One line of the Parsed Source window: a page event as the parser saw it.
#include <string>

namespace vantrel {

enum class source_kind { start, attribute, end, text };

struct source_line {
  source_kind kind = source_kind::text;
  int icon = 0;       // tag_icon of the element for starts and ends, else 0 (no icon)
  std::string name;   // element or attribute name, or the text
  std::string value;  // attribute value
};

// The line of an element's start or end, with its icon.
source_line element_line(source_kind kind, const char* element);

// Longest line shown; a longer one is cut between characters.
constexpr size_t max_source_line = 1023;

// What the window shows: "name" for a start, "/name" for an end, "name = value" for an
// attribute, the text itself; at most max_source_line bytes, never cut inside a character.
std::string source_line_text(const source_line& line);

}  // namespace vantrel
