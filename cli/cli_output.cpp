#include "cli/cli_output.h"

#include <cstdio>

#include "engine/tag_icon.h"

namespace vantrel::cli {

namespace {
// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8_sequence(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && b(i + 1) < 0xA0) return 0;   // overlong
  if (c == 0xED && b(i + 1) >= 0xA0) return 0;  // surrogate
  if (c == 0xF0 && b(i + 1) < 0x90) return 0;   // overlong
  if (c == 0xF4 && b(i + 1) >= 0x90) return 0;  // past U+10FFFF
  return len;
}
}  // namespace

std::string json_string(std::string_view s) {
  std::string out = "\"";
  out.reserve(s.size() + 2);
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      size_t len = utf8_sequence(s, i);
      if (len == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(s.substr(i, len));
        i += len;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
  out.push_back('"');
  return out;
}

std::string format_text(const headline_item& item) {
  std::string out = item.heading + "\n";
  if (item.subheading) out += "  " + *item.subheading + "\n";
  out += "  " + item.link + "\n\n";
  return out;
}

std::string format_json(const headline_item& item, const std::string* logo_path) {
  std::string out = "{\"heading\":" + json_string(item.heading);
  out += ",\"subheading\":" + (item.subheading ? json_string(*item.subheading) : std::string("null"));
  out += ",\"link\":" + json_string(item.link);
  out += ",\"encoding\":" + std::to_string(item.encoding);
  out += ",\"logo\":" + (logo_path ? json_string(*logo_path) : std::string("null"));
  out += "}\n";
  return out;
}

std::string format_start(const char* element) {
  return "start " + std::to_string(tag_icon(element, true)) + " " + element + "\n";
}
std::string format_attribute(const char* name, const char* value) {
  return std::string("attr ") + name + " = " + value + "\n";
}
std::string format_text_event(const char* text) { return std::string("text ") + text + "\n"; }
std::string format_end(const char* element) {
  return "end " + std::to_string(tag_icon(element, false)) + " " + element + "\n";
}

}  // namespace vantrel::cli
