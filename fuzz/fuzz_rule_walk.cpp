// The rule walk over a ParseDef and a page, both from the input: the ParseDef comes first,
// ended by a zero byte; an input without one is a page under a fixed ParseDef that uses every
// rule kind.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/paths.h"
#include "engine/parser.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const fixed_parsedef =
    "<parsedef url='http://f.example/dir/page.html' charset='windows-1251'>"
    "<section match='regexp' linksearch='first'><start><div class='s*'/>Top</start>"
    "<headline><a class='h'/><title/></headline><subhead>*<p/></subhead><link><link/></link>"
    "<skipto><hr/></skipto><end><div class='end'/></end></section>"
    "<section match='substr'><start><item/></start><headline><b id=''/></headline><end>stop</end></section>"
    "</parsedef>";

// Checks what is handed over; also collects the page events, so their path is walked too.
struct checker : vantrel::job_callbacks {
  void add_item(std::unique_ptr<vantrel::headline_item> item) override {
    if (item->heading.empty() || item->link.empty()) std::abort();  // never handed over
  }
  bool wants_page_events() const override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = vantrel::fuzz::scratch();
  const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  std::string parsedef = dir + "/parsedef.xml";
  const char* page = reinterpret_cast<const char*>(data);
  size_t page_size = size;
  if (zero != nullptr) {
    vantrel::fuzz::write(parsedef, data, static_cast<size_t>(zero - data));
    page = reinterpret_cast<const char*>(zero + 1);
    page_size = size - static_cast<size_t>(zero - data) - 1;
  } else {
    vantrel::fuzz::write(parsedef, reinterpret_cast<const uint8_t*>(fixed_parsedef), std::strlen(fixed_parsedef));
  }
  checker cb;
  vantrel::parser p(&cb, vantrel::tidewatch_folder);
  p.load_parsedef(parsedef);
  p.set_http_status(size % 2 ? 302 : 301);
  p.parse_buffer(page, page_size);
  return 0;
}
