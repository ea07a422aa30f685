#include "common/xml_support.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <mutex>

namespace vantrel {

namespace {

xmlParserInputPtr refuse_external_entity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// The library's own reports would go to the program's standard error; parse failures are
// reported by the callers, in their words.
void silent(void*, const char*, ...) {}

struct library_lifetime {
  library_lifetime() {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuse_external_entity);
    xmlThrDefSetGenericErrorFunc(nullptr, silent);
    xmlSetGenericErrorFunc(nullptr, silent);
  }
  ~library_lifetime() { xmlCleanupParser(); }
};

}  // namespace

void xml_library_init() { static library_lifetime lifetime; }

void xml_doc_deleter::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

void xml_parser_ctxt_deleter::operator()(_xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }

std::string describe_xml_error(const _xmlError* e) {
  if (e == nullptr || e->message == nullptr) return "not well-formed XML";
  std::string msg = e->message;
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  return "not well-formed XML (line " + std::to_string(e->line) + ": " + msg + ")";
}

}  // namespace vantrel
