#include "editor/preview_frame.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "common/text_util.h"
#include "common/xml_support.h"
#include "editor/preview_table.h"
#include "engine/curl_fetcher.h"
#include "ui/shell.h"
#include "ui/wx_dispatcher.h"
#include "ui/wx_text.h"

namespace vantrel {

namespace {

constexpr const char* page_filter =
    "Web pages (*.html;*.htm;*.xml;*.rss)|*.html;*.htm;*.xml;*.rss;*.HTML;*.HTM;*.XML|All files|*";

}  // namespace

CPreviewFrame::CPreviewFrame(wxWindow* parent, document_source document)
    : wxFrame(parent, wxID_ANY, "Preview - VantEdit", wxDefaultPosition, wxSize(1040, 660),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      document_(std::move(document)),
      dispatcher_(std::make_unique<wx_dispatcher>()),
      change_timer_(this) {
  if (curl_library_init()) fetcher_ = std::make_unique<curl_fetcher>();
  make_controls();
  suggester_ = std::make_unique<suggest_runner>(*dispatcher_);
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
  auto* example_row = new wxBoxSizer(wxHORIZONTAL);
  example_row->Add(new wxStaticText(panel, wxID_ANY, "&Headline:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  example_ = new wxTextCtrl(panel, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  example_->SetHint("a headline you see on the page");
  suggest_ = new wxButton(panel, wxID_ANY, "Su&ggest rules");
  suggest_->SetToolTip("Makes rules that find this headline and all the others like it on the page");
  picked_ = new wxButton(panel, wxID_ANY, "This is a h&eadline");
  picked_->SetToolTip("Suggests rules from the text selected among the parse events");
  example_row->Add(example_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  example_row->Add(suggest_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  example_row->Add(picked_, 0, wxALIGN_CENTER_VERTICAL);
  top->Add(example_row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  status_ = new wxStaticText(panel, wxID_ANY, "Choose the page and Run.", wxDefaultPosition, wxDefaultSize,
                             wxST_ELLIPSIZE_END);
  top->Add(status_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);

  // Made at a size that holds a notebook's tabs: GTK complains of a notebook squeezed smaller.
  auto* sides = new wxSplitterWindow(panel, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(900, 480)),
                                     wxSP_LIVE_UPDATE | wxSP_3DSASH);
  auto* left = new wxSplitterWindow(sides, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(500, 480)),
                                    wxSP_LIVE_UPDATE | wxSP_3DSASH);
  headlines_ = new preview_table(left, {{"Headline", 220}, {"Subheading", 140}, {"Link", 260}});
  // Below the document's headlines: the check of its rules, and what suggested rules yield.
  lower_ = new wxNotebook(left, wxID_ANY);
  check_ = new wxTextCtrl(lower_, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                          wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
  check_->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)));
  lower_->AddPage(check_, "Check");
  auto* suggested_page = new wxPanel(lower_);
  auto* suggested_sizer = new wxBoxSizer(wxVERTICAL);
  auto* use_row = new wxBoxSizer(wxHORIZONTAL);
  suggestion_summary_ = new wxStaticText(suggested_page, wxID_ANY, "Type a headline above and Suggest rules.",
                                         wxDefaultPosition, wxDefaultSize, wxST_ELLIPSIZE_END);
  use_ = new wxButton(suggested_page, wxID_ANY, "&Use these rules");
  use_->SetToolTip("Puts the suggested rules in the document in place of its sections (Undo takes them back)");
  use_row->Add(suggestion_summary_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  use_row->Add(use_, 0, wxALIGN_CENTER_VERTICAL);
  suggested_sizer->Add(use_row, 0, wxEXPAND | wxALL, 4);
  suggested_ = new preview_table(suggested_page, {{"Headline", 220}, {"Subheading", 140}, {"Link", 260}});
  suggested_sizer->Add(suggested_, 1, wxEXPAND);
  suggested_page->SetSizer(suggested_sizer);
  lower_->AddPage(suggested_page, "Suggested rules");
  events_ = new preview_table(sides, {{"Rule", 130}, {"Parse event", 300}});
  left->SplitHorizontally(headlines_, lower_);
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
  suggest_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { suggest(); });
  example_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { suggest(); });
  example_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { update_buttons(); });
  picked_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { suggest_from_selected_event(); });
  events_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { update_buttons(); });
  use_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { use_suggestion(); });
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
  const bool busy = running_ || suggesting();
  const bool page_chosen = !saved || !page_path_->IsEmpty();
  run_->Enable(!busy && page_chosen);
  stop_->Enable(running_ || suggesting());
  suggest_->Enable(!busy && page_chosen && !trim_spaces(from_wx(example_->GetValue())).empty());
  const long picked = events_->selected();
  picked_->Enable(!busy && page_chosen && picked >= 0 && events_->row(static_cast<size_t>(picked)).size() > 2 &&
                  !events_->row(static_cast<size_t>(picked))[2].empty());
  use_->Enable(!busy && !suggested_sections_.empty() && rules_user_ != nullptr);
  // Fetching the site at every pause in typing would hammer it: live runs are for saved pages.
  live_->Enable(saved);
}

void CPreviewFrame::run() {
  change_timer_.Stop();
  if (running_) return;
  const result<std::string> bytes = document_();
  if (!bytes) {
    session_->refuse("The document cannot be written in its encoding: " + bytes.message());
    return;
  }
  std::optional<std::string> page;
  if (saved_page_->GetValue()) page = from_wx(page_path_->GetValue());
  session_->run(*bytes, page);
}

void CPreviewFrame::stop() {
  change_timer_.Stop();
  session_->stop();
  if (suggester_) suggester_->stop();
}

void CPreviewFrame::suggest() {
  const std::string example(trim_spaces(from_wx(example_->GetValue())));
  if (example.empty() || running_ || suggesting()) return;
  const result<std::string> bytes = document_();
  // The document's url is the page's address (the base of its links); a saved page needs none.
  const std::string address = bytes ? root_element_attribute(*bytes, "url").value_or("") : std::string();
  std::optional<std::string> page;
  if (saved_page_->GetValue()) page = from_wx(page_path_->GetValue());
  if (!page && address.empty()) {
    show_status("The document names no url: choose a saved page to suggest rules from.");
    return;
  }
  suggested_sections_.clear();
  suggested_->clear();
  lower_->SetSelection(1);
  suggestion_summary_->SetLabel("Looking for \"" + to_wx(example) + "\"...");
  const bool started = suggester_->start(page, address, {example}, [this](suggestion found, status failure) {
    show_suggestion(std::move(found), failure);
  });
  if (started) show_status(page ? "Suggesting rules from " + *page + "..." : "Fetching " + address + "...");
  update_buttons();
}

void CPreviewFrame::suggest_from_selected_event() {
  const long picked = events_->selected();
  if (picked < 0 || events_->row(static_cast<size_t>(picked)).size() < 3) return;
  example_->ChangeValue(to_wx(events_->row(static_cast<size_t>(picked))[2]));
  suggest();
}

void CPreviewFrame::show_suggestion(suggestion found, const status& failure) {
  suggestion_summary_->UnsetToolTip();
  if (failure.is(status_code::stopped)) {
    suggestion_summary_->SetLabel("Stopped.");
    show_status("Stopped.");
  } else if (!failure.ok()) {
    suggestion_summary_->SetLabel(to_wx("The page could not be had: " + failure.message()));
    show_status("No rules suggested.");
  } else if (!found.found()) {
    std::string text = "No rules: " + found.failure.message();
    if (!found.closest.empty()) text += ". Nearest texts: " + found.closest.front();
    suggestion_summary_->SetLabel(to_wx(text));
    suggestion_summary_->SetToolTip(to_wx(text));
    for (const std::string& near : found.closest) suggested_->add({near, "(a text of the page)", ""}, false);
    show_status("No rules suggested.");
  } else {
    suggested_sections_ = found.sections;
    for (headline& item : found.items)
      suggested_->add({std::move(item.heading), item.subheading.value_or(""), std::move(item.link)}, false);
    suggestion_summary_->SetLabel(to_wx(found.summary));
    suggestion_summary_->SetToolTip(to_wx(found.sections));
    show_status("Suggested: " + found.summary);
  }
  suggested_->show_added();
  update_buttons();
}

void CPreviewFrame::use_suggestion() {
  if (suggested_sections_.empty() || !rules_user_) return;
  if (!rules_user_(suggested_sections_)) {
    show_status("The document has no root element to hold the rules.");
    return;
  }
  show_status("The suggested rules are in the document (Undo takes them back).");
  run();  // what they yield in the document's own run
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

void CPreviewFrame::add_headlines(std::vector<headline> rows) {
  for (headline& h : rows) headlines_->add({std::move(h.heading), h.subheading.value_or(""), std::move(h.link)}, false);
  headlines_->show_added();
}

void CPreviewFrame::add_events(std::vector<source_line>& lines, bool several_sections) {
  for (const source_line& line : lines) {
    std::string rules = fired_rules_text(line, several_sections);
    std::string text = source_line_text(line);
    if (line.kind == source_kind::attribute || line.kind == source_kind::text) text.insert(0, "    ");
    const bool marked = !rules.empty();
    // A page's text can be picked as a headline to suggest rules from.
    std::string picked = line.kind == source_kind::text ? line.name : std::string();
    events_->add({std::move(rules), std::move(text), std::move(picked)}, marked);
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
size_t CPreviewFrame::suggested_rows() const { return suggested_->rows(); }

}  // namespace vantrel
