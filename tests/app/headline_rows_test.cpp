// Rows drawn into a bitmap: the logo's sunken frame, where the text starts, the heights with
// and without wrapping, and a rebuild that keeps the selection and the scroll position.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>

#include "app/headline_list.h"
#include "app/wx_support.h"
#include "common/platform.h"
#include "tests/app/gui_support.h"
#include "tests/app/window_test_access.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

reading_row make_row(std::string heading, std::optional<std::string> subheading) {
  reading_row row;
  row.heading = std::move(heading);
  row.subheading = std::move(subheading);
  row.link = "http://example.org/story";
  return row;
}

class HeadlineRows : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "rows", wxDefaultPosition, wxSize(420, 500));
    list_ = new CHeadlineList(frame_, rows_, settings_);
    frame_->Show();
    testing::pump();
  }
  void TearDown() override {
    frame_->Destroy();
    testing::pump();
  }
  // A row of a site of its own, whose logo is a red rectangle of the size given.
  void add(reading_row row, int logo_w = 0, int logo_h = 0) {
    row.site = rows_.site_index("site " + std::to_string(rows_.total()));
    if (logo_w > 0) {
      wxImage image(logo_w, logo_h);
      image.SetRGB(wxRect(0, 0, logo_w, logo_h), 255, 0, 0);
      rows_.site(row.site).logo = std::make_shared<logo_picture>(image);
    }
    std::vector<reading_row> rows;
    rows.push_back(std::move(row));
    rows_.append(std::move(rows));
  }
  int line_height(int kind) {
    wxCoord w = 0, h = 0;
    const wxFont font = font_from_desc(parse_font_desc(settings_.get_font(0, kind)));
    list_->GetTextExtent("Ag", &w, &h, nullptr, nullptr, &font);
    return h;
  }
  wxImage draw(size_t n, bool selected) {
    const int width = list_->GetClientSize().GetWidth();
    const int height = window_test_access::row_height(*list_, n);
    wxBitmap bitmap(width, height, 24);
    {
      wxMemoryDC dc(bitmap);
      list_->draw_row(dc, wxRect(0, 0, width, height), n, selected);
    }
    return bitmap.ConvertToImage();
  }

  testing::temp_dir dir_;
  prefs settings_{dir_.file("tidewatch.ini")};
  reading_list rows_;
  wxFrame* frame_ = nullptr;
  CHeadlineList* list_ = nullptr;
};

bool is_rgb(const wxImage& image, int x, int y, int r, int g, int b) {
  return image.GetRed(x, y) == r && image.GetGreen(x, y) == g && image.GetBlue(x, y) == b;
}

// The first column, from from_x on, that holds a pixel of text (neither face nor shading).
int first_ink_column(const wxImage& image, int from_x) {
  for (int x = from_x; x < image.GetWidth() - 3; ++x) {
    for (int y = 3; y < image.GetHeight() - 3; ++y) {
      if (image.GetRed(x, y) < 100 && image.GetGreen(x, y) < 100) return x;
    }
  }
  return -1;
}

TEST_F(HeadlineRows, LogoFrameTextStartAndHeights) {
  add(make_row("Ferry route opens", std::nullopt), 40, 60);
  add(make_row("Harbour news", std::string("A subheading")));
  list_->rebuild();
  // Heights: heading and link plus 7, raised to the logo's height plus 14.
  EXPECT_EQ(window_test_access::row_height(*list_, 0), std::max(line_height(0) + line_height(2) + 7, 74));
  EXPECT_EQ(window_test_access::row_height(*list_, 1), line_height(0) + line_height(1) + line_height(2) + 7);

  const wxImage logo_row = draw(0, false);
  // Frame at L = 6, T = 6 (the row's top plus 6); the logo inside at (7, 7).
  EXPECT_TRUE(is_rgb(logo_row, 6, 6, 0, 0, 0));
  EXPECT_TRUE(is_rgb(logo_row, 7, 7, 255, 0, 0));
  EXPECT_TRUE(is_rgb(logo_row, 5, 10, 150, 151, 150)) << "dark 2 left of the frame";
  EXPECT_TRUE(is_rgb(logo_row, 48, 10, 246, 247, 246)) << "light right of the frame";
  EXPECT_TRUE(is_rgb(logo_row, 0, 10, 118, 119, 118)) << "outer bevel";
  EXPECT_TRUE(is_rgb(logo_row, 30, 70, 214, 215, 214)) << "face below the frame";
  EXPECT_GE(first_ink_column(logo_row, 49), 53 + mark_column);
  EXPECT_LE(first_ink_column(logo_row, 49), 56 + mark_column);

  const wxImage plain_row = draw(1, true);
  EXPECT_TRUE(is_rgb(plain_row, 300, 4, 150, 151, 150)) << "selected rows are filled with dark 2";
  EXPECT_TRUE(is_rgb(plain_row, 0, 4, 54, 55, 54)) << "and their outer bevel is dark 5";
  EXPECT_GE(first_ink_column(plain_row, 2), 4 + mark_column);
  EXPECT_LE(first_ink_column(plain_row, 2), 7 + mark_column);

  // Middle alignment centres the logo frame in a taller row.
  settings_.set_logo_align(1);
  add(make_row(std::string(30, 'x') + " " + std::string(30, 'y') + " " + std::string(30, 'z'), std::string("sub")), 16,
      16);
  list_->rebuild();
  const int height = window_test_access::row_height(*list_, 2);
  const wxImage middle = draw(2, false);
  const int top = (height - 1 - 16 - 1) / 2;
  EXPECT_TRUE(is_rgb(middle, 6, top, 0, 0, 0));
  EXPECT_FALSE(is_rgb(middle, 6, top - 1, 0, 0, 0));
}

TEST_F(HeadlineRows, WrapGrowsLongRowsAndOffKeepsOneLine) {
  std::string long_heading;
  for (int i = 0; i < 40; ++i) long_heading += "harbour ";
  add(make_row(long_heading, std::nullopt));
  add(make_row("https://example.org/" + std::string(300, 'a'), std::nullopt));
  list_->rebuild();
  const int one_line = line_height(0) + line_height(2) + 7;
  EXPECT_GT(window_test_access::row_height(*list_, 0), one_line + line_height(0)) << "wrapped over several lines";
  EXPECT_EQ(window_test_access::row_height(*list_, 1), one_line) << "an unbreakable word is cut, not wrapped";

  frame_->SetSize(260, 500);
  testing::pump();
  list_->rebuild();
  const int narrow = window_test_access::row_height(*list_, 0);
  frame_->SetSize(600, 500);
  testing::pump();
  list_->rebuild();
  EXPECT_GT(narrow, window_test_access::row_height(*list_, 0)) << "a narrower list makes wrapped rows taller";

  settings_.set_wrap(0);
  list_->rebuild();
  EXPECT_EQ(window_test_access::row_height(*list_, 0), one_line);
}

TEST_F(HeadlineRows, NewRowsAreMarkedAndReadOnesPaler) {
  reading_row fresh = make_row("Fresh news", std::nullopt), read = make_row("Read news", std::nullopt);
  fresh.fresh = true;
  read.read = true;
  add(make_row("Plain news", std::nullopt));
  add(fresh);
  add(read);
  list_->rebuild();
  // The mark's column lies before the text: only the new row has ink there.
  auto orange_in_mark = [](const wxImage& row) {
    for (int x = 4; x < 4 + mark_column; ++x)
      for (int y = 4; y < 14; ++y)
        if (row.GetRed(x, y) > 200 && row.GetGreen(x, y) < 160 && row.GetBlue(x, y) < 60) return true;
    return false;
  };
  EXPECT_FALSE(orange_in_mark(draw(0, false)));
  EXPECT_TRUE(orange_in_mark(draw(1, false)));
  EXPECT_TRUE(orange_in_mark(draw(1, true))) << "also in a selected row";
  EXPECT_NE(first_ink_column(draw(0, false), 2), -1);
  EXPECT_EQ(first_ink_column(draw(2, false), 2), -1) << "a read heading is grey, no darker";
}

TEST_F(HeadlineRows, RebuildKeepsTheSelectedHeadlineAndTheOneInView) {
  for (int i = 0; i < 2000; ++i) add(make_row("Headline " + std::to_string(i), std::string("sub")));
  list_->rebuild();
  list_->SetSelection(700);
  list_->ScrollToRow(690);
  testing::pump();
  for (int i = 0; i < 50; ++i) add(make_row("More " + std::to_string(i), std::nullopt));
  list_->rebuild();
  EXPECT_EQ(list_->GetItemCount(), 2050u);
  EXPECT_EQ(list_->GetSelection(), 700);
  EXPECT_EQ(list_->GetVisibleRowsBegin(), 690u);

  // A filter that still shows them keeps them, at their new places.
  rows_.set_filter("headline 7");
  list_->rebuild();
  ASSERT_EQ(list_->GetItemCount(), 111u) << "7, 70..79, 700..799";
  EXPECT_EQ(rows_.row(static_cast<size_t>(list_->GetSelection())).heading, "Headline 700");
  rows_.set_filter("More");
  list_->rebuild();
  EXPECT_EQ(list_->GetSelection(), wxNOT_FOUND) << "the selected headline is not shown";
}

TEST(LogoLoader, APictureClaimingTooManyPixelsIsNeverDecoded) {
  // The sample logo with its header changed to claim 20000 x 20000 pixels: 1.2 GB if decoded.
  std::string bomb = testing::read_file(VANTREL_SAMPLES "/harbour-gazette.bmp");
  ASSERT_GT(bomb.size(), 26u);
  for (size_t at : {18u, 22u}) {
    bomb[at] = static_cast<char>(20000 & 0xff);
    bomb[at + 1] = static_cast<char>(20000 >> 8);
    bomb[at + 2] = bomb[at + 3] = 0;
  }
  testing::temp_dir dir;
  logo_loader loader;
  const long before = platform::peak_memory_kib();
  EXPECT_EQ(loader.load_picture("", dir.write("bomb.bmp", bomb)), nullptr);
  EXPECT_LT(platform::peak_memory_kib() - before, 50 * 1024);
  EXPECT_EQ(loader.load_picture("", dir.write("logo.gif", "GIF89a\x10\x00\x10\x00")), nullptr);
  auto logo = loader.load_picture("", VANTREL_SAMPLES "/harbour-gazette.bmp");
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(static_cast<logo_picture&>(*logo).width(), 16);
}

}  // namespace
}  // namespace vantrel
