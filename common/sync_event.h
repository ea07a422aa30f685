#pragma once
// An event flag that threads set, reset, test and wait on: the job's busy flag (manual reset)
// and the cancel request of a running job (automatic reset: a successful test consumes it).
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantrel {

class sync_event {
 public:
  enum class reset_mode { manual, automatic };

  explicit sync_event(reset_mode mode = reset_mode::manual, bool initially_set = false)
      : mode_(mode), set_(initially_set) {}
  sync_event(const sync_event&) = delete;
  sync_event& operator=(const sync_event&) = delete;

  void set();
  void reset();
  // Whether the event is set, without waiting. An automatic event is reset by a true answer.
  bool test();
  // Whether the event is set, without consuming it.
  bool is_set();
  // Waits up to timeout for the event; same consumption rule as test().
  bool wait_for(std::chrono::milliseconds timeout);

 private:
  const reset_mode mode_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool set_;
};

}  // namespace vantrel
