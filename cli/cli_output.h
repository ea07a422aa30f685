#pragma once
// How the console tool writes headlines and events.
#include <string>
#include <string_view>

#include "engine/headline_item.h"
#include "engine/source_line.h"

namespace vantrel::cli {

// A JSON string literal (with quotes) for UTF-8 text. Bytes that are not valid UTF-8 become
// U+FFFD, so the output is always valid JSON.
std::string json_string(std::string_view text);
// The same, appended to out.
void append_json_string(std::string& out, std::string_view text);

// Heading, then the subheading (when there is one) and the link indented by two spaces, then
// an empty line.
std::string format_text(const headline& item);
// One line: {"heading","subheading","link","encoding","logo","new"} in that order, then "site"
// and "site_file" when site is given (a queue run). fresh: not seen before.
struct site_label {
  std::string name;  // the queue entry's name
  std::string file;  // its path relative to the ParseDef root
};
void append_json(std::string& out, const headline& item, const std::string* logo_path, bool fresh,
                 const site_label* site = nullptr);

// The text with backslashes, line breaks and other control characters written as escapes
// ("\\", "\n", "\r", "\t", "\xNN"), so that a page's text cannot fake an event line.
std::string escape_controls(std::string_view text);

// One event line: "start ICON NAME", "attr NAME = VALUE", "text TEXT" or "end ICON NAME";
// then "rule KINDS" when rules fired at the event ("rule HEADLINE", "rule END START (section 2)").
std::string format_source_line(const source_line& line);

}  // namespace vantrel::cli
