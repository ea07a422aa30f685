#pragma once
// Process-wide set-up of the XML library and the owning handle of a parsed document.
// Library types stay out of this header.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlParserCtxt;
struct _xmlError;

namespace vantrel {

// Once per process, before the first parse: no document may make the library load an
// external entity or DTD (a ParseDef or a page could otherwise read local files or reach the
// network), and the library's global clean-up runs at program exit, never while another
// thread may still be parsing.
void xml_library_init();

struct xml_doc_deleter {
  void operator()(_xmlDoc* doc) const;
};
using xml_doc_ptr = std::unique_ptr<_xmlDoc, xml_doc_deleter>;

// An XML or HTML parser context.
struct xml_parser_ctxt_deleter {
  void operator()(_xmlParserCtxt* ctxt) const;
};
using xml_parser_ctxt_ptr = std::unique_ptr<_xmlParserCtxt, xml_parser_ctxt_deleter>;

// The named attribute of the document's first element (entities expanded), read without going
// further: for a root's attributes in a document of any size, also one that goes wrong after
// its first tag. nullopt when there is no such attribute or no first element.
std::optional<std::string> root_element_attribute(std::string_view bytes, const char* name);

// Whether the bytes are well-formed XML, read without building a tree; a first_xml_error
// alive meanwhile learns why not.
bool is_well_formed(std::string_view bytes);

// "not well-formed XML (line N: what the library said)", for messages.
std::string describe_xml_error(const _xmlError* error);

// While it lives, the first error a parse on this thread raises is kept. The library remembers
// only the last one, which for an element left open is the end of the document, far from the
// fault a user has to find.
class first_xml_error {
 public:
  first_xml_error();
  ~first_xml_error();
  first_xml_error(const first_xml_error&) = delete;
  first_xml_error& operator=(const first_xml_error&) = delete;
  // describe_xml_error of the first error, or "" when none was raised.
  const std::string& text() const { return text_; }
  // Its line, and what the library said there (0 and "" when none was raised).
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  static void keep(void* self, _xmlError* error);
  std::string text_, message_;
  int line_ = 0;
  void* saved_context_;
  void (*saved_handler_)(void*, _xmlError*);
};

}  // namespace vantrel
