#pragma once
// The decisions of Tidewatch's main view, without a toolkit: which commands may run, what
// Open, Open URL, Load ParseDef, Clear and Stop do, what a second instance's hand-over does,
// and which text the status bar's message pane shows. The window turns its events into calls
// here and implements the listeners; tests drive this class directly.
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/history_writer.h"
#include "app/reading_list.h"
#include "app/run_state.h"
#include "common/headline_store.h"
#include "common/site_queue.h"
#include "engine/job_control.h"
#include "engine/job_listeners.h"
#include "engine/result_store.h"
#include "engine/run_recorder.h"

namespace vantrel {

class page_fetcher;

// What the main view shows, beside the listeners of a job.
class view_display : public status_listener, public results_listener, public source_listener {
 public:
  // The headline list lost every row (Clear, Open).
  virtual void list_cleared() = 0;
  // A site's run ended and its rows in the reading list are as the run left them.
  virtual void site_ran(const std::string& site_name, const site_run& run) { (void)site_name, (void)run; }
  // A queue run went through every site it meant to run (tally: how they fared).
  virtual void queue_run_finished(const run_tally& tally, bool user_started) { (void)tally, (void)user_started; }
};

class view_controller : private status_listener, private results_listener, private job_end_listener {
 public:
  view_controller(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display, picture_source* pictures);
  view_controller(const view_controller&) = delete;
  view_controller& operator=(const view_controller&) = delete;

  // What the list shows: the headlines of every site's runs.
  reading_list& reading() { return reading_; }
  const reading_list& reading() const { return reading_; }
  // A job's headlines while it runs; they go into the reading list when it ends.
  result_store& results() { return results_; }
  job_control& jobs() { return jobs_; }

  // Where site runs are kept (none: they are only shown) and what they are kept under: site
  // keys are relative to root(). A headline is shown for keep_seconds after it was last seen.
  // Runs are written on a thread of their own, into the same file.
  void set_history(headline_store* store, std::function<std::string()> root, std::int64_t keep_seconds);
  // Site runs handed to the store whose rows have not come back yet.
  size_t history_writes_waiting() const { return writer_ ? writer_->waiting() : 0; }
  // Who turns a logo's stored bytes into a picture for the rows (null: no logos from the store).
  void set_logo_decoder(std::function<std::shared_ptr<picture>(const std::string& bytes)> decode) {
    decode_logo_ = std::move(decode);
  }
  // The place of a site (by key) in the queue, which the list's blocks keep; none for a site
  // that is not queued.
  void set_site_places(std::function<std::optional<size_t>(const std::string& key)> places) {
    places_ = std::move(places);
  }
  // The clock runs are stamped with (seconds since the epoch); tests set their own.
  void set_clock(std::function<unix_time()> clock) { clock_ = std::move(clock); }
  // Begins filling the reading list from the store with the headlines of the last runs: the
  // first sites at once, until first_rows rows are in (a window's first screen), the others
  // by load_more_history. A failure when the store could not be read whole.
  status load_history(size_t first_rows = static_cast<size_t>(-1));
  // Loads further sites of the store until budget has passed; whether sites are left.
  bool load_more_history(std::chrono::milliseconds budget);
  bool history_pending() const { return !pending_sites_.empty(); }
  // Marks a shown row read, in the list and the store.
  void mark_read(size_t shown);
  void mark_all_read();
  // Takes the block of the shown row's site out of the list and its headlines and runs out of
  // the store (a site that is gone from the library, or one the user no longer reads). The
  // site's name, or none when there was no such row or a job runs.
  std::optional<std::string> remove_site_headlines(size_t shown);
  // Each site's latest problem (its last run failed or found nothing), oldest first, a line
  // each: "Name: why". From the store, else from this session's runs.
  std::vector<std::string> problems();
  // How a site last ran: from the store, else from this session; none when it never ran.
  std::optional<site_run> last_run(const std::string& site_key);
  // A message for the message pane, shown until the next job starts (as a job's failure is).
  void show_message(const std::string& text) { set_status_text(text); }
  // Writes into each entry's last_refresh when the store says its site last ran well, so the
  // queue file tells it too.
  void note_last_refresh(site_queue& queue);
  // The tally of the last queue run that went through (its summary is in the message pane).
  const run_tally& last_tally() const { return last_tally_; }

  // What the window is doing; the queue runner tells it of its runs.
  run_state& state() { return state_; }
  const run_state& state() const { return state_; }
  bool idle() const { return state_.idle(); }
  bool can_clear() const { return reading_.total() > 0 || !results_.empty(); }
  bool can_stop() const { return state_.can_stop(); }

  // Open: the chosen page, parsed with the ParseDef chosen now (nullopt when that choice was
  // cancelled: the one of an earlier Open is used, or none). Empties the list first.
  void open_source(const std::string& source, const std::optional<std::string>& parsedef);
  // A ParseDef opened from Load ParseDef, the command line or a second instance: processed as
  // a single site at once. false when no job could start.
  bool open_parsedef(const std::string& path);
  // The queue runner's start of a queued site (the queue runs, so the view is not idle).
  // name: the queue entry's; user_started: false for a run the schedule began.
  bool process_site(const std::string& path, const std::string& name = {}, bool user_started = true);
  // The queue runner's account of its run: a site it could not start, and the end of a run
  // that went through its sites (the summary shows once the last site's worker is done).
  void site_skipped(const std::string& name, const std::string& why);
  void queue_run_started(bool user_started);
  void queue_run_ended();
  // Open URL: the address as typed.
  bool open_url(const std::string& url);
  void clear();
  void stop();

  // A path handed over by a second instance. It waits while a dialog is open (the user is
  // answering it) and while a job or the queue runs (no job is cut short); then the paths are
  // opened in the order they came, each when the one before has ended.
  void hand_over(const std::string& path);
  // Something the user asked for that starts a job, to be done the same way once the view is
  // free (a command given while a scheduled refresh winds down).
  void when_idle(std::function<void()> action);
  // Called when the window is idle: opens waiting hand-overs unless a modal dialog is open or
  // the view is busy. The number of paths opened (and deferred actions done).
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
  // Every started job whose end has not yet been told, oldest first. The next job may start
  // before the last one's end arrives: what a job produces arrives in order, so the items
  // and the end in hand are always the oldest job's.
  struct started_job {
    std::optional<run_recorder> recorder;  // none: a job that is no site's run (Open URL)
    bool user_started = true;
    bool source_run = false;  // Open: a saved page, shown but not kept
  };
  // status_listener: keeps the text for the prompt rule, then shows it.
  void set_status_text(const std::string& text) override;
  void set_progress(int percent) override { display_.set_progress(percent); }
  void remove_progress() override { display_.remove_progress(); }
  // job_end_listener: forwarded to the queue runner.
  void job_ended() override;
  // results_listener: a job's items are judged new as they arrive; the list shows them when
  // the site's run ends.
  void items_added(result_store& store, size_t first) override;
  void rebuild_list() override { display_.rebuild_list(); }
  // Before a job starts: the last job's failure text goes.
  void starting();
  bool start_site(const std::string& path, const std::string& name, bool user_started);
  void worker_finished(const job_outcome& outcome) override;
  // The site's rows after a run that is not kept: the job's items.
  void show_run(const started_job& job, const site_run& run);
  // Hands a site's run to the writer; its rows come back in show_written.
  void write_run(started_job& job, const job_outcome& outcome);
  void show_written(const std::string& key, const std::string& name, std::shared_ptr<picture> logo, bool counted,
                    history_writer::written&& written);
  // What a site's run changed, once its rows are in: the list, the tally, the listeners.
  void site_done(const std::string& key, const std::string& name, const site_run& run, bool counted);
  // The queue run's summary, once every site of it is done.
  bool queue_run_done() const;
  std::vector<reading_row> rows_of_results(std::uint32_t site, bool fresh_marks);
  // Loads the next waiting site of the store at the end of the list, with the rows that could be read.
  status load_next_site();
  void finish_queue_run();
  // The reading list's site of a key, with its queue place as it is now.
  std::uint32_t site_of(const std::string& key, const std::string& name);

  ui_dispatcher& ui_;
  view_display& display_;
  result_store results_;
  job_control jobs_;
  job_end_listener* end_listener_ = nullptr;
  std::string status_text_;
  std::string parsedef_path_;  // the ParseDef of the last Open
  run_state state_{jobs_};
  std::deque<std::function<void()>> hand_overs_;
  std::function<void(const std::string&)> opener_;

  reading_list reading_;
  headline_store* history_ = nullptr;
  std::unique_ptr<history_writer> writer_;
  std::string writer_path_;
  std::function<std::string()> root_;
  std::int64_t keep_seconds_ = 30 * 86400;
  std::function<unix_time()> clock_;
  std::function<std::shared_ptr<picture>(const std::string&)> decode_logo_;
  std::function<std::optional<size_t>(const std::string&)> places_;
  std::deque<started_job> started_;
  std::vector<char> fresh_;                // whether each of results_' items is new
  std::deque<std::string> pending_sites_;  // stored sites not yet in the reading list
  std::map<std::string, site_run> runs_;   // this session's, for sites the store does not know
  std::map<std::string, std::string> skipped_;  // by queue name: why the queue could not start it
  run_tally tally_, last_tally_;
  bool queue_user_started_ = true;
  bool summary_due_ = false;  // the queue run ended; its last worker has not yet
};

}  // namespace vantrel
