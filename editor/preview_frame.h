#pragma once
// CPreviewFrame: VantEdit's Preview window. Runs the document being edited over its site's
// page or a saved page and shows the headlines, the check of the rules and the page's parse
// events with the lines where rules fired marked. The runs themselves are preview_session's;
// this window turns clicks into calls on it and shows what it reports.
#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/preview_session.h"

class wxButton;
class wxCheckBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace vantrel {

class preview_table;
class curl_fetcher;

class CPreviewFrame : public wxFrame, private preview_view {
 public:
  // document: the document's bytes as they would be saved, or nullopt with the reason when
  // its text cannot be written in its encoding.
  using document_source = std::function<std::optional<std::string>(std::string* why)>;
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

  // preview_view
  void clear_preview() override;
  void show_status(const std::string& text) override;
  void add_headlines(std::vector<preview_headline> headlines) override;
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
  std::unique_ptr<ui_dispatcher> dispatcher_;
  std::unique_ptr<curl_fetcher> fetcher_;
  wxRadioButton *site_page_ = nullptr, *saved_page_ = nullptr;
  wxTextCtrl *page_path_ = nullptr, *check_ = nullptr;
  wxButton *browse_ = nullptr, *run_ = nullptr, *stop_ = nullptr;
  wxCheckBox* live_ = nullptr;
  wxStaticText* status_ = nullptr;
  preview_table *headlines_ = nullptr, *events_ = nullptr;
  wxTimer change_timer_;
  bool running_ = false;
  // Last: destroyed first, so its worker has ended before the window's parts go.
  std::unique_ptr<preview_session> session_;
};

}  // namespace vantrel
