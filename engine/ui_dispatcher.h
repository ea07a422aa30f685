#pragma once
// The one way from the worker to the user-interface thread. Everything a job produces that
// the user-interface thread must see (items, page events for the Parsed Source window, status
// reports, the end of the worker) crosses as a task posted here, in order. The main window
// implements it with the toolkit's "call after" facility; the console tool and the tests use
// queue_dispatcher, a plain queue whose reader counts as the user-interface thread.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vantrel {

class ui_dispatcher {
 public:
  virtual ~ui_dispatcher() = default;
  // Any thread. Queues task to run later on the user-interface thread, after every task
  // posted before it. Never waits for that thread and never runs the task itself. False when
  // the task was refused: it is then destroyed unrun.
  virtual bool post(std::function<void()> task) = 0;
};

class queue_dispatcher : public ui_dispatcher {
 public:
  bool post(std::function<void()> task) override;
  // The thread that calls these is the user-interface thread. Runs every task queued now,
  // first waiting up to timeout for one when none is; returns how many ran.
  size_t run_pending(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
  // Tasks waiting to run.
  size_t pending();

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace vantrel
