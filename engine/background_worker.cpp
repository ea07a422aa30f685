#include "engine/background_worker.h"

#include <system_error>

namespace vantrel {

background_worker::~background_worker() {
  {
    std::lock_guard hold(lock_);
    closing_ = true;
    current_.flag_->store(true);
    for (piece& p : queue_) p.token.flag_->store(true);
  }
  changed_.notify_all();
  if (wake_) wake_();
  if (thread_.joinable()) thread_.join();
}

bool background_worker::run(std::function<void(const cancel_token&)> work) {
  std::lock_guard hold(lock_);
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { loop(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  queue_.push_back({std::move(work), current_});
  changed_.notify_all();
  return true;
}

bool background_worker::post(std::function<void()> task) {
  return ui_.post([alive = std::weak_ptr<int>(alive_), task = std::move(task)] {
    if (!alive.expired()) task();
  });
}

void background_worker::cancel() {
  {
    std::lock_guard hold(lock_);
    current_.flag_->store(true);
    current_ = cancel_token();
  }
  if (wake_) wake_();
}

void background_worker::wait_idle() {
  std::unique_lock hold(lock_);
  changed_.wait(hold, [this] { return queue_.empty() && running_ == 0; });
}

size_t background_worker::pending() const {
  std::lock_guard hold(lock_);
  return queue_.size() + running_;
}

void background_worker::loop() {
  for (;;) {
    piece next;
    {
      std::unique_lock hold(lock_);
      changed_.wait(hold, [this] { return closing_ || !queue_.empty(); });
      if (queue_.empty()) return;  // closing, and nothing left to run
      next = std::move(queue_.front());
      queue_.pop_front();
      running_ = 1;
    }
    next.work(next.token);
    next = piece();  // what the work held goes on this thread, before it counts as done
    {
      std::lock_guard hold(lock_);
      running_ = 0;
    }
    changed_.notify_all();
  }
}

}  // namespace vantrel
