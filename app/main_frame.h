#pragma once
// CMainFrame: Tidewatch's window. Menu, toolbar, status bar (message pane, progress pane,
// queue-state pane) and the view between them. Every command goes to the view first.
#include <wx/frame.h>
#include <wx/timer.h>

#include <array>
#include <functional>

#include "common/prefs.h"

class wxGauge;

namespace vantrel {

class CMainView;

class CMainFrame : public wxFrame {
 public:
  enum pane { pane_message = 0, pane_progress = 1, pane_queue = 2, pane_unread = 3 };

  explicit CMainFrame(const prefs& settings);
  ~CMainFrame() override;

  CMainView& view() { return *view_; }

  // The job's text in the message pane; empty shows "Ready". The view controller keeps it for
  // the prompt rule.
  void set_status_text(const std::string& text);
  // The progress bar over the progress pane, made on first use.
  void set_progress(int percent);
  void remove_progress();
  int progress() const;
  void set_queue_state_text(const std::string& text);
  // " 12 unread", or nothing when every headline was read.
  void set_unread_text(const std::string& text);

  // Who shows the manual (the help viewer); context 0 is the contents.
  void set_help(std::function<void(int context)> show_help) { show_help_ = std::move(show_help); }
  void show_help(int context) {
    if (show_help_) show_help_(context);
  }

  // Brings the window to the front, restored, as a second start asks.
  void bring_to_front();

  // The status-bar prompt of a menu item: the job's text instead while one shows.
  void DoGiveHelp(const wxString& text, bool show) override;

 private:
  friend struct window_test_access;  // the tests see whether the progress bar is up
  bool has_progress() const { return gauge_ != nullptr; }
  void make_menu();
  void make_toolbar();
  void make_status_bar();
  void restore_placement();
  void save_placement();
  void on_command(wxCommandEvent& event);
  void on_update_ui(wxUpdateUIEvent& event);
  void on_moved_or_sized();
  void place_gauge();
  // Sizes the status-bar panes to their texts.
  void fit_panes();
  void toggle_bubble_help();

  const prefs& prefs_;
  CMainView* view_;
  wxGauge* gauge_ = nullptr;
  std::array<int, 4> pane_widths_{};
  bool bubble_help_on_ = false;
  wxTimer placement_timer_;
  wxSize placed_size_;
  std::function<void(int)> show_help_;
};

}  // namespace vantrel
