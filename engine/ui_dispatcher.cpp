#include "engine/ui_dispatcher.h"

namespace vantrel {

bool queue_dispatcher::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  arrived_.notify_one();
  return true;
}

size_t queue_dispatcher::run_pending(std::chrono::milliseconds timeout) {
  std::deque<std::function<void()>> now;
  {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
    now.swap(tasks_);
  }
  for (auto& task : now) task();  // without the lock: a task may post again
  return now.size();
}

size_t queue_dispatcher::pending() {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

}  // namespace vantrel
