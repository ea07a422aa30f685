#pragma once
// The adapter between the XML library's event parsers and the engine: a page in memory goes
// in, element starts, element ends and texts come out in document order.
//
// What the adapter evens out:
// - one run of text arrives as one on_characters call, although the library splits text at
//   entity references and at its buffer boundaries ("AT&amp;T" is one text "AT&T");
// - CDATA sections are text;
// - HTML is decoded from the encoding it is given, so texts always arrive as UTF-8;
// - XML has entities substituted (attribute "a=1&amp;b=2" arrives as "a=1&b=2"), and no
//   external entity, DTD or network address is ever loaded. Entity declarations in a page are
//   ignored, so they cannot expand without bound;
// - an exception thrown by the sink (memory running out, say) stops the parse and is thrown
//   again from the parse function once the library has returned, never through its C frames.
#include <string>
#include <string_view>

#include "common/status.h"

namespace vantrel {

class page_event_sink {
 public:
  virtual ~page_event_sink() = default;
  // attrs holds name, value pairs and ends with a null name; a value may be null (an HTML
  // attribute written without one). attrs itself may be null.
  virtual void on_start_element(const char* name, const char* const* attrs) = 0;
  virtual void on_end_element(const char* name) = 0;
  virtual void on_characters(std::string_view text) = 0;
};

// Largest page the parsers take.
constexpr size_t max_page_bytes = 1u << 30;

// invalid when the document is not well-formed, a failure too when it cannot be parsed at all.
// Events before the error have been delivered.
status parse_xml_page(std::string_view page, page_event_sink& sink);
// ok whatever the HTML holds (the parser recovers); a failure only when it cannot run at all.
status parse_html_page(std::string_view page, const std::string& encoding, page_event_sink& sink);
// Whether the XML library can decode pages written in this encoding.
bool encoding_supported(const std::string& name);

}  // namespace vantrel
