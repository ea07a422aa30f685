#include "engine/source_line.h"

#include "common/text_util.h"
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

}  // namespace vantrel
