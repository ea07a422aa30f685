#pragma once
// The stored form of a font: one line of 14 comma-separated fields (size in points, width,
// escapement, orientation, weight, italic, underline, strike-out, character set, output
// precision, clip precision, quality, pitch and family, face name), as the settings keep the
// fonts of the headline list. The fields after the size are kept as numbers even where this
// platform draws nothing with them, so files written elsewhere read back unchanged.
#include <string>
#include <string_view>

namespace vantrel {

struct font_desc {
  int size = 8;  // points
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;  // 400 regular, 700 bold
  int italic = 0;
  int underline = 0;
  int strike_out = 0;
  int char_set = 0;
  int out_precision = 0;
  int clip_precision = 0;
  int quality = 0;
  int pitch_and_family = 0;
  std::string face = "MS Sans Serif";  // at most 31 characters, no comma

  bool bold() const { return weight > 400; }
};

// Reads a description. Fields are split at "," (a run of commas is one separator); a missing
// or non-numeric field keeps the default of font_desc, a size that is not positive becomes 8.
// Never fails: a garbled setting draws with a sane font rather than none.
font_desc parse_font_desc(std::string_view text);
// The stored line ("%d,...,%d,%s"); the face is cut to 31 characters and loses its commas.
std::string format_font_desc(const font_desc& desc);
// What the preferences dialog shows: "Face 8 pt", then " Bold", then " Italic".
std::string font_desc_display(const font_desc& desc);

// The stored default face of older settings, which this platform does not have: it draws
// with the desktop's own sans-serif face at that size instead (and keeps the stored text).
constexpr std::string_view legacy_default_face = "MS Sans Serif";

}  // namespace vantrel
