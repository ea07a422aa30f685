#pragma once
// The headline list: one raised row per headline, the site's logo in a sunken frame at the
// left, heading, subheading and link (in blue) beside it. Virtual: rows are measured when they
// are first shown and their heights kept until the width or the preferences change, so a
// rebuild costs the same with ten rows or a hundred thousand.
#include <wx/vlbox.h>

#include <array>
#include <functional>
#include <vector>

#include "app/row_layout.h"
#include "common/prefs.h"
#include "engine/result_store.h"

namespace vantrel {

class CHeadlineList : public wxVListBox {
 public:
  static constexpr int control_id = 102;

  CHeadlineList(wxWindow* parent, const result_store& items, const prefs& settings);

  // Shows every item of the store, re-reading the preferences and re-measuring at the current
  // width; the selected row and the first visible row stay.
  void rebuild();
  // Forgets every row (the store was emptied).
  void clear_rows();
  // Opens the selected row's link; nothing when no row is selected.
  void open_selected_link();
  // Who opens links (the browser by default; tests listen instead).
  void set_link_opener(std::function<void(const std::string&)> opener) { opener_ = std::move(opener); }

  // Draws row n into dc at rect as the list does.
  void draw_row(wxDC& dc, const wxRect& rect, size_t n, bool selected) const;

 protected:
  wxCoord OnMeasureItem(size_t n) const override;
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;

 private:
  friend struct window_test_access;  // the tests compare the heights rows were measured at
  // The height row n was measured at.
  int row_height(size_t n) const { return static_cast<int>(OnMeasureItem(n)); }
  class font_metrics;
  struct style {
    std::array<std::array<wxFont, 3>, 3> fonts;  // by encoding, then kind
    bool wrap = true;
    bool logo_middle = false;
  };
  void draw_contents(wxDC& dc, const wxRect& rect, size_t n, bool selected) const;
  void read_style();
  const wxFont& font_of(int encoding, int kind) const;
  void on_size(wxSizeEvent& event);
  void on_key(wxKeyEvent& event);

  const result_store& items_;
  const prefs& prefs_;
  style style_;
  mutable std::vector<int> heights_;  // 0: not measured yet
  int measured_width_ = -1;
  std::function<void(const std::string&)> opener_;
};

}  // namespace vantrel
