#pragma once
// The headline list: one raised row per headline, the site's logo in a sunken frame at the
// left, heading, subheading and link (in blue) beside it; a new headline has a mark before its
// heading, a read one is drawn in paler colours. Virtual: rows are measured when they are
// first shown and their heights kept until the width, the filter or the preferences change,
// so a rebuild costs the same with ten rows or a hundred thousand.
#include <wx/vlbox.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/reading_list.h"
#include "app/row_layout.h"
#include "common/prefs.h"

namespace vantrel {

class CHeadlineList : public wxVListBox {
 public:
  static constexpr int control_id = 102;

  CHeadlineList(wxWindow* parent, const reading_list& rows, const prefs& settings);

  // Shows the rows of the reading list, re-reading the preferences and re-measuring at the
  // current width; the selected headline and the first one in view stay where they are shown.
  void rebuild();
  // Forgets every row (the store was emptied).
  void clear_rows();
  // Opens the selected row's link; nothing when no row is selected.
  void open_selected_link();
  // Who opens links (the browser by default; tests listen instead): false when it could not.
  void set_link_opener(std::function<bool(const std::string&)> opener) { opener_ = std::move(opener); }
  // Who hears that a row's link was opened (the view marks it read), or that it could not be
  // (the row stays unread; the view says so).
  void set_opened_listener(std::function<void(size_t row)> opened) { opened_ = std::move(opened); }
  void set_failed_listener(std::function<void(const std::string& link)> failed) { failed_ = std::move(failed); }

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
    int date_width = 0;  // of the widest first-seen date
  };
  int date_width_of(const reading_row& row) const;
  void draw_contents(wxDC& dc, const wxRect& rect, size_t n, bool selected) const;
  void read_style();
  const wxFont& font_of(int encoding, int kind) const;
  void on_size(wxSizeEvent& event);
  void on_key(wxKeyEvent& event);

  const reading_list& rows_;
  const prefs& prefs_;
  style style_;
  mutable std::vector<int> heights_;       // 0: not measured yet
  std::vector<std::uint64_t> shown_tags_;  // what each row showed at the last rebuild
  int measured_width_ = -1;
  std::function<bool(const std::string&)> opener_;
  std::function<void(size_t)> opened_;
  std::function<void(const std::string&)> failed_;
};

}  // namespace vantrel
