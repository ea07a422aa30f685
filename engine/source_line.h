#pragma once
// One line of the Parsed Source window: a page event as the parser saw it.
#include <cstdint>
#include <string>

namespace vantrel {

enum class source_kind { start, attribute, end, text };

struct source_line {
  source_kind kind = source_kind::text;
  int icon = 0;       // tag_icon of the element for starts and ends, else 0 (no icon)
  std::string name;   // element or attribute name, or the text
  std::string value;  // attribute value
  // The rules that fired at this event: a bit (1 << kind) per rule kind, and the section of
  // the last one (counted from 0).
  std::uint8_t fired = 0;
  std::uint16_t fired_section = 0;
};

// The line of an element's start or end, with its icon.
source_line element_line(source_kind kind, const char* element);

// Longest line shown; a longer one is cut between characters.
constexpr size_t max_source_line = 1023;

// What the window shows: "name" for a start, "/name" for an end, "name = value" for an
// attribute, the text itself; at most max_source_line bytes, never cut inside a character.
std::string source_line_text(const source_line& line);

// The rules that fired at the line, "HEADLINE" or "END START", with the section when the
// ParseDef has more than one ("END START (section 2)"); empty when none fired.
std::string fired_rules_text(const source_line& line, bool several_sections);

}  // namespace vantrel
