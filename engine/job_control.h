#pragma once
// Starting, watching and stopping parse jobs: the owner's side of the worker. At most one job
// of a job control runs at a time; job controls share nothing, so several run side by side
// in one process (each job's stop request, progress and unpack folder are its own).
//
// Threads and ownership:
// - Every member is called on the user-interface thread. The worker reaches that thread only
//   through the ui_dispatcher: its items, page events, status reports and its end are posted
//   as tasks, in order, and the job control hands them on to the listeners from there. No
//   listener is ever called on the worker; the picture_source alone is (see its contract).
// - The dispatcher, the result store, the listeners, the picture source and the fetcher must
//   outlive the job control. Tasks still in flight when it is destroyed are dropped.
// - Destroying it stops a running job and waits for the worker; that wait is bounded: the
//   worker gives up retrying reports the dispatcher refuses, and cuts its pauses short.
// - The jobs run on a background_worker of the job control's own, one after another: a job
//   started while the last one's parser is still being torn down waits (on this thread) for
//   that, since the job channel serves one job at a time.
// - The job records belong to the worker from its start until it resets the busy event.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "common/sync_event.h"
#include "engine/background_worker.h"
#include "engine/job_channel.h"
#include "engine/job_listeners.h"
#include "engine/parser_job.h"
#include "engine/result_store.h"
#include "engine/ui_dispatcher.h"

namespace vantrel {

class page_fetcher;

class job_control : private job_receiver {
 public:
  // Items end in results; fetcher may be null (fetching then fails); app names the program
  // whose private folder the jobs unpack their packages and keep their pages in (paths.h).
  job_control(ui_dispatcher& ui, result_store& results, page_fetcher* fetcher, std::string app);
  ~job_control() override;
  job_control(const job_control&) = delete;
  job_control& operator=(const job_control&) = delete;

  // Each may be null (nothing is shown; without a source listener, page events are not even
  // collected). Set them while no job runs.
  void set_status_listener(status_listener* listener) { status_ = listener; }
  void set_results_listener(results_listener* listener) { results_listener_ = listener; }
  void set_source_listener(source_listener* listener) { source_ = listener; }
  void set_end_listener(job_end_listener* listener) { end_ = listener; }
  void set_picture_source(picture_source* pictures) { pictures_ = pictures; }

  // Starts a ParseDef job; source_fname, when set, is parsed instead of the site's page.
  // validators: what an earlier reply said about the page, for a conditional fetch.
  // FALSE when a previous worker still holds the job record, or no worker could start.
  bool process_parsedef(const std::string& parsedef_fname, const std::optional<std::string>& source_fname,
                        const page_validators& validators = {});
  // Starts a job that fetches an address without a ParseDef.
  bool process_url_job(const std::string& url);

  // OnStatus: one status report of the worker.
  void on_status(int code, const std::optional<std::string>& text);
  // The Stop command. The queue runner stops its own timer.
  void stop();
  // Whether Stop is enabled, as far as jobs go (the window adds the queue runner's state).
  // A pure query: command-state handlers call it many times a second.
  bool stop_enabled() const { return job_running_; }
  // Whether the commands that start jobs are enabled, as far as jobs go.
  bool can_start() const { return !job_running_ && !stop_pending_; }

  bool job_running() const { return job_running_; }
  bool stop_pending() const { return stop_pending_; }
  // The worker still holds the job record.
  bool busy() const { return busy_event_.is_set(); }
  // Pause of the worker after its pst_done and pst_parsing_done reports, so the window takes
  // them in before the worker goes on; 500 ms unless set. The console tool has nothing to
  // wait for.
  void set_report_pause(std::chrono::milliseconds pause) { report_pause_ = pause; }

  // Waits until the worker has ended every job started; tasks it posted may still wait in the
  // dispatcher.
  void wait();
  // Items a listener is done with (the console prints and forgets them): while a job runs they
  // are freed by its worker, which made them; else here.
  void dispose(std::vector<std::unique_ptr<headline_item>> items);

 private:
  bool ready_for(const char* who);
  bool start(parser_job& job, const char* who);
  void fill(parser_job& job);
  void request_stop();

  // job_receiver
  void receive_items(std::vector<std::unique_ptr<headline_item>> items) override;
  void receive_source(std::vector<source_line> lines) override;
  void receive_status(int code, const std::optional<std::string>& text) override { on_status(code, text); }
  void receive_stop_consumed() override { stop_pending_ = false; }
  void receive_worker_finished(const job_outcome& outcome) override;

  result_store& results_;
  page_fetcher* fetcher_;
  const std::string app_;
  status_listener* status_ = nullptr;
  results_listener* results_listener_ = nullptr;
  source_listener* source_ = nullptr;
  job_end_listener* end_ = nullptr;
  picture_source* pictures_ = nullptr;

  // Before the channel, which checks its token; the destructor waits for its jobs before any
  // member goes.
  background_worker worker_;
  job_channel channel_;
  parser_job parsedef_job_, url_job_;
  parser_job* last_job_ = &parsedef_job_;
  mutable sync_event busy_event_{sync_event::reset_mode::manual};
  std::shared_ptr<sync_event> stop_event_;  // the running job's (its record holds it too)
  bool stop_pending_ = false;
  bool job_running_ = false;  // the worker marker: set from a start until the end or Stop
  std::chrono::milliseconds report_pause_{500};
};

// The status text shown for a report, as the main window's status bar shows it; empty when
// the report shows none. bytes_read and bytes_total come from the retrieval progress.
std::string status_text(int code, const std::string& site, long long bytes_read, long long bytes_total);

}  // namespace vantrel
