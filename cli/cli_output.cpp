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

namespace {

// Bytes a JSON string cannot hold as they are: control characters, the quote, the backslash.
struct json_special_table {
  bool is[256] = {};
  constexpr json_special_table() {
    for (int c = 0; c < 0x20; ++c) is[c] = true;
    is[static_cast<unsigned char>('"')] = is[static_cast<unsigned char>('\\')] = is[0x7F] = true;
  }
};
constexpr json_special_table json_special;

void append_escaped(std::string& out, unsigned char c) {
  if (c == '"')
    out += "\\\"";
  else if (c == '\b')
    out += "\\b";
  else if (c == '\f')
    out += "\\f";
  else
    append_escape(out, c, "\\u%04x");
}

// The slow way, for text that is not valid UTF-8: each bad byte becomes U+FFFD.
void append_json_repaired(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const size_t len = utf8_sequence_length(s, i);
      out.append(len == 0 ? std::string_view("\xEF\xBF\xBD") : s.substr(i, len));
      i += len == 0 ? 1 : len;
    } else if (json_special.is[c]) {
      append_escaped(out, c);
      ++i;
    } else {
      out.push_back(static_cast<char>(c));
      ++i;
    }
  }
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  out.push_back('"');
  if (!is_valid_utf8(s)) {
    append_json_repaired(out, s);
  } else {
    // Valid text stands as it is but for the few special bytes: copied in whole runs.
    size_t i = 0;
    while (i < s.size()) {
      size_t run = i;
      while (run < s.size() && !json_special.is[static_cast<unsigned char>(s[run])]) ++run;
      out.append(s.data() + i, run - i);
      if (run == s.size()) break;
      append_escaped(out, static_cast<unsigned char>(s[run]));
      i = run + 1;
    }
  }
  out.push_back('"');
}

std::string json_string(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  append_json_string(out, s);
  return out;
}

std::string format_text(const headline& item) {
  std::string out = item.heading + "\n";
  if (item.subheading) out += "  " + *item.subheading + "\n";
  out += "  " + item.link + "\n\n";
  return out;
}

void append_json(std::string& out, const headline& item, const std::string* logo_path, bool fresh,
                 const site_label* site) {
  out += "{\"heading\":";
  append_json_string(out, item.heading);
  out += ",\"subheading\":";
  if (item.subheading) {
    append_json_string(out, *item.subheading);
  } else {
    out += "null";
  }
  out += ",\"link\":";
  append_json_string(out, item.link);
  out += ",\"encoding\":";
  out += std::to_string(item.encoding);
  out += ",\"logo\":";
  if (logo_path) {
    append_json_string(out, *logo_path);
  } else {
    out += "null";
  }
  out += fresh ? ",\"new\":true" : ",\"new\":false";
  if (site != nullptr) {
    out += ",\"site\":";
    append_json_string(out, site->name);
    out += ",\"site_file\":";
    append_json_string(out, site->file);
  }
  out += "}\n";
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
