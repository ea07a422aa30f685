#include "engine/source_line.h"

#include "common/text_util.h"
#include "engine/rule_check.h"
#include "engine/tag_icon.h"

namespace vantrel {

source_line element_line(source_kind kind, const char* element) {
  return {kind, tag_icon(element, kind == source_kind::start), element, {}};
}

std::string source_line_text(const source_line& line) {
  std::string text;
  switch (line.kind) {
    case source_kind::start:
      text = line.name;
      break;
    case source_kind::end:
      text = "/" + line.name;
      break;
    case source_kind::attribute:
      text = line.name + " = " + line.value;
      break;
    case source_kind::text:
      text = line.name;
      break;
  }
  text.resize(utf8_prefix_length(text, max_source_line));
  return text;
}

std::string fired_rules_text(const source_line& line, bool several_sections) {
  std::string out;
  for (int k = 0; k < 6; ++k) {
    if ((line.fired & (1u << k)) == 0) continue;
    if (!out.empty()) out += ' ';
    out += rule_kind_name(static_cast<rule_kind>(k));
  }
  if (!out.empty() && several_sections) out += " (section " + std::to_string(line.fired_section + 1) + ")";
  return out;
}

}  // namespace vantrel
