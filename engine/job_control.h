#pragma once
// Starting, watching and stopping parse jobs: the owner's side of the worker. At most one job
// runs at a time. The worker's status reports cross to the user-interface thread by posting
// (job_view::post_status), never by waiting; that thread hands each one to on_status, which
// turns it into status texts, progress and the end of the job.
//
// Threads: every member is called on the user-interface thread, except parser_status, which
// is the job's status callback on the worker. The job records belong to the worker from its
// start until it resets the busy event.
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "common/sync_event.h"
#include "engine/parser_job.h"

namespace vantrel {

class page_fetcher;

// What the owner shows and does; the main window implements it, and so does the console tool.
class job_view {
 public:
  virtual ~job_view() = default;
  virtual void set_status_text(const std::string& text) = 0;
  virtual void set_progress(int percent) = 0;  // creates the indicator on first use
  virtual void remove_progress() = 0;
  virtual void rebuild_list() = 0;        // the job ended: show the results
  virtual void clear_source_list() = 0;   // a new page is being fetched
  virtual void freeze_source_list() = 0;  // a job starts: fill the list without repainting
  virtual void next_site() = 0;           // the queue runs on
  virtual void stop_queue_timer() = 0;
  // Worker thread: queue a report for the user-interface thread, which passes it to
  // job_control::on_status. Must not wait for that thread. False when it could not be queued.
  virtual bool post_status(int code, std::optional<std::string> text) = 0;
};

class job_control {
 public:
  static constexpr const char* cancel_event_name = "cancel_parser_event";

  // callbacks: where items and page events go (their own owner); fetcher may be null.
  job_control(job_view& view, const parser_callbacks& callbacks, page_fetcher* fetcher);
  // Stops a running job and waits for its worker.
  ~job_control();
  job_control(const job_control&) = delete;
  job_control& operator=(const job_control&) = delete;

  // Starts a ParseDef job; source_fname, when set, is parsed instead of the site's page.
  // FALSE when a previous worker still holds the job record, or no worker could start.
  bool process_parsedef(const std::string& parsedef_fname, const std::optional<std::string>& source_fname);
  // Starts a job that fetches an address without a ParseDef.
  bool process_url_job(const std::string& url);

  // OnStatus: one posted report, on the user-interface thread.
  void on_status(int code, const std::optional<std::string>& text);
  // The Stop command, and its state (which may also clear a stop no worker will consume).
  void stop();
  bool stop_enabled();
  // Whether the commands that start jobs are enabled.
  bool can_start() const { return !job_running_ && !stop_pending_ && !queue_running_; }

  bool job_running() const { return job_running_; }
  bool stop_pending() const { return stop_pending_; }
  // The worker still holds the job record.
  bool busy() { return busy_event_.is_set(); }
  void set_queue_running(bool running) { queue_running_ = running; }
  bool queue_running() const { return queue_running_; }
  // Pause of the worker after its pst_done and pst_parsing_done reports (and before the end of
  // a local document), so the window takes them in before the worker goes on; 500 ms unless
  // set. The console tool has nothing to wait for.
  void set_report_pause(std::chrono::milliseconds pause) { report_pause_ms_ = pause.count(); }

  // Waits until the worker has ended. The last job's record (ret, failure) is then readable.
  void wait();
  const parser_job& last_job() const { return *last_job_; }

  // The job's status callback (worker thread); owner is the job_control.
  static int parser_status(void* owner, int code, const char* text);

 private:
  bool ready_for(const char* who);
  bool start(parser_job& job, const char* who);
  void fill(parser_job& job);

  job_view& view_;
  parser_callbacks callbacks_;  // the caller's, forwarded by the trampolines
  page_fetcher* fetcher_;
  parser_job parsedef_job_, url_job_;
  const parser_job* last_job_ = &parsedef_job_;
  sync_event busy_event_{sync_event::reset_mode::manual};
  std::shared_ptr<sync_event> stop_event_;
  std::atomic<bool> stop_pending_{false};
  bool job_running_ = false;  // the worker marker: set from a start until the end or Stop
  bool queue_running_ = false;
  std::atomic<long long> report_pause_ms_{500};
  std::thread worker_;
};

// The status text shown for a report, as the main window's status bar shows it; empty when
// the report shows none. bytes_read and bytes_total come from the retrieval progress.
std::string status_text(int code, const std::string& site, long long bytes_read, long long bytes_total);

}  // namespace vantrel
