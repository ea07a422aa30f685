// Row geometry without a toolkit: line breaking, the places of logo frame and text, heights
// and shades, with a font where every character is 6 pixels wide.
#include "app/row_layout.h"

#include <gtest/gtest.h>

#include "common/text_util.h"

namespace vantrel {
namespace {

class fixed_metrics : public text_metrics {
 public:
  int text_width(int, std::string_view text) override {
    int chars = 0;
    for (size_t i = 0; i < text.size(); i += std::max<size_t>(1, utf8_sequence_length(text, i))) ++chars;
    return chars * 6;
  }
  int line_height(int kind) override { return kind == 0 ? 10 : kind == 1 ? 8 : 9; }
};

TEST(RowLayout, BreaksLines) {
  struct {
    const char* text;
    int width;
    bool wrap;
    std::vector<std::string> lines;
  } cases[] = {
      {"one two three", 60, true, {"one two", "three"}},
      {"  spaced   out  ", 60, true, {"spaced out"}},
      {"abcdefghijklmnop", 60, true, {"abcdefghi\u2026"}},
      {"go http://example.org/a/very/long/link end", 60, true, {"go", "http://ex\u2026", "end"}},
      {"one two three", 60, false, {"one two t\u2026"}},
      {"short", 60, false, {"short"}},
      {"\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4",
       60,
       false,
       {"\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u2026"}},
      {"abc", 3, false, {"\u2026"}},
      {"", 60, true, {}},
  };
  fixed_metrics m;
  for (const auto& c : cases) {
    EXPECT_EQ(break_lines(m, 0, c.text, c.width, c.wrap), c.lines) << c.text << " in " << c.width;
  }
}

TEST(RowLayout, PlacesLogoFrameAndText) {
  const row_places with_logo = place_row({0, 100, 400, 180}, pixel_size{40, 60}, false);
  ASSERT_TRUE(with_logo.frame);
  EXPECT_EQ(with_logo.frame->left, 6);
  EXPECT_EQ(with_logo.frame->top, 106);
  EXPECT_EQ(with_logo.frame->right, 48);
  EXPECT_EQ(with_logo.frame->bottom, 168);
  EXPECT_EQ(with_logo.mark.left, 54) << "the new mark's column comes between logo and text";
  EXPECT_EQ(with_logo.mark.top, 105);
  EXPECT_EQ(with_logo.text.left, 53 + mark_column);
  EXPECT_EQ(with_logo.text.top, 102);
  EXPECT_EQ(with_logo.text.right, 393);

  EXPECT_EQ(place_row({0, 0, 400, 100}, pixel_size{40, 60}, true).frame->top, 19) << "centred: (99 - 60 - 1) / 2";
  EXPECT_EQ(place_row({0, 0, 400, 50}, pixel_size{40, 60}, false).frame->bottom, 46) << "kept inside a short row";
  const row_places plain = place_row({0, 0, 400, 30}, std::nullopt, false);
  EXPECT_FALSE(plain.frame);
  EXPECT_EQ(plain.text.left, 4 + mark_column);
}

TEST(RowLayout, MeasuresRowHeights) {
  fixed_metrics m;
  EXPECT_EQ(measure_row(m, {"Heading", std::nullopt, "http://x/"}, 400, std::nullopt, true), 10 + 9 + 7);
  EXPECT_EQ(measure_row(m, {"Heading", std::string_view(""), "http://x/"}, 400, std::nullopt, true), 26);
  EXPECT_EQ(measure_row(m, {"Heading", std::string_view("Sub"), "http://x/"}, 400, std::nullopt, true), 34);
  EXPECT_EQ(measure_row(m, {"Heading", std::nullopt, "http://x/"}, 400, pixel_size{40, 60}, true), 74);
  // 400 wide leaves 389 - 16 = 373 pixels of text: 62 characters a line.
  const std::string long_heading = std::string(60, 'a') + " " + std::string(60, 'b');
  EXPECT_EQ(measure_row(m, {long_heading, std::nullopt, "http://x/"}, 400, std::nullopt, true), 20 + 9 + 7);
  EXPECT_EQ(measure_row(m, {long_heading, std::nullopt, "http://x/"}, 400, std::nullopt, false), 26);
}

TEST(RowLayout, ShadesRaisedAndSunkenPanels) {
  EXPECT_EQ(shade_colour(shade::light).r, 246);
  EXPECT_EQ(shade_colour(shade::dark5).g, 55);
  const auto raised = row_panel({0, 0, 100, 40}, false);
  const auto sunken = row_panel({0, 0, 100, 40}, true);
  ASSERT_EQ(raised.size(), 9u);
  EXPECT_EQ(raised[0].colour, shade::face);
  EXPECT_EQ(sunken[0].colour, shade::dark2);
  EXPECT_EQ(raised[1].colour, shade::dark3);
  EXPECT_EQ(sunken[1].colour, shade::dark5);
  EXPECT_EQ(raised[8].area.top, 38) << "inner bottom line";
  const auto frame = logo_frame_shading({6, 6, 48, 68}, false);
  EXPECT_EQ(frame[0].area.top, 68);
  EXPECT_EQ(frame[0].area.width(), 43);
  EXPECT_EQ(frame[2].area.left, 5);
}

}  // namespace
}  // namespace vantrel
