#pragma once
// How the console tool writes headlines and events.
#include <string>
#include <string_view>

#include "engine/headline_item.h"

namespace vantrel::cli {

// A JSON string literal (with quotes) for UTF-8 text. Bytes that are not valid UTF-8 become
// U+FFFD, so the output is always valid JSON.
std::string json_string(std::string_view text);

// Heading, then the subheading (when there is one) and the link indented by two spaces, then
// an empty line.
std::string format_text(const headline_item& item);
// One line: {"heading","subheading","link","encoding","logo"} in that order.
std::string format_json(const headline_item& item, const std::string* logo_path);

std::string format_start(const char* element);
std::string format_attribute(const char* name, const char* value);
std::string format_text_event(const char* text);
std::string format_end(const char* element);

}  // namespace vantrel::cli
