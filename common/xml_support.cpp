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

first_xml_error::first_xml_error() : saved_context_(xmlStructuredErrorContext), saved_handler_(xmlStructuredError) {
  xmlSetStructuredErrorFunc(this, &first_xml_error::keep);
}

first_xml_error::~first_xml_error() { xmlSetStructuredErrorFunc(saved_context_, saved_handler_); }

void first_xml_error::keep(void* self, _xmlError* error) {
  auto* me = static_cast<first_xml_error*>(self);
  if (me->text_.empty() && error != nullptr && error->level >= XML_ERR_ERROR) me->text_ = describe_xml_error(error);
}

}  // namespace vantrel
