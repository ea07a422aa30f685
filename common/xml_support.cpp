#include "common/xml_support.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>

#include <memory>
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

std::optional<std::string> root_element_attribute(std::string_view bytes, const char* name) {
  xml_library_init();
  struct reader_closer {
    void operator()(xmlTextReaderPtr r) const { xmlFreeTextReader(r); }
  };
  std::unique_ptr<xmlTextReader, reader_closer> reader(
      xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                         XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!reader) return std::nullopt;
  while (xmlTextReaderRead(reader.get()) == 1) {
    if (xmlTextReaderNodeType(reader.get()) != XML_READER_TYPE_ELEMENT) continue;
    xmlChar* value = xmlTextReaderGetAttribute(reader.get(), reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
  }
  return std::nullopt;
}

bool is_well_formed(std::string_view bytes) {
  xml_library_init();
  xml_parser_ctxt_ptr ctxt(xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
  if (!ctxt) return false;
  // No handlers: nothing is built, the parser only reads. The library's own handler goes back
  // before the context is freed.
  xmlSAXHandler nothing{};
  nothing.initialized = XML_SAX2_MAGIC;  // the parser of today, which says on which line a tag began
  xmlSAXHandlerPtr library_handler = ctxt->sax;
  ctxt->sax = &nothing;
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlParseDocument(ctxt.get());
  const bool well_formed = ctxt->wellFormed != 0;
  ctxt->sax = library_handler;
  return well_formed;
}

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
  if (me->text_.empty() && error != nullptr && error->level >= XML_ERR_ERROR) {
    me->text_ = describe_xml_error(error);
    me->line_ = error->line;
    me->message_ = error->message != nullptr ? error->message : "";
    while (!me->message_.empty() && (me->message_.back() == '\n' || me->message_.back() == ' '))
      me->message_.pop_back();
  }
}

}  // namespace vantrel
