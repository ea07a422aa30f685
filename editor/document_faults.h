#pragma once
// Where a ParseDef document goes wrong, by line, for the editor's margin: the first fault that
// keeps it from being read, and the rules a check of it found never matching.
#include <optional>
#include <string>
#include <vector>

#include "engine/rule_check.h"

namespace vantrel {

struct document_fault {
  long line = 0;  // from 1
  std::string message;
  bool operator==(const document_fault&) const = default;
};

// The first fault of the document's bytes as the XML library reads them (with the line it
// names), or nullopt when they are well-formed XML.
std::optional<document_fault> first_fault(const std::string& bytes);
// The lines of the rules that report found never matching in the document it was made over
// ("never matched: HEADLINE <a class="x">"), in order; a section never entered names its START
// rules only. Empty when the bytes are not a ParseDef with those rules.
std::vector<document_fault> unmatched_rules(const std::string& bytes, const rule_report& report);

}  // namespace vantrel
