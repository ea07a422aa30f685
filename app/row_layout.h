#pragma once
// The geometry of a headline row, without a toolkit: where the logo's sunken frame goes, where
// the text starts, how texts break into lines and how tall a row is. Measuring and drawing both
// come here, so a row is always drawn in exactly the height it was measured at.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct pixel_size {
  int width = 0, height = 0;
};

// What a toolkit font tells about text, for one kind of line (heading, subheading, link).
class text_metrics {
 public:
  virtual ~text_metrics() = default;
  virtual int text_width(int kind, std::string_view text) = 0;
  virtual int line_height(int kind) = 0;
};

// The lines text is drawn in, within width pixels. With wrap, lines break at blanks and a word
// wider than the row is cut and ends in "…"; without it the text is one line, ending in "…"
// when it does not fit. Never empty for a non-empty text.
std::vector<std::string> break_lines(text_metrics& metrics, int kind, std::string_view text, int width, bool wrap);

// Where a row's parts go. row is the row's rectangle (as the list gives it); logo is the
// site's logo size, if it has one.
struct row_places {
  box text;                  // text rectangle: its top is where the heading starts
  std::optional<box> frame;  // the logo frame (L, T, X, B); the logo is drawn at (L + 1, T + 1)
  box mark;                  // the new mark, in a column of its own before the text
  box date;                  // the first-seen date, right-aligned on the heading's line; empty when none
};
// The column before the text where a new headline's mark is drawn (every row keeps it, so the
// text does not move when the mark goes).
constexpr int mark_column = 12;
// date_width: the widest first-seen date, kept free at the right of every row (0: none).
row_places place_row(const box& row, const std::optional<pixel_size>& logo, bool logo_middle, int date_width = 0);

struct row_texts {
  std::string_view heading;
  std::optional<std::string_view> subheading;  // none or empty: no second line
  std::string_view link;
};

// The height of a row client_width wide.
int measure_row(text_metrics& metrics, const row_texts& texts, int client_width, const std::optional<pixel_size>& logo,
                bool wrap, int date_width = 0);

// Row shades, from the face colour 214,215,214.
struct rgb {
  unsigned char r, g, b;
};
enum class shade { face, light, white, dark1, dark2, dark3, dark4, dark5 };
rgb shade_colour(shade s);

// The panel of a row: a fill and the eight lines of its two-pixel bevel (raised, or sunken
// and darker when selected), each a rectangle with its shade, in drawing order.
struct shaded_box {
  box area;
  shade colour;
};
std::vector<shaded_box> row_panel(const box& row, bool selected);
// The shading around a logo frame that makes it look sunken.
std::vector<shaded_box> logo_frame_shading(const box& frame, bool selected);

}  // namespace vantrel
