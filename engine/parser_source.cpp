// The parser's source loading (parser.h): bringing a source document, a local file or a
// fetched page, into the event parser.
#include <cstring>

#include "common/file_read.h"
#include "engine/encoding_detect.h"
#include "engine/parser.h"

namespace vantrel {

namespace {

// Whether "<?xml" or "<?XML" stands anywhere in the page. Question marks are rare in a page,
// so they are what the scan looks for.
bool has_xml_declaration(std::string_view page) {
  const char* p = page.data();
  const char* const end = p + page.size();
  while ((p = static_cast<const char*>(std::memchr(p, '?', static_cast<size_t>(end - p)))) != nullptr) {
    if (p > page.data() && p[-1] == '<' && end - p >= 4 &&
        (std::memcmp(p + 1, "xml", 3) == 0 || std::memcmp(p + 1, "XML", 3) == 0))
      return true;
    ++p;
  }
  return false;
}
// Hands each event to the tap, then to the rules.
class tee_sink : public page_event_sink {
 public:
  tee_sink(page_event_sink& first, page_event_sink& second) : first_(first), second_(second) {}
  void on_start_element(const char* name, const char* const* attrs) override {
    first_.on_start_element(name, attrs);
    second_.on_start_element(name, attrs);
  }
  void on_end_element(const char* name) override {
    first_.on_end_element(name);
    second_.on_end_element(name);
  }
  void on_characters(std::string_view text) override {
    first_.on_characters(text);
    second_.on_characters(text);
  }

 private:
  page_event_sink& first_;
  page_event_sink& second_;
};
}  // namespace

int parser::parse_file(const std::string& path) {
  failure_ = {};
  auto page = read_file_bytes(path, max_page_bytes);
  if (!page) {
    failure_ = page.error().is(status_code::too_large)
                   ? status(status_code::too_large, "is too large (more than 1 GiB)")
                   : page.error();
    return -1;
  }
  return parse_buffer(page->data.get(), page->size);
}

int parser::parse_buffer(const char* document, size_t length) {
  walk_.start_page();
  if (document == nullptr) {
    failure_ = {status_code::invalid, "no document"};
    return -1;
  }
  std::string_view page(document, length);
  is_xml_ = has_xml_declaration(page);
  tee_sink tee(tap_ != nullptr ? *tap_ : walk_, walk_);
  page_event_sink& sink = tap_ != nullptr ? static_cast<page_event_sink&>(tee) : walk_;
  status parsed;
  ++report_.pages;
  if (is_xml_) {
    const encoding_choice how = xml_page_encoding(page);
    report_.encoding = how.name;
    report_.encoding_source = how.source;
    parsed = parse_xml_page(page, sink);
  } else {
    std::string chosen = "UTF-8";
    report_.encoding_source = "no encoding the parser supports: UTF-8 assumed";
    for (encoding_choice& candidate : html_encoding_choices(page, parsedef_charset_, http_charset_)) {
      if (encoding_supported(candidate.name)) {
        chosen = std::move(candidate.name);
        report_.encoding_source = candidate.source;
        break;
      }
    }
    report_.encoding = chosen;
    if (chosen == "windows-1252") {
      // Converted here rather than by the library, which stops at the five bytes the code
      // page leaves undefined; pages that use them still read to their end.
      std::string utf8 = windows1252_to_utf8(page);
      parsed = parse_html_page(utf8, "UTF-8", sink);
    } else {
      parsed = parse_html_page(page, chosen, sink);
    }
  }
  walk_.end_page();
  if (!parsed.ok()) {
    failure_ = parsed;
    return -1;
  }
  return 0;
}

}  // namespace vantrel
