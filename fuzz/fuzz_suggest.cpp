// The suggester over a page and an example, both from the input: the example comes first,
// ended by a newline; an input without one is a page and its first visible text's first word
// is looked for. Whatever it answers must hold together: rules made yield at least one
// headline with a heading, and an answer without rules says why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/suggest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  std::string example = newline == std::string_view::npos ? "news" : std::string(input.substr(0, newline));
  const std::string_view page = newline == std::string_view::npos ? input : input.substr(newline + 1);
  const auto record = vantrel::page_record::read(page);
  if (!record) return 0;
  const vantrel::suggestion found = vantrel::suggest_rules(*record, {{example}, "http://f.example/dir/page.html"});
  if (found.found()) {
    if (found.items.empty() || found.sections.empty() || found.parsedef.empty()) std::abort();
    for (const auto& item : found.items)
      if (item.heading.empty()) std::abort();
  } else if (found.failure.message().empty()) {
    std::abort();
  }
  return 0;
}
