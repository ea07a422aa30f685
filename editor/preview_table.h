#pragma once
// The Preview's lists (headlines, parse events, suggested headlines), and what the window
// tests read in them.
#include <wx/listctrl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/wx_text.h"

namespace vantrel {

// A list of rows of texts, drawn on demand: a page can have hundreds of thousands of events.
// Marked rows are drawn on a highlight.
class preview_table : public wxListCtrl {
 public:
  preview_table(wxWindow* parent, const std::vector<std::pair<const char*, int>>& columns)
      : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                   wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES) {
    for (size_t i = 0; i < columns.size(); ++i)
      AppendColumn(columns[i].first, wxLIST_FORMAT_LEFT, FromDIP(columns[i].second));
    marked_.SetBackgroundColour(wxColour(255, 236, 160));
    marked_.SetTextColour(*wxBLACK);
  }
  void clear() {
    rows_.clear();
    marks_.clear();
    first_marked_.reset();
    SetItemCount(0);
    Refresh();
  }
  void add(std::vector<std::string> texts, bool marked) {
    if (marked && !first_marked_) first_marked_ = rows_.size();
    rows_.push_back(std::move(texts));
    marks_.push_back(marked);
  }
  // Brings the first marked row into view: where the rules began to fire.
  void show_first_marked() {
    if (!first_marked_) return;
    // Near the top, with what follows it below, rather than on the last line of the view.
    const long last = static_cast<long>(rows_.size()) - 1;
    EnsureVisible(std::min(last, static_cast<long>(*first_marked_) + std::max(GetCountPerPage() - 2, 0)));
    EnsureVisible(static_cast<long>(*first_marked_));
  }
  long selected() const { return GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }
  // Shows the rows added since the last call.
  void show_added() {
    SetItemCount(static_cast<long>(rows_.size()));
    Refresh();
  }
  size_t rows() const { return rows_.size(); }
  const std::vector<std::string>& row(size_t i) const { return rows_[i]; }

 private:
  wxString OnGetItemText(long item, long column) const override {
    const auto i = static_cast<size_t>(item);
    const auto c = static_cast<size_t>(column);
    return i < rows_.size() && c < rows_[i].size() ? to_wx(rows_[i][c]) : wxString();
  }
  wxItemAttr* OnGetItemAttr(long item) const override {
    const auto i = static_cast<size_t>(item);
    return i < marks_.size() && marks_[i] ? &marked_ : nullptr;
  }

  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> marks_;
  std::optional<size_t> first_marked_;
  mutable wxItemAttr marked_;
};

}  // namespace vantrel
