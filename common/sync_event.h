#pragma once
// An event flag that threads set, reset, test and wait on: the job's busy flag (manual reset)
// and the cancel request of a running job (automatic reset: a successful test consumes it).
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

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

// Events that another part of the program can find by name, as the worker finds the cancel
// request of the running job. An event lives while someone holds it; the registry only finds.
namespace named_events {

// Creates an event under name, replacing any earlier one of that name.
std::shared_ptr<sync_event> create(const std::string& name, sync_event::reset_mode mode);
// The living event of that name, or null.
std::shared_ptr<sync_event> open(const std::string& name);

}  // namespace named_events

}  // namespace vantrel
