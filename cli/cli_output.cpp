#include "cli/cli_output.h"

#include <cstdio>

#include "common/text_util.h"

namespace vantrel::cli {

namespace {
// Appends the escape of a backslash or a control character (those without a short form as
// control_format makes them) and returns true; false for a byte that stands as it is.
bool append_escape(std::string& out, unsigned char c, const char* control_format) {
  switch (c) {
    case '\\':
      out += "\\\\";
      return true;
    case '\n':
      out += "\\n";
      return true;
    case '\r':
      out += "\\r";
      return true;
    case '\t':
      out += "\\t";
      return true;
    default:
      if (c >= 0x20 && c != 0x7F) return false;
      char buf[8];
      std::snprintf(buf, sizeof buf, control_format, c);
      out += buf;
      return true;
  }
}
}  // namespace

std::string json_string(std::string_view s) {
  std::string out = "\"";
  out.reserve(s.size() + 2);
  size_t i = 0;
  while (i < s.size()) {
    // Most of a headline stands as it is: copy such runs whole.
    size_t run = i;
    while (run < s.size()) {
      const auto c = static_cast<unsigned char>(s[run]);
      if (c < 0x80 ? (c < 0x20 || c == '"' || c == '\\' || c == 0x7F) : true) break;
      ++run;
    }
    out.append(s.substr(i, run - i));
    if ((i = run) >= s.size()) break;
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const size_t len = utf8_sequence_length(s, i);
      out.append(len == 0 ? std::string_view("\xEF\xBF\xBD") : s.substr(i, len));
      i += len == 0 ? 1 : len;
      continue;
    }
    if (c == '"')
      out += "\\\"";
    else if (c == '\b')
      out += "\\b";
    else if (c == '\f')
      out += "\\f";
    else
      append_escape(out, c, "\\u%04x");
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

std::string format_json(const headline_item& item, const std::string* logo_path, const site_label* site) {
  std::string out = "{\"heading\":" + json_string(item.heading);
  out += ",\"subheading\":" + (item.subheading ? json_string(*item.subheading) : std::string("null"));
  out += ",\"link\":" + json_string(item.link);
  out += ",\"encoding\":" + std::to_string(item.encoding);
  out += ",\"logo\":" + (logo_path ? json_string(*logo_path) : std::string("null"));
  if (site != nullptr) out += ",\"site\":" + json_string(site->name) + ",\"site_file\":" + json_string(site->file);
  out += "}\n";
  return out;
}

std::string escape_controls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (!append_escape(out, static_cast<unsigned char>(ch), "\\x%02x")) out.push_back(ch);
  return out;
}

std::string format_source_line(const source_line& line) {
  std::string out;
  switch (line.kind) {
    case source_kind::start:
      out = "start " + std::to_string(line.icon) + " " + escape_controls(line.name) + "\n";
      break;
    case source_kind::end:
      out = "end " + std::to_string(line.icon) + " " + escape_controls(line.name) + "\n";
      break;
    case source_kind::attribute:
      out = "attr " + escape_controls(line.name) + " = " + escape_controls(line.value) + "\n";
      break;
    case source_kind::text:
      out = "text " + escape_controls(line.name) + "\n";
      break;
  }
  if (line.fired != 0) out += "rule " + fired_rules_text(line, line.fired_section > 0) + "\n";
  return out;
}

}  // namespace vantrel::cli
