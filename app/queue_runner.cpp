#include "app/queue_runner.h"

#include <cstdio>

#include "common/library.h"
#include "common/queue_policy.h"
#include "common/trace_log.h"

namespace vantrel {

queue_runner::queue_runner(view_controller& view, site_queue& queue, std::function<std::string()> root,
                           queue_window& window)
    : view_(view), queue_(queue), root_(std::move(root)), window_(window) {}

bool queue_runner::start_timer() {
  if (!window_.start_timer()) return false;
  index_ = 0;
  state().queue_begun(automatic_);
  view_.queue_run_started(!automatic_);
  return true;
}

bool queue_runner::stop_timer() {
  if (!window_.stop_timer()) return false;
  state().queue_ended();
  return true;
}

bool queue_runner::start_command() {
  if (queue_.empty()) return false;
  if (running()) {
    stop_timer();
  } else {
    automatic_ = false;
    start_timer();
  }
  show_state();
  return true;
}

bool queue_runner::start_automatic(std::vector<size_t> entries) {
  if (running() || entries.empty()) return false;
  automatic_ = true;
  entries_ = std::move(entries);
  const bool started = start_timer();
  show_state();
  return started;
}

void queue_runner::stop() {
  // Also when the run is already over for the view (its Stop came first): the timer stops.
  stop_timer();
  show_state();
}

void queue_runner::on_timer() {
  // A tick never runs inside another, and every way out of it clears the guard.
  if (in_tick_ || !running()) return;
  in_tick_ = true;
  struct guard {
    bool& flag;
    ~guard() { flag = false; }
  } clear_guard{in_tick_};

  job_control& jobs = view_.jobs();
  if (jobs.job_running() || jobs.stop_pending() || queue_.empty() || jobs.busy()) return;
  if (index_ >= run_length()) index_ = 0;  // the queue shrank meanwhile
  const size_t entry = entry_at(index_);
  if (entry < queue_.count() && queue_[entry].enabled != 0) {
    const queue_site& site = queue_[entry];
    if (auto path = queued_site_file(root_(), site)) {
      trace("OnTimer: processing %s...", path->c_str());
      if (view_.process_site(*path, queue_name(site), !automatic_)) {
        show_state();
        return;  // its end moves the queue on
      }
      trace("OnTimer: process_parsedef returned FALSE");
      view_.site_skipped(queue_name(site), "the job could not be started");
    } else {
      view_.site_skipped(queue_name(site), "not in the library (" + library_path(root_(), queue_fname(site)) + ")");
    }
  }
  next_site();
}

void queue_runner::job_ended() {
  if (running()) next_site();
  show_state();
}

void queue_runner::next_site() {
  ++index_;
  trace("NextSite: queue_site_index == %zu", index_);
  if (index_ >= run_length()) {
    trace("NextSite: queue complete");
    index_ = 0;
    stop_timer();
    view_.queue_run_ended();
  }
  show_state();
}

std::string queue_runner::queue_state_text() const {
  const job_control& jobs = view_.jobs();
  char text[128];
  if (queue_.empty()) return " Queue empty";
  if (running() && jobs.stop_pending()) return " Stopping queue...";
  if (running()) {
    std::snprintf(text, sizeof text, automatic() ? " Refreshing site %zu of %zu" : " Processing site %zu of %zu",
                  index_ + 1, run_length());
    return text;
  }
  if (jobs.job_running() && jobs.stop_pending()) return " Stopping transfer...";
  if (jobs.job_running()) return " Processing single site";
  return " Idle";
}

std::string queue_runner::title() const {
  // A refresh the schedule began goes on quietly, leaving the title alone.
  if (!running() || automatic() || queue_.empty()) return "Vantrel";
  return std::to_string(index_ * 100 / queue_.count()) + "% - Vantrel";
}

void queue_runner::show_state() {
  const std::string state = queue_state_text();
  if (state != shown_state_) {
    shown_state_ = state;
    window_.set_queue_state_text(state);
  }
  const std::string t = title();
  if (t != shown_title_) {
    shown_title_ = t;
    window_.set_title(t);
  }
}

}  // namespace vantrel
