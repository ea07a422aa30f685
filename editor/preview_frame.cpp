#include "editor/preview_frame.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "common/text_util.h"
#include "engine/curl_fetcher.h"
#include "ui/shell.h"
#include "ui/wx_dispatcher.h"
#include "ui/wx_text.h"

namespace vantrel {

namespace {

constexpr const char* page_filter =
    "Web pages (*.html;*.htm;*.xml;*.rss)|*.html;*.htm;*.xml;*.rss;*.HTML;*.HTM;*.XML|All files|*";

}  // namespace

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

CPreviewFrame::CPreviewFrame(wxWindow* parent, document_source document)
    : wxFrame(parent, wxID_ANY, "Preview - VantEdit", wxDefaultPosition, wxSize(1040, 660),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      document_(std::move(document)),
      dispatcher_(std::make_unique<wx_dispatcher>()),
      change_timer_(this) {
  if (curl_library_init()) fetcher_ = std::make_unique<curl_fetcher>();
  make_controls();
  session_ = std::make_unique<preview_session>(*dispatcher_, fetcher_.get(), static_cast<preview_view&>(*this));
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { run(); });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
    // Hidden, not destroyed: the editor keeps its Preview and the page chosen in it.
    change_timer_.Stop();
    stop();
    Hide();
  });
  update_buttons();
}

CPreviewFrame::~CPreviewFrame() {
  change_timer_.Stop();
  session_.reset();  // stops the run and waits for its worker while the window still stands
}

void CPreviewFrame::make_controls() {
  auto* panel = new wxPanel(this);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  site_page_ = new wxRadioButton(panel, wxID_ANY, "&Site's page", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  saved_page_ = new wxRadioButton(panel, wxID_ANY, "Sa&ved page:");
  page_path_ = new wxTextCtrl(panel, wxID_ANY);
  browse_ = new wxButton(panel, wxID_ANY, "&Browse...");
  run_ = new wxButton(panel, wxID_ANY, "&Run");
  stop_ = new wxButton(panel, wxID_ANY, "S&top");
  live_ = new wxCheckBox(panel, wxID_ANY, "Run as I t&ype");
  live_->SetToolTip("Runs the document over the saved page a moment after each change");
  row->Add(site_page_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  row->Add(saved_page_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(page_path_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(browse_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  row->Add(live_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  row->Add(run_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(stop_, 0, wxALIGN_CENTER_VERTICAL);
  top->Add(row, 0, wxEXPAND | wxALL, 8);
  status_ = new wxStaticText(panel, wxID_ANY, "Choose the page and Run.", wxDefaultPosition, wxDefaultSize,
                             wxST_ELLIPSIZE_END);
  top->Add(status_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);

  auto* sides = new wxSplitterWindow(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE | wxSP_3DSASH);
  auto* left = new wxSplitterWindow(sides, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE | wxSP_3DSASH);
  headlines_ = new preview_table(left, {{"Headline", 220}, {"Subheading", 140}, {"Link", 260}});
  check_ = new wxTextCtrl(left, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                          wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
  check_->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)));
  events_ = new preview_table(sides, {{"Rule", 130}, {"Parse event", 300}});
  left->SplitHorizontally(headlines_, check_);
  left->SetSashGravity(0.5);
  left->SetMinimumPaneSize(FromDIP(60));
  sides->SplitVertically(left, events_);
  sides->SetSashGravity(0.55);
  sides->SetMinimumPaneSize(FromDIP(120));
  // The splitters get their size from the sizer after this: the sashes are placed once they
  // have one, in proportion, and then follow the window by their gravity.
  sides->Bind(wxEVT_SIZE, [sides, left, placed = false](wxSizeEvent& event) mutable {
    event.Skip();
    const wxSize size = event.GetSize();
    if (placed || size.x < 300 || size.y < 200) return;
    placed = true;
    // After the splitter's own handler, which would otherwise keep the sash it had.
    sides->CallAfter([sides, left, size] {
      sides->SetSashPosition(size.x * 55 / 100);
      left->SetSashPosition(size.y / 2);
    });
  });
  top->Add(sides, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  panel->SetSizer(top);

  site_page_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { update_buttons(); });
  saved_page_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { update_buttons(); });
  page_path_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    if (!saved_page_->GetValue() && !page_path_->IsEmpty()) saved_page_->SetValue(true);
    update_buttons();
  });
  browse_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxFileDialog chooser(this, "Saved page", "", "", page_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (chooser.ShowModal() == wxID_OK) set_saved_page(from_wx(chooser.GetPath()));
  });
  live_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { update_buttons(); });
  run_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { run(); });
  stop_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { stop(); });
  // A headline's link opens in the browser, as in Tidewatch.
  headlines_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    const auto i = static_cast<size_t>(event.GetIndex());
    if (i >= headlines_->rows() || !is_openable_link(headlines_->row(i)[2])) return;
    wxLogNull quiet;
    shell_open(headlines_->row(i)[2]);
  });
}

void CPreviewFrame::set_saved_page(const std::optional<std::string>& path) {
  if (path) {
    page_path_->ChangeValue(to_wx(*path));
    saved_page_->SetValue(true);
  } else {
    site_page_->SetValue(true);
  }
  update_buttons();
}

void CPreviewFrame::set_live_runs(bool on) {
  live_->SetValue(on);
  update_buttons();
}

void CPreviewFrame::update_buttons() {
  const bool saved = saved_page_->GetValue();
  run_->Enable(!running_ && (!saved || !page_path_->IsEmpty()));
  stop_->Enable(running_);
  // Fetching the site at every pause in typing would hammer it: live runs are for saved pages.
  live_->Enable(saved);
}

void CPreviewFrame::run() {
  change_timer_.Stop();
  if (running_) return;
  std::string why;
  const std::optional<std::string> bytes = document_(&why);
  if (!bytes) {
    session_->refuse("The document cannot be written in its encoding: " + why);
    return;
  }
  std::optional<std::string> page;
  if (saved_page_->GetValue()) page = from_wx(page_path_->GetValue());
  session_->run(*bytes, page);
}

void CPreviewFrame::stop() {
  change_timer_.Stop();
  session_->stop();
}

void CPreviewFrame::document_changed() {
  if (IsShown() && live_->IsEnabled() && live_->GetValue()) change_timer_.StartOnce(700);
}

void CPreviewFrame::clear_preview() {
  headlines_->clear();
  events_->clear();
  check_->Clear();
}

void CPreviewFrame::show_status(const std::string& text) { status_->SetLabel(to_wx(text)); }

void CPreviewFrame::add_headlines(std::vector<preview_headline> rows) {
  for (preview_headline& h : rows)
    headlines_->add({std::move(h.heading), h.subheading.value_or(""), std::move(h.link)}, false);
  headlines_->show_added();
}

void CPreviewFrame::add_events(std::vector<source_line>& lines, bool several_sections) {
  for (const source_line& line : lines) {
    std::string rules = fired_rules_text(line, several_sections);
    std::string text = source_line_text(line);
    if (line.kind == source_kind::attribute || line.kind == source_kind::text) text.insert(0, "    ");
    const bool marked = !rules.empty();
    events_->add({std::move(rules), std::move(text)}, marked);
  }
  events_->show_added();
}

void CPreviewFrame::show_check(const std::string& text) { check_->ChangeValue(to_wx(text)); }

void CPreviewFrame::set_running(bool running) {
  if (running_ && !running) events_->show_first_marked();
  running_ = running;
  update_buttons();
}

size_t CPreviewFrame::headline_rows() const { return headlines_->rows(); }
size_t CPreviewFrame::event_rows() const { return events_->rows(); }
std::string CPreviewFrame::check_text() const { return from_wx(check_->GetValue()); }

}  // namespace vantrel
