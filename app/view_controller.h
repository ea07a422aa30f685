#pragma once
// The decisions of Tidewatch's main view, without a toolkit: which commands may run, what
// Open, Open URL, Load ParseDef, Clear and Stop do, what a second instance's hand-over does,
// and which text the status bar's message pane shows. The window turns its events into calls
// here and implements the listeners; tests drive this class directly.
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "engine/job_control.h"
#include "engine/job_listeners.h"
#include "engine/result_store.h"

namespace vantrel {

class page_fetcher;

// What the main view shows, beside the listeners of a job.
class view_display : public status_listener, public results_listener, public source_listener {
 public:
  // The headline list lost every row (Clear, Open).
  virtual void list_cleared() = 0;
};

class view_controller : private status_listener, private job_end_listener {
 public:
  view_controller(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display, picture_source* pictures);
  view_controller(const view_controller&) = delete;
  view_controller& operator=(const view_controller&) = delete;

  result_store& results() { return results_; }
  job_control& jobs() { return jobs_; }

  // No job runs, no stop is pending and the queue does not run: the commands that start jobs
  // are enabled.
  bool idle() const { return !queue_running_ && jobs_.can_start(); }
  bool can_clear() const { return !results_.empty(); }
  bool can_stop() const { return queue_running_ || jobs_.stop_enabled(); }
  // Set by the queue runner.
  void set_queue_running(bool running) { queue_running_ = running; }

  // Open: the chosen page, parsed with the ParseDef chosen now (nullopt when that choice was
  // cancelled: the one of an earlier Open is used, or none). Empties the list first.
  void open_source(const std::string& source, const std::optional<std::string>& parsedef);
  // A ParseDef opened from Load ParseDef, the command line or a second instance: processed as
  // a single site at once. false when no job could start.
  bool open_parsedef(const std::string& path);
  // The queue runner's start of a queued site (the queue runs, so the view is not idle).
  bool process_site(const std::string& path);
  // Open URL: the address as typed.
  bool open_url(const std::string& url);
  void clear();
  void stop();

  // A path handed over by a second instance. It waits while a dialog is open (the user is
  // answering it) and while a job or the queue runs (no job is cut short); then the paths are
  // opened in the order they came, each when the one before has ended.
  void hand_over(const std::string& path);
  // Called when the window is idle: opens waiting hand-overs unless a modal dialog is open or
  // the view is busy. The number of paths opened.
  int deliver_hand_overs(bool modal_open);
  size_t waiting_hand_overs() const { return hand_overs_.size(); }
  // Who opens a handed-over path when the view is free (the window offers to install a
  // package first); open_parsedef when unset.
  void set_hand_over_opener(std::function<void(const std::string&)> opener) { opener_ = std::move(opener); }

  // The status-bar prompt of a command (or "Ready" when idle): the job's text while one shows.
  std::string prompt(const std::string& normal) const { return status_text_.empty() ? normal : status_text_; }
  const std::string& status_text() const { return status_text_; }

  // The queue runner listens here for the end of each job.
  void set_end_listener(job_end_listener* listener) { end_listener_ = listener; }

 private:
  // status_listener: keeps the text for the prompt rule, then shows it.
  void set_status_text(const std::string& text) override;
  void set_progress(int percent) override { display_.set_progress(percent); }
  void remove_progress() override { display_.remove_progress(); }
  // job_end_listener: forwarded to the queue runner.
  void job_ended() override;
  // Before a job starts: the last job's failure text goes.
  void starting();
  void worker_finished(const job_outcome& outcome) override;

  view_display& display_;
  result_store results_;
  job_control jobs_;
  job_end_listener* end_listener_ = nullptr;
  std::string status_text_;
  std::string parsedef_path_;  // the ParseDef of the last Open
  bool queue_running_ = false;
  bool stop_pressed_ = false;  // since the last start
  std::deque<std::string> hand_overs_;
  std::function<void(const std::string&)> opener_;
};

}  // namespace vantrel
