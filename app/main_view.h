#pragma once
// CMainView: the client pane of the main window, covered by the headline list. It owns what
// does work (the results, the job control through the view controller, the Parsed Source
// window) and turns the view's commands into calls on the view controller.
#include <wx/panel.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

#include "app/installer.h"
#include "app/reading_session.h"
#include "app/wx_support.h"
#include "common/headline_store.h"
#include "common/prefs.h"
#include "engine/curl_fetcher.h"
#include "ui/wx_dispatcher.h"

class wxSearchCtrl;
class wxUpdateUIEvent;

namespace vantrel {

class CHeadlineList;
class CMainFrame;
class CParsedSourceWnd;

class CMainView : public wxPanel, public view_display, private queue_window, private install_ui {
 public:
  CMainView(CMainFrame* frame, const prefs& settings);
  ~CMainView() override;

  // The commands the view handles; false for the frame's own.
  bool on_command(int id);
  bool on_update_ui(int id, wxUpdateUIEvent& event);

  // A ParseDef opened from Load ParseDef, the command line or a second instance.
  void open_parsedef(const std::string& path);
  // Open without its dialogs: the page parsed with the ParseDef (the command line's --source).
  void open_source(const std::string& source, const std::optional<std::string>& parsedef);
  void open_url(const std::string& url);
  // The Queue command: the Site Selector; its Open processes a site, and its changes are saved
  // unless it was cancelled.
  void open_site_selector();
  // Whether the queue file loaded when the view was made (else the caller opens the selector).
  bool queue_loaded() const { return queue_loaded_; }
  // A second instance's path: opened when the window is next idle without a modal dialog.
  void hand_over(const std::string& path);

  reading_session& session() { return *session_; }
  view_controller& controller() { return session_->controller(); }
  queue_runner& runner() { return session_->runner(); }
  site_queue& queue() { return session_->queue(); }
  // The queue file of the ParseDef root.
  std::string queue_path() const { return session_->queue_path(); }
  // Saves the queue; "Unable to save site queue." when it cannot. false then.
  bool save_queue();
  // Loads the queue; false when there is none yet or it cannot be read.
  bool load_queue();
  CHeadlineList& list() { return *list_; }
  CParsedSourceWnd& source_window() { return *source_; }
  bool source_visible() const { return source_visible_; }
  // While any modal dialog is open, hand-overs wait.
  bool modal_open() const { return modal_depth_ > 0; }
  // The store of headlines and runs; null when none could be opened.
  headline_store* history() { return session_->history(); }
  wxSearchCtrl& filter_box() { return *filter_; }
  // Narrows the list to the filter box's text.
  void apply_filter();
  // The schedule: starts a refresh of the due sites when the view is free. Whether one started.
  bool check_schedule() { return session_->check_schedule(modal_open()); }
  // Who tells the desktop of new headlines (a desktop notification unless tests listen).
  void set_notifier(std::function<void(const std::string&)> notify) { notify_ = std::move(notify); }
  // The sites of the last queue run that failed or found nothing, with why, in a message box.
  void show_problems();
  // Site > Remove Headlines: the selected headline's site, after asking.
  void remove_headlines();

  // view_display
  void set_status_text(const std::string& text) override;
  void set_progress(int percent) override;
  void remove_progress() override;
  void rebuild_list() override;
  void list_cleared() override;
  void clear_source() override;
  void set_source_frozen(bool frozen) override;
  void add_source_lines(std::vector<source_line>& lines) override;
  void site_ran(const std::string& site_name, const site_run& run) override;
  void queue_run_finished(const run_tally& tally, bool user_started) override;

 private:
  class modal_watch;
  void cmd_open();
  void cmd_open_url();
  void cmd_load_parsedef();
  void cmd_preferences();
  void toggle_source();
  void show_unread();
  // queue_window
  bool start_timer() override;
  bool stop_timer() override;
  void set_queue_state_text(const std::string& text) override;
  void set_title(const std::string& title) override;
  // install_ui
  void message(const std::string& text) override;
  bool confirm_overwrite(const std::string& text) override;
  // A package from outside the library: the "Install ParseDef" dialog and what it asks for.
  // The file to open then (the installed copy, when it was installed); none when none is.
  std::optional<std::string> offer_install(const std::string& path);
  // A ParseDef chosen in the Load ParseDef dialog, or nullopt when cancelled.
  std::optional<std::string> choose_parsedef();

  CMainFrame* frame_;
  const prefs& prefs_;
  wx_dispatcher dispatcher_;
  curl_fetcher fetcher_;
  logo_loader pictures_;
  CHeadlineList* list_;
  CParsedSourceWnd* source_;
  std::unique_ptr<reading_session> session_;
  wxTimer queue_timer_, schedule_timer_;
  wxSearchCtrl* filter_ = nullptr;
  std::function<void(const std::string&)> notify_;
  bool source_visible_ = false;
  bool queue_loaded_ = false;
  int modal_depth_ = 0;
  std::unique_ptr<modal_watch> modal_watch_;
};

}  // namespace vantrel
