// Every picture parses and draws something at 16 and at 32 pixels; the sheet at double size is
// saved for a person to look at.
#include "app/art.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>

#include <filesystem>

namespace vantrel {
namespace {

int opaque_pixels(const wxBitmap& bitmap) {
  const wxImage image = bitmap.ConvertToImage();
  int count = 0;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) count += !image.HasAlpha() || image.GetAlpha(x, y) > 128 ? 1 : 0;
  }
  return count;
}

// The largest difference between red and blue of a pixel that is drawn.
int colourfulness(const wxBitmap& bitmap) {
  const wxImage image = bitmap.ConvertToImage();
  int most = 0;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (image.HasAlpha() && image.GetAlpha(x, y) < 200) continue;
      most = std::max(most, std::abs(image.GetRed(x, y) - image.GetBlue(x, y)));
    }
  }
  return most;
}

TEST(Art, EveryIconDrawsAtBothSizes) {
  std::vector<wxBitmapBundle> icons;
  for (int t = 0; t <= static_cast<int>(art::tool::online); ++t) icons.push_back(art::tool_icon(art::tool(t)));
  for (int i = 0; i < art::element_icon_count; ++i) icons.push_back(art::element_icon(i));
  for (int r = 0; r <= static_cast<int>(art::run_state::failed); ++r) icons.push_back(art::run_icon(art::run_state(r)));
  icons.push_back(art::page_icon(art::page::reading));
  wxBitmap sheet(static_cast<int>(icons.size()) * 36, 72, 24);
  wxMemoryDC dc(sheet);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  for (size_t i = 0; i < icons.size(); ++i) {
    const wxBitmap small = icons[i].GetBitmap(wxSize(16, 16));
    const wxBitmap large = icons[i].GetBitmap(wxSize(32, 32));
    ASSERT_TRUE(small.IsOk() && large.IsOk()) << "icon " << i;
    EXPECT_GT(opaque_pixels(small), 12) << "icon " << i;
    EXPECT_GT(opaque_pixels(large), 4 * 12) << "icon " << i;
    dc.DrawBitmap(small, static_cast<int>(i) * 36 + 8, 4, true);
    dc.DrawBitmap(large, static_cast<int>(i) * 36, 32, true);
  }
  // An end icon is its start icon greyed: same shape, no colour.
  EXPECT_GT(colourfulness(art::element_icon(6).GetBitmap(wxSize(16, 16))), 40);
  EXPECT_LT(colourfulness(art::element_icon(7).GetBitmap(wxSize(16, 16))), 8);
  EXPECT_EQ(opaque_pixels(art::element_icon(6).GetBitmap(wxSize(16, 16))),
            opaque_pixels(art::element_icon(7).GetBitmap(wxSize(16, 16))));
  dc.SelectObject(wxNullBitmap);
  std::filesystem::create_directories(VANTREL_SCREENSHOT_DIR);
  sheet.SaveFile(VANTREL_SCREENSHOT_DIR "/icons.png", wxBITMAP_TYPE_PNG);
}

}  // namespace
}  // namespace vantrel
