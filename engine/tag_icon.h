#pragma once
// The picture shown beside an element in the Parsed Source list (index into the strip of 21
// element images).
#include <string_view>

namespace vantrel {

int tag_icon(std::string_view element_name, bool is_start);

}  // namespace vantrel
