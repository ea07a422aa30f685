#include "common/sync_event.h"

namespace vantrel {

void sync_event::set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  cv_.notify_all();
}

void sync_event::reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool sync_event::test() {
  std::lock_guard lock(mutex_);
  bool was = set_;
  if (was && mode_ == reset_mode::automatic) set_ = false;
  return was;
}

bool sync_event::is_set() {
  std::lock_guard lock(mutex_);
  return set_;
}

bool sync_event::wait_for(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  bool was = cv_.wait_for(lock, timeout, [this] { return set_; });
  if (was && mode_ == reset_mode::automatic) set_ = false;
  return was;
}

}  // namespace vantrel
