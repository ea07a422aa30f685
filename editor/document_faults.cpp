#include "editor/document_faults.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "common/parsedef_node.h"
#include "common/xml_support.h"
#include "engine/parsedef_rules.h"

namespace vantrel {

namespace {

// The document read as the engine reads a ParseDef; null when it is not well-formed (a
// first_xml_error alive meanwhile learns why).
xml_doc_ptr read(const std::string& bytes) {
  xml_library_init();
  xml_parser_ctxt_ptr ctxt(xmlNewParserCtxt());
  if (!ctxt) return nullptr;
  xml_doc_ptr doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                    XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                        XML_PARSE_NOBLANKS | XML_PARSE_BIG_LINES));
  if (!doc || !ctxt->wellFormed) return nullptr;
  return doc;
}

}  // namespace

std::optional<document_fault> first_fault(const std::string& bytes) {
  const first_xml_error first;
  if (is_well_formed(bytes)) return std::nullopt;
  if (first.line() > 0) return document_fault{first.line(), first.message()};
  return document_fault{1, "not well-formed XML"};
}

std::vector<document_fault> unmatched_rules(const std::string& bytes, const rule_report& report) {
  xml_doc_ptr doc = read(bytes);
  if (!doc) return {};
  const parsedef_rules rules = read_parsedef_rules(pd_node(xmlDocGetRootElement(doc.get())));
  std::vector<document_fault> out;
  for (size_t s = 0; s < report.sections.size() && s < rules.sections.size(); ++s) {
    const section_tally& section = report.sections[s];
    const bool entered = section.start_matched();
    for (size_t r = 0; r < section.rules.size() && r < rules.sections[s].rules.size(); ++r) {
      const rule_tally& tally = section.rules[r];
      const bool starts = tally.kind == rule_kind::start || tally.kind == rule_kind::skipto;
      // In a section never entered only its start tells anything.
      if (tally.matches > 0 || (!entered && !starts)) continue;
      out.push_back({rules.sections[s].rules[r].line, "never matched: " + tally.description});
    }
  }
  return out;
}

}  // namespace vantrel
