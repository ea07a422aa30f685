#include "common/font_desc.h"

#include <charconv>
#include <vector>

namespace vantrel {

namespace {

constexpr size_t max_face = 31;

std::vector<std::string_view> split_fields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < text.size() && fields.size() < 13) {
    size_t comma = text.find(',', pos);
    if (comma == std::string_view::npos) break;
    if (comma > pos) fields.push_back(text.substr(pos, comma - pos));
    pos = comma + 1;
  }
  // The face runs to the next comma (it cannot hold one) or the end.
  while (pos < text.size() && text[pos] == ',') ++pos;
  std::string_view rest = text.substr(std::min(pos, text.size()));
  rest = rest.substr(0, rest.find(','));
  if (!rest.empty()) fields.push_back(rest);
  return fields;
}

void read_int(std::string_view field, int& out) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (ec == std::errc() && end != field.data()) out = value;
}

}  // namespace

font_desc parse_font_desc(std::string_view text) {
  font_desc d;
  const auto fields = split_fields(text);
  int* numbers[] = {&d.size,           &d.width,     &d.escapement,      &d.orientation, &d.weight,
                    &d.italic,         &d.underline, &d.strike_out,      &d.char_set,    &d.out_precision,
                    &d.clip_precision, &d.quality,   &d.pitch_and_family};
  for (size_t i = 0; i < fields.size() && i < 13; ++i) read_int(fields[i], *numbers[i]);
  if (fields.size() == 14) d.face = std::string(fields[13].substr(0, max_face));
  if (d.size <= 0 || d.size > 1000) d.size = 8;
  if (d.weight < 0 || d.weight > 1000) d.weight = 400;
  return d;
}

std::string format_font_desc(const font_desc& d) {
  std::string face;
  for (char c : d.face) {
    if (c != ',' && c != '\n' && c != '\r') face += c;
  }
  if (face.size() > max_face) face.resize(max_face);
  std::string out;
  for (int n : {d.size, d.width, d.escapement, d.orientation, d.weight, d.italic, d.underline, d.strike_out, d.char_set,
                d.out_precision, d.clip_precision, d.quality, d.pitch_and_family}) {
    out += std::to_string(n);
    out += ',';
  }
  return out + face;
}

std::string font_desc_display(const font_desc& d) {
  std::string text = d.face + " " + std::to_string(d.size) + " pt";
  if (d.bold()) text += " Bold";
  if (d.italic != 0) text += " Italic";
  return text;
}

}  // namespace vantrel
