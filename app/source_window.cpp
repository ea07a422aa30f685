#include "app/source_window.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include "app/wx_support.h"

namespace vantrel {

// The picture list: lines are kept as the texts they show, drawn on demand, so a page of a
// million events costs its texts and nothing per row in the toolkit.
class source_list : public wxVListBox {
 public:
  struct line {
    std::string text;
    int icon;  // -1: none
    bool bold;
    std::string rules = {};  // the rules that fired at this event, "" for none
  };

  explicit source_list(wxWindow* parent) : wxVListBox(parent, CParsedSourceWnd::list_id) {
    for (int i = 0; i < art::element_icon_count; ++i) icons_.push_back(art::element_icon(i));
    SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    bold_ = GetFont().Bold();
    wxCoord w = 0, h = 0;
    GetTextExtent("Ag", &w, &h);
    row_height_ = std::max(h, static_cast<wxCoord>(FromDIP(16))) + FromDIP(2);
  }

  void clear() {
    lines_.clear();
    full_ = false;
    lines_.shrink_to_fit();
    if (!frozen_) sync();
  }

  void freeze(bool frozen) {
    frozen_ = frozen;
    if (!frozen_) {
      // The job ended: the whole page, from its first line.
      SetItemCount(lines_.size());
      if (!lines_.empty()) ScrollToRow(0);
      RefreshAll();
    }
  }

  void add(std::vector<source_line>& lines) {
    if (full_) return;
    lines_.reserve(lines_.size() + lines.size());
    for (auto& l : lines) {
      if (lines_.size() >= max_lines) {
        // A page of hundreds of megabytes would take gigabytes as lines; nobody reads that far.
        lines_.push_back({"\u2026 the rest of the page is not shown (more than 2,000,000 events)", -1, true});
        full_ = true;
        break;
      }
      lines_.push_back({source_line_text(l), l.kind == source_kind::start || l.kind == source_kind::end ? l.icon : -1,
                        l.kind == source_kind::text,
                        l.fired != 0 ? fired_rules_text(l, l.fired_section > 0) : std::string()});
    }
    // While the list is shown live, it follows the newest line.
    if (!frozen_) sync();
  }

  const std::vector<line>& lines() const { return lines_; }

 protected:
  wxCoord OnMeasureItem(size_t) const override { return row_height_; }

  // A line where a rule fired stands on a soft highlight, so a rule's effect can be found.
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override {
    if (n < lines_.size() && !lines_[n].rules.empty() && !IsSelected(n)) {
      dc.SetPen(*wxTRANSPARENT_PEN);
      dc.SetBrush(wxBrush(wxColour(255, 236, 160)));
      dc.DrawRectangle(rect);
      return;
    }
    wxVListBox::OnDrawBackground(dc, rect, n);
  }

  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override {
    if (n >= lines_.size()) return;
    const line& l = lines_[n];
    const int gap = FromDIP(2);
    const int icon_size = FromDIP(16);
    if (l.icon >= 0 && l.icon < static_cast<int>(icons_.size())) {
      const wxBitmap bitmap = icons_[static_cast<size_t>(l.icon)].GetBitmapFor(this);
      dc.DrawBitmap(bitmap, rect.x + gap, rect.y + (rect.height - bitmap.GetLogicalHeight()) / 2, true);
    }
    dc.SetFont(l.bold ? bold_ : GetFont());
    dc.SetTextForeground(IsSelected(n) ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                       : wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("Ag", &w, &h);
    const int x = rect.x + gap * 2 + icon_size;
    dc.DrawText(to_wx(l.text), x, rect.y + (rect.height - h) / 2);
    if (!l.rules.empty()) {
      // The rule after the text, in the list's greyed colour unless the line is selected.
      const wxSize extent = dc.GetTextExtent(to_wx(l.text));
      if (!IsSelected(n)) dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
      dc.SetFont(GetFont());
      dc.DrawText(to_wx("\u2190 " + l.rules), x + extent.x + gap * 6, rect.y + (rect.height - h) / 2);
    }
  }

 private:
  void sync() {
    SetItemCount(lines_.size());
    if (!lines_.empty()) SetSelection(static_cast<int>(lines_.size() - 1));
    RefreshAll();
  }

  static constexpr size_t max_lines = 2000000;
  std::vector<line> lines_;
  bool full_ = false;
  std::vector<wxBitmapBundle> icons_;
  wxFont bold_;
  wxCoord row_height_ = 18;
  bool frozen_ = false;
};

CParsedSourceWnd::CParsedSourceWnd(wxWindow* owner, const wxPoint& origin)
    : wxFrame(owner, wxID_ANY, "Parsed Source", origin + wxPoint(40, 40), wxSize(380, 280),
              wxCAPTION | wxCLOSE_BOX | wxRESIZE_BORDER | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT),
      list_(new source_list(this)) {
  Bind(wxEVT_CLOSE_WINDOW, &CParsedSourceWnd::on_close, this);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
    list_->SetFocus();
    event.Skip();
  });
}

CParsedSourceWnd::~CParsedSourceWnd() = default;

void CParsedSourceWnd::on_close(wxCloseEvent& event) {
  // The view owns the window for its whole life: closing only hides it.
  if (event.CanVeto()) {
    event.Veto();
    Hide();
    if (on_hidden_) on_hidden_();
    return;
  }
  Destroy();
}

void CParsedSourceWnd::clear_source() { list_->clear(); }
void CParsedSourceWnd::set_source_frozen(bool frozen) { list_->freeze(frozen); }
void CParsedSourceWnd::add_source_lines(std::vector<source_line>& lines) { list_->add(lines); }

size_t CParsedSourceWnd::line_count() const { return list_->lines().size(); }
std::string CParsedSourceWnd::line_text(size_t n) const { return list_->lines().at(n).text; }
int CParsedSourceWnd::line_icon(size_t n) const { return list_->lines().at(n).icon; }
bool CParsedSourceWnd::line_bold(size_t n) const { return list_->lines().at(n).bold; }
std::string CParsedSourceWnd::line_rules(size_t n) const { return list_->lines().at(n).rules; }
size_t CParsedSourceWnd::first_visible_line() const { return list_->GetVisibleRowsBegin(); }

}  // namespace vantrel
