#pragma once
// The queue runner: processes the enabled sites of the queue one after another, one per timer
// tick, each when the previous job has ended and its worker let go of the job record. The
// window forwards its one-second timer here and shows what the runner says; tests drive it
// tick by tick.
#include <functional>
#include <string>
#include <vector>

#include "app/view_controller.h"
#include "common/site_queue.h"

namespace vantrel {

// What the runner needs of the window.
class queue_window {
 public:
  virtual ~queue_window() = default;
  virtual bool start_timer() = 0;  // ticks every second until stopped; false when it cannot
  virtual bool stop_timer() = 0;
  virtual void set_queue_state_text(const std::string& text) = 0;  // pane 101
  virtual void set_title(const std::string& title) = 0;            // only called when it changes
};

class queue_runner : public job_end_listener {
 public:
  // root gives the ParseDef root at each use (the preference may change).
  queue_runner(view_controller& view, site_queue& queue, std::function<std::string()> root, queue_window& window);

  // The Start queue command: stops a running queue, else starts it from its first site. false
  // when the queue is empty (the site selector opens instead).
  bool start_command();
  // A run the schedule begins: only the entries given (the due ones, by index, in queue order).
  // false when there are none or the queue runs already.
  bool start_automatic(std::vector<size_t> entries);
  // The Stop command's part: the timer stops at once (the job is the view controller's).
  void stop();
  // One timer tick.
  void on_timer();

  bool running() const { return view_.state().queue_running(); }
  // The run was begun by the schedule, not the user.
  bool automatic() const { return view_.state().refreshing(); }
  // The place in the run (in an automatic run, among its entries).
  size_t site_index() const { return index_; }
  // " Queue empty", " Stopping queue...", " Processing site 2 of 5", " Refreshing site 1 of 2",
  // " Stopping transfer...", " Processing single site" or " Idle".
  std::string queue_state_text() const;
  // "40% - Vantrel" while the queue runs, else "Vantrel".
  std::string title() const;
  // Shows both (the Start queue command's state refresh).
  void show_state();

 private:
  void job_ended() override;
  bool start_timer();
  bool stop_timer();
  void next_site();
  // How many sites the run goes through, and the queue entry of its place index.
  size_t run_length() const { return automatic_ ? entries_.size() : queue_.count(); }
  size_t entry_at(size_t index) const { return automatic_ ? entries_[index] : index; }
  // The window's run state, whose queue run this runner begins and ends.
  run_state& state() { return view_.state(); }

  view_controller& view_;
  site_queue& queue_;
  std::function<std::string()> root_;
  queue_window& window_;
  bool automatic_ = false;       // the run last begun was the schedule's: which entries it goes through
  std::vector<size_t> entries_;  // an automatic run's
  bool in_tick_ = false;
  size_t index_ = 0;
  std::string shown_title_, shown_state_;
};

}  // namespace vantrel
