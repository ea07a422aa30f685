#pragma once
// Reading an XML document's tags around the caret, for the editor: which tag the caret is in
// and where its partner (the end tag of a start tag, or the other way round) is.
#include <cstddef>
#include <optional>
#include <string_view>

namespace vantrel {

struct text_range {
  size_t begin = 0, end = 0;
  bool operator==(const text_range&) const = default;
};

// The names of a start tag and its end tag, when caret lies inside either tag (from its "<" to
// its ">"). nullopt elsewhere, for an empty-element tag, and when the partner is missing or
// further away than max_distance bytes. Comments, CDATA and processing instructions are passed
// over.
struct tag_pair {
  text_range open, close;  // the element's name in each
  bool operator==(const tag_pair&) const = default;
};
std::optional<tag_pair> matching_tags(std::string_view xml, size_t caret, size_t max_distance = 1 << 20);

}  // namespace vantrel
