#pragma once
// Putting suggested rules into a document: the text between the root element's start and end
// tags (its sections, and whatever comments stand between them) is replaced by new sections,
// as one edit the editor can undo. The root's own attributes (name, url, logo, ...) stay.
#include <optional>
#include <string>

#include "common/status.h"

namespace vantrel {

struct splice {
  size_t from = 0, to = 0;  // the bytes of the document replaced
  std::string text;         // what replaces them
};

// not_found when the document has no root element to put sections in.
result<splice> sections_splice(const std::string& document, const std::string& sections);

}  // namespace vantrel
