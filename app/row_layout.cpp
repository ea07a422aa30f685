#include "app/row_layout.h"

#include <algorithm>

#include "common/text_util.h"

namespace vantrel {

namespace {

constexpr std::string_view ellipsis = "\xE2\x80\xA6";  // "…"

// The longest prefix of text, cut between characters, that fits width with "…" after it.
std::string fit_with_ellipsis(text_metrics& m, int kind, std::string_view text, int width) {
  if (m.text_width(kind, text) <= width) return std::string(text);
  std::vector<size_t> cuts;  // prefix lengths that end on a character boundary
  for (size_t i = 0; i < text.size(); i += std::max<size_t>(1, utf8_sequence_length(text, i))) cuts.push_back(i);
  auto fits = [&](size_t length) {
    std::string candidate(text.substr(0, length));
    candidate += ellipsis;
    return m.text_width(kind, candidate) <= width;
  };
  // Widths grow with the prefix: binary search for the last that fits.
  size_t low = 0, high = cuts.size() - 1;
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (fits(cuts[mid])) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return std::string(text.substr(0, cuts[low])) + std::string(ellipsis);
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::vector<std::string> break_lines(text_metrics& m, int kind, std::string_view text, int width, bool wrap) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  width = std::max(width, 1);
  if (!wrap) {
    lines.push_back(fit_with_ellipsis(m, kind, text, width));
    return lines;
  }
  std::string line;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    if (pos >= text.size()) break;
    size_t end = pos;
    while (end < text.size() && !is_blank(text[end])) ++end;
    const std::string_view word = text.substr(pos, end - pos);
    pos = end;
    std::string joined = line.empty() ? std::string(word) : line + " " + std::string(word);
    if (m.text_width(kind, joined) <= width) {
      line = std::move(joined);
      continue;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    line = fit_with_ellipsis(m, kind, word, width);
  }
  if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
  return lines;
}

row_places place_row(const box& row, const std::optional<pixel_size>& logo, bool logo_middle, int date_width) {
  // The working rectangle: the row less a pixel on each side, its top moved back up by one.
  const box r{row.left + 1, row.top, row.right - 1, row.bottom - 1};
  row_places places;
  int text_left = r.left + 3;
  if (logo) {
    box f;
    f.left = r.left + 5;
    f.right = f.left + logo->width + 2;
    f.top = logo_middle ? r.top + (r.bottom - r.top - logo->height - 1) / 2 : r.top + 6;
    f.bottom = std::min(r.bottom - 3, f.top + logo->height + 2);
    places.frame = f;
    text_left = f.right + 5;
  }
  places.mark = {text_left + 1, r.top + 5, text_left + 10, r.top + 14};
  text_left += mark_column;
  places.text = {text_left, r.top + 2, r.right - 6, r.bottom};
  if (date_width > 0) {
    places.date = {places.text.right - date_width, places.text.top, places.text.right, r.bottom};
    places.text.right = std::max(places.text.left, places.date.left - 8);
  }
  return places;
}

int measure_row(text_metrics& m, const row_texts& texts, int client_width, const std::optional<pixel_size>& logo,
                bool wrap, int date_width) {
  const row_places places = place_row({0, 0, client_width, 0}, logo, false, date_width);
  const int width = places.text.width();
  auto height_of = [&](int kind, std::string_view text) {
    return static_cast<int>(break_lines(m, kind, text, width, wrap).size()) * m.line_height(kind);
  };
  int height = height_of(0, texts.heading) + height_of(2, texts.link) + 7;
  if (texts.subheading && !texts.subheading->empty()) height += height_of(1, *texts.subheading);
  const int minimum = logo ? logo->height + 14 : 0;
  return std::max(height, minimum);
}

rgb shade_colour(shade s) {
  auto face = [](int delta) {
    auto clamp = [](int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); };
    return rgb{clamp(214 + delta), clamp(215 + delta), clamp(214 + delta)};
  };
  switch (s) {
    case shade::face:
      return face(0);
    case shade::light:
      return face(32);
    case shade::white:
      return {255, 255, 255};
    case shade::dark1:
      return face(-32);
    case shade::dark2:
      return face(-64);
    case shade::dark3:
      return face(-96);
    case shade::dark4:
      return face(-128);
    case shade::dark5:
      return face(-160);
  }
  return face(0);
}

namespace {
box at(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
}  // namespace

std::vector<shaded_box> row_panel(const box& row, bool selected) {
  const int x = row.left, y = row.top, w = row.width(), h = row.height();
  const shade outer_lt = selected ? shade::dark5 : shade::dark3;
  const shade outer_rb = selected ? shade::dark3 : shade::dark5;
  const shade inner_lt = selected ? shade::dark4 : shade::white;
  const shade inner_rb = selected ? shade::dark1 : shade::dark2;
  return {
      {at(x, y, w, h), selected ? shade::dark2 : shade::face},
      {at(x, y, 1, h), outer_lt},
      {at(x + 1, y, w - 1, 1), outer_lt},
      {at(x + w - 1, y + 1, 1, h - 1), outer_rb},
      {at(x + 1, y + h - 1, w - 1, 1), outer_rb},
      {at(x + 1, y + 1, 1, h - 3), inner_lt},
      {at(x + 2, y + 1, w - 4, 1), inner_lt},
      {at(x + w - 2, y + 2, 1, h - 3), inner_rb},
      {at(x + 2, y + h - 2, w - 3, 1), inner_rb},
  };
}

std::vector<shaded_box> logo_frame_shading(const box& f, bool selected) {
  const int L = f.left, T = f.top, X = f.right, B = f.bottom;
  const shade below = selected ? shade::face : shade::light;
  const shade above = selected ? shade::dark3 : shade::dark2;
  return {
      {at(L, B, X - L + 1, 1), below},
      {at(X, T, 1, B - T), below},
      {at(L - 1, T - 1, 1, B - T + 1), above},
      {at(L, T - 1, X - L, 1), above},
  };
}

}  // namespace vantrel
