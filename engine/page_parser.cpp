#include "engine/page_parser.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <exception>
#include <memory>

#include "common/xml_support.h"

namespace vantrel {

namespace {

// What the callbacks share during one parse. An exception of the sink (memory running out on
// a huge page, say) must not unwind through the library's C frames: it is kept, the parse is
// stopped, and it is thrown again once the library has returned.
struct sax_state {
  page_event_sink* sink;
  xmlParserCtxtPtr ctxt;
  std::string text;
  std::exception_ptr failure;
};

sax_state* state_of(void* ctx) { return static_cast<sax_state*>(ctx); }

template <typename F>
void guarded(void* ctx, F&& f) {
  sax_state* s = state_of(ctx);
  if (s->failure) return;
  try {
    f(s);
  } catch (...) {
    s->failure = std::current_exception();
    xmlStopParser(s->ctxt);
  }
}

void flush_text(sax_state* s) {
  if (s->text.empty()) return;
  s->sink->on_characters(s->text);
  s->text.clear();
}

void on_start(void* ctx, const xmlChar* name, const xmlChar** atts) {
  guarded(ctx, [&](sax_state* s) {
    flush_text(s);
    s->sink->on_start_element(reinterpret_cast<const char*>(name), reinterpret_cast<const char* const*>(atts));
  });
}

void on_end(void* ctx, const xmlChar* name) {
  guarded(ctx, [&](sax_state* s) {
    flush_text(s);
    s->sink->on_end_element(reinterpret_cast<const char*>(name));
  });
}

void on_text(void* ctx, const xmlChar* ch, int len) {
  if (len > 0)
    guarded(ctx, [&](sax_state* s) { s->text.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(len)); });
}

// A comment or processing instruction ends a text run, as it does on the page.
void on_comment(void* ctx, const xmlChar*) { guarded(ctx, flush_text); }
void on_pi(void* ctx, const xmlChar*, const xmlChar*) { guarded(ctx, flush_text); }
void on_end_document(void* ctx) { guarded(ctx, flush_text); }
void ignore_entity_decl(void*, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {}

xmlSAXHandler make_handler() {
  xmlSAXHandler h;
  std::memset(&h, 0, sizeof h);
  h.startElement = on_start;
  h.endElement = on_end;
  h.characters = on_text;
  h.ignorableWhitespace = on_text;
  h.cdataBlock = on_text;
  h.comment = on_comment;
  h.processingInstruction = on_pi;
  h.endDocument = on_end_document;
  h.entityDecl = ignore_entity_decl;
  h.initialized = 1;  // the SAX1 callbacks above: element names and attribute pairs
  return h;
}

// Runs one parse with our handler in place of the library's, and puts the library's back
// before the context is freed, whatever happens.
void run_parse(xmlParserCtxtPtr ctxt, page_event_sink& sink, int (*parse)(xmlParserCtxtPtr)) {
  xmlSAXHandler handler = make_handler();
  sax_state state{&sink, ctxt, {}, nullptr};
  xmlSAXHandlerPtr library_handler = ctxt->sax;
  ctxt->sax = &handler;
  ctxt->userData = &state;
  parse(ctxt);
  guarded(&state, flush_text);
  ctxt->sax = library_handler;
  ctxt->userData = ctxt;
  if (state.failure) std::rethrow_exception(state.failure);
}

}  // namespace

bool encoding_supported(const std::string& name) {
  xml_library_init();
  xmlCharEncodingHandlerPtr h = xmlFindCharEncodingHandler(name.c_str());
  if (h == nullptr) return false;
  xmlCharEncCloseFunc(h);
  return true;
}

status parse_xml_page(std::string_view page, page_event_sink& sink) {
  xml_library_init();
  if (page.size() > max_page_bytes) return {status_code::too_large, "too large to parse"};
  xml_parser_ctxt_ptr ctxt(xmlCreateMemoryParserCtxt(page.data(), static_cast<int>(page.size())));
  if (!ctxt) return {status_code::unavailable, "XML parser cannot be created"};
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const first_xml_error first;
  run_parse(ctxt.get(), sink, xmlParseDocument);
  if (ctxt->wellFormed) return {};
  return {status_code::invalid, first.text().empty() ? describe_xml_error(&ctxt->lastError) : first.text()};
}

status parse_html_page(std::string_view page, const std::string& encoding, page_event_sink& sink) {
  xml_library_init();
  if (page.empty()) return {};  // an empty document holds nothing
  if (page.size() > max_page_bytes) return {status_code::too_large, "too large to parse"};
  xml_parser_ctxt_ptr ctxt(htmlCreateMemoryParserCtxt(page.data(), static_cast<int>(page.size())));
  if (!ctxt) return {status_code::unavailable, "HTML parser cannot be created"};
  htmlCtxtUseOptions(ctxt.get(), HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                     HTML_PARSE_IGNORE_ENC);
  // Recording the encoding on the input keeps a <meta> of the page from switching it.
  if (ctxt->input->encoding) xmlFree(const_cast<xmlChar*>(ctxt->input->encoding));
  ctxt->input->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>(encoding.c_str()));
  xmlCharEncoding known = xmlParseCharEncoding(encoding.c_str());
  if (known != XML_CHAR_ENCODING_ERROR) {
    xmlSwitchEncoding(ctxt.get(), known);  // UTF-8 is read as it stands, without a conversion pass
  } else if (xmlCharEncodingHandlerPtr h = xmlFindCharEncodingHandler(encoding.c_str())) {
    xmlSwitchToEncoding(ctxt.get(), h);
  }
  run_parse(ctxt.get(), sink, htmlParseDocument);
  return {};
}

}  // namespace vantrel
