#pragma once
// CPreviewFrame: VantEdit's Preview window. Runs the document being edited over its site's
// page or a saved page and shows the headlines, the check of the rules and the page's parse
// events with the lines where rules fired marked. "Suggest rules" makes rules from a headline
// the user types or picks among the page's texts, shows what they yield beside what the
// document's rules yield, and puts them into the document on request. The runs themselves are
// preview_session's and suggest_runner's; this window turns clicks into calls on them.
#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/preview_session.h"
#include "editor/suggest_runner.h"

class wxButton;
class wxCheckBox;
class wxNotebook;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace vantrel {

class curl_fetcher;

// A list of rows of texts drawn on demand (preview_frame.cpp).
class preview_table;

class CPreviewFrame : public wxFrame, private preview_view {
 public:
  // document: the document's bytes as they would be saved, or why not when its text cannot be
  // written in its encoding.
  using document_source = std::function<result<std::string>()>;
  CPreviewFrame(wxWindow* parent, document_source document);
  ~CPreviewFrame() override;

  // Runs now, over the page chosen in the window.
  void run();
  void stop();
  // The document changed: with "Run as I type" on, a run follows a moment after the last change.
  void document_changed();
  // The saved page to run over; none: the site's page.
  void set_saved_page(const std::optional<std::string>& path);
  bool running() const { return running_; }
  // Makes rules from the headline in the "Headline" box over the chosen page.
  void suggest();
  // The text of the selected parse event (a page's text) as the headline to suggest from.
  void suggest_from_selected_event();
  // Puts the suggested rules into the document (the editor does: sections is what replaces the
  // document's sections); true when it did.
  void set_rules_user(std::function<bool(const std::string& sections)> user) { rules_user_ = std::move(user); }
  void use_suggestion();
  bool suggesting() const { return suggester_ && suggester_->running(); }
  // Who learns the lines of the rules a finished run found never matching (the editor marks
  // them).
  void set_rule_fault_listener(std::function<void(std::vector<document_fault>)> listener) {
    rule_faults_ = std::move(listener);
  }

 private:
  friend struct window_test_access;  // the tests turn "Run as I type" on and read the lists
  // "Run as I type": only over a saved page.
  void set_live_runs(bool on);
  size_t headline_rows() const;
  size_t event_rows() const;
  std::string check_text() const;
  size_t suggested_rows() const;
  void show_suggestion(suggestion found, const status& failure);

  // preview_view
  void clear_preview() override;
  void show_status(const std::string& text) override;
  void add_headlines(std::vector<headline> headlines) override;
  void add_events(std::vector<source_line>& lines, bool several_sections) override;
  void show_check(const std::string& text) override;
  void show_rule_faults(std::vector<document_fault> faults) override {
    if (rule_faults_) rule_faults_(std::move(faults));
  }
  void set_running(bool running) override;

  void make_controls();
  void update_buttons();

  document_source document_;
  std::function<void(std::vector<document_fault>)> rule_faults_;
  std::function<bool(const std::string&)> rules_user_;
  std::string suggested_sections_;
  std::unique_ptr<ui_dispatcher> dispatcher_;
  std::unique_ptr<curl_fetcher> fetcher_;
  wxRadioButton *site_page_ = nullptr, *saved_page_ = nullptr;
  wxTextCtrl *page_path_ = nullptr, *check_ = nullptr;
  wxButton *browse_ = nullptr, *run_ = nullptr, *stop_ = nullptr;
  wxTextCtrl* example_ = nullptr;
  wxButton *suggest_ = nullptr, *picked_ = nullptr, *use_ = nullptr;
  wxStaticText* suggestion_summary_ = nullptr;
  wxNotebook* lower_ = nullptr;
  wxCheckBox* live_ = nullptr;
  wxStaticText* status_ = nullptr;
  preview_table *headlines_ = nullptr, *events_ = nullptr, *suggested_ = nullptr;
  wxTimer change_timer_;
  bool running_ = false;
  // Last: destroyed first, so their workers have ended before the window's parts go.
  std::unique_ptr<suggest_runner> suggester_;
  std::unique_ptr<preview_session> session_;
};

}  // namespace vantrel
