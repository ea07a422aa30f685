#include "app/headline_list.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>
#include <ctime>

#include "app/seen_date.h"
#include "app/wx_support.h"
#include "ui/shell.h"

namespace vantrel {

// Text widths of one font kind of one item's encoding, as the row is drawn.
class CHeadlineList::font_metrics : public text_metrics {
 public:
  font_metrics(const CHeadlineList& list, wxDC* dc, int encoding) : list_(list), dc_(dc), encoding_(encoding) {}
  int text_width(int kind, std::string_view text) override {
    wxCoord w = 0, h = 0;
    const wxFont& font = list_.font_of(encoding_, kind);
    if (dc_ != nullptr) {
      dc_->SetFont(font);
      dc_->GetTextExtent(to_wx(std::string(text)), &w, &h);
    } else {
      list_.GetTextExtent(to_wx(std::string(text)), &w, &h, nullptr, nullptr, &font);
    }
    return w;
  }
  int line_height(int kind) override {
    wxCoord w = 0, h = 0;
    list_.GetTextExtent("Ag", &w, &h, nullptr, nullptr, &list_.font_of(encoding_, kind));
    return h;
  }

 private:
  const CHeadlineList& list_;
  wxDC* dc_;
  int encoding_;
};

CHeadlineList::CHeadlineList(wxWindow* parent, const reading_list& rows, const prefs& settings)
    : wxVListBox(parent, control_id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxWANTS_CHARS),
      rows_(rows),
      prefs_(settings),
      opener_([](const std::string& link) { return shell_open(link); }) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  read_style();
  Bind(wxEVT_SIZE, &CHeadlineList::on_size, this);
  Bind(wxEVT_KEY_DOWN, &CHeadlineList::on_key, this);
  Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { open_selected_link(); });
}

void CHeadlineList::read_style() {
  for (size_t e = 0; e < style_.fonts.size(); ++e) {
    for (size_t k = 0; k < style_.fonts[e].size(); ++k) {
      style_.fonts[e][k] = font_from_desc(parse_font_desc(prefs_.get_font(static_cast<int>(e), static_cast<int>(k))));
    }
  }
  style_.wrap = prefs_.get_wrap() != 0;
  style_.logo_middle = prefs_.get_logo_align() == 1;
  int height = 0;
  GetTextExtent(widest_seen_date, &style_.date_width, &height, nullptr, nullptr, &font_of(0, font_subheading));
}

int CHeadlineList::date_width_of(const reading_row& row) const { return row.first_seen != 0 ? style_.date_width : 0; }

const wxFont& CHeadlineList::font_of(int encoding, int kind) const {
  if (encoding < 0 || encoding > 2) encoding = 0;
  return style_.fonts[static_cast<size_t>(encoding)][static_cast<size_t>(kind)];
}

void CHeadlineList::rebuild() {
  // The rows are found again by what they show: a site's run or the filter may have moved them.
  const int selected = GetSelection();
  const size_t top = GetVisibleRowsBegin();
  auto tag_at = [this](size_t row) {
    return row < shown_tags_.size() ? std::optional(shown_tags_[row]) : std::nullopt;
  };
  const std::optional<std::uint64_t> selected_tag =
      selected != wxNOT_FOUND ? tag_at(static_cast<size_t>(selected)) : std::nullopt;
  const std::optional<std::uint64_t> top_tag = tag_at(top);
  shown_tags_.resize(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) shown_tags_[i] = rows_.row_tag(i);
  auto place_of = [this](std::optional<std::uint64_t> tag) -> std::optional<size_t> {
    if (!tag) return std::nullopt;
    const auto found = std::find(shown_tags_.begin(), shown_tags_.end(), *tag);
    return found == shown_tags_.end() ? std::nullopt : std::optional(static_cast<size_t>(found - shown_tags_.begin()));
  };
  read_style();
  heights_.assign(rows_.size(), 0);
  measured_width_ = GetClientSize().GetWidth();
  SetItemCount(rows_.size());
  const auto new_selected = place_of(selected_tag);
  SetSelection(new_selected ? static_cast<int>(*new_selected) : wxNOT_FOUND);
  if (const auto new_top = place_of(top_tag)) ScrollToRow(*new_top);
  RefreshAll();
}

void CHeadlineList::clear_rows() {
  heights_.clear();
  shown_tags_.clear();
  Clear();
  Refresh();
}

void CHeadlineList::open_selected_link() {
  const int selected = GetSelection();
  if (selected == wxNOT_FOUND || static_cast<size_t>(selected) >= rows_.size()) return;
  const std::string link = rows_.row(static_cast<size_t>(selected)).link;
  if (link.empty()) return;
  if (!opener_(link)) {
    if (failed_) failed_(link);
    return;
  }
  if (opened_) opened_(static_cast<size_t>(selected));
  RefreshRow(static_cast<size_t>(selected));
}

void CHeadlineList::on_size(wxSizeEvent& event) {
  // Heights depend on the width; the frame rebuilds when a resize ends, but the rows shown
  // meanwhile must not overlap.
  if (GetClientSize().GetWidth() != measured_width_) {
    measured_width_ = GetClientSize().GetWidth();
    std::fill(heights_.begin(), heights_.end(), 0);
    RefreshAll();
  }
  event.Skip();
}

void CHeadlineList::on_key(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER) {
    open_selected_link();
    return;
  }
  event.Skip();
}

namespace {

logo_picture* logo_of(const reading_list& rows, const reading_row& row) {
  auto* logo = dynamic_cast<logo_picture*>(rows.site(row.site).logo.get());
  return logo != nullptr && logo->image().IsOk() ? logo : nullptr;
}

std::optional<pixel_size> logo_size(const logo_picture* logo) {
  if (logo == nullptr) return std::nullopt;
  return pixel_size{logo->width(), logo->height()};
}

row_texts texts_of(const reading_row& row) {
  row_texts t{row.heading, std::nullopt, row.link};
  if (row.subheading) t.subheading = *row.subheading;
  return t;
}

// A read headline's texts are paler, so the unread ones stand out.
wxColour text_colour(int kind, bool read) {
  if (kind == font_link) return read ? wxColour(112, 112, 200) : wxColour(0, 0, 255);
  return read ? wxColour(112, 112, 112) : wxColour(0, 0, 0);
}

wxColour colour(shade s) {
  const rgb c = shade_colour(s);
  return wxColour(c.r, c.g, c.b);
}

void fill(wxDC& dc, const shaded_box& b) {
  if (b.area.width() <= 0 || b.area.height() <= 0) return;
  dc.SetBrush(wxBrush(colour(b.colour)));
  dc.DrawRectangle(b.area.left, b.area.top, b.area.width(), b.area.height());
}

}  // namespace

wxCoord CHeadlineList::OnMeasureItem(size_t n) const {
  // wx may ask past the end when a row is taller than the window.
  if (n >= rows_.size()) return 1;
  if (heights_.size() != rows_.size()) heights_.resize(rows_.size(), 0);
  if (heights_[n] == 0) {
    const reading_row& row = rows_.row(n);
    font_metrics metrics(*this, nullptr, row.encoding);
    heights_[n] = std::max(1, measure_row(metrics, texts_of(row), GetClientSize().GetWidth(),
                                          logo_size(logo_of(rows_, row)), style_.wrap, date_width_of(row)));
  }
  return heights_[n];
}

void CHeadlineList::OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const {
  dc.SetPen(*wxTRANSPARENT_PEN);
  for (const auto& b : row_panel({rect.x, rect.y, rect.GetRight() + 1, rect.GetBottom() + 1}, IsSelected(n))) {
    fill(dc, b);
  }
}

void CHeadlineList::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  draw_contents(dc, rect, n, IsSelected(n));
}

void CHeadlineList::draw_contents(wxDC& dc, const wxRect& rect, size_t n, bool selected) const {
  if (n >= rows_.size()) return;
  const reading_row& item = rows_.row(n);
  logo_picture* logo = logo_of(rows_, item);
  const box row{rect.x, rect.y, rect.GetRight() + 1, rect.GetBottom() + 1};
  const row_places places = place_row(row, logo_size(logo), style_.logo_middle, date_width_of(item));
  wxDCClipper clip(dc, rect);
  if (places.frame) {
    const box& f = *places.frame;
    // A black one-pixel outline filled with white, drawn as fills so every pixel is exact.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(f.left, f.top, f.width(), f.height());
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(f.left + 1, f.top + 1, f.width() - 2, f.height() - 2);
    for (const auto& b : logo_frame_shading(f, selected)) fill(dc, b);
    // The bitmap is clipped to the frame's inside when the row is shorter than the logo.
    wxDCClipper inside(dc, wxRect(f.left + 1, f.top + 1, f.width() - 2, f.height() - 2));
    dc.DrawBitmap(logo->bitmap(), f.left + 1, f.top + 1, true);
  }
  if (item.fresh) {
    // New since the site's run before: an orange dot with a dark rim, also clear without colour.
    const box& m = places.mark;
    dc.SetPen(wxPen(wxColour(150, 60, 0)));
    dc.SetBrush(wxBrush(item.read ? wxColour(240, 190, 150) : wxColour(255, 120, 0)));
    dc.DrawEllipse(m.left, m.top, m.width(), m.height());
  }
  if (places.date.width() > 0) {
    // When the store first saw it, at the right of the heading's line.
    const wxString date = to_wx(seen_date(item.first_seen, static_cast<unix_time>(std::time(nullptr))));
    dc.SetFont(font_of(0, font_subheading));
    dc.SetTextForeground(text_colour(font_subheading, true));
    dc.DrawText(date, places.date.right - dc.GetTextExtent(date).GetWidth(), places.date.top);
  }
  font_metrics metrics(*this, &dc, item.encoding);
  const int width = places.text.width();
  int y = places.text.top;
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const std::array<std::string_view, 3> fields = {
      item.heading, item.subheading ? std::string_view(*item.subheading) : std::string_view(), item.link};
  for (int kind = 0; kind < 3; ++kind) {
    if (fields[static_cast<size_t>(kind)].empty()) continue;
    dc.SetFont(font_of(item.encoding, kind));
    dc.SetTextForeground(text_colour(kind, item.read));
    const int line_height = metrics.line_height(kind);
    for (const auto& line : break_lines(metrics, kind, fields[static_cast<size_t>(kind)], width, style_.wrap)) {
      dc.DrawText(to_wx(line), places.text.left, y);
      y += line_height;
    }
  }
}

void CHeadlineList::draw_row(wxDC& dc, const wxRect& rect, size_t n, bool selected) const {
  dc.SetPen(*wxTRANSPARENT_PEN);
  for (const auto& b : row_panel({rect.x, rect.y, rect.GetRight() + 1, rect.GetBottom() + 1}, selected)) fill(dc, b);
  draw_contents(dc, rect, n, selected);
}

}  // namespace vantrel
