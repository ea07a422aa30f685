#pragma once
// What Tidewatch's window is doing, in one place: idle, running a single site, running the
// queue (as the user asked, or a refresh the schedule began), or waiting for a Stop to take
// effect. The view controller owns it; the queue runner says when its runs begin and end; the
// window and the command states only ask. Toolkit-free; the user-interface thread's alone.
#include "engine/job_control.h"

namespace vantrel {

class run_state {
 public:
  enum class mode { idle, single_job, queue_run, refresh, stopping };

  explicit run_state(const job_control& jobs) : jobs_(jobs) {}

  mode current() const;
  // "idle", "single job", "queue run", "refresh", "stopping": for traces and tests.
  static const char* name(mode m);

  // The queue runner's: a run begins (scheduled: the schedule began it) and ends.
  void queue_begun(bool scheduled) { queue_ = scheduled ? queue_kind::scheduled : queue_kind::user; }
  void queue_ended() { queue_ = queue_kind::none; }
  bool queue_running() const { return queue_ != queue_kind::none; }
  // A queue run the schedule began, which gives way to whatever the user asks for.
  bool refreshing() const { return queue_ == queue_kind::scheduled; }

  // No job runs, no stop is pending and the queue does not run: the commands that start jobs
  // are enabled.
  bool idle() const { return !queue_running() && jobs_.can_start(); }
  // Commands that start something may be given: idle, or a refresh that will give way.
  bool may_start() const { return idle() || refreshing(); }
  bool can_stop() const { return queue_running() || jobs_.stop_enabled(); }

  // The Stop command: the queue run is over, and a job's failure from now on is no news.
  void stopped() {
    queue_ = queue_kind::none;
    stop_pressed_ = true;
  }
  // A job the user or the queue starts.
  void starting() { stop_pressed_ = false; }
  bool stop_pressed() const { return stop_pressed_; }

 private:
  enum class queue_kind { none, user, scheduled };
  const job_control& jobs_;
  queue_kind queue_ = queue_kind::none;
  bool stop_pressed_ = false;  // since the last start
};

}  // namespace vantrel
