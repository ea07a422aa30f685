#include "common/sync_event.h"

#include <map>

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

namespace named_events {

namespace {
std::mutex registry_mutex;
std::map<std::string, std::weak_ptr<sync_event>>& registry() {
  static std::map<std::string, std::weak_ptr<sync_event>> events;
  return events;
}
}  // namespace

std::shared_ptr<sync_event> create(const std::string& name, sync_event::reset_mode mode) {
  auto event = std::make_shared<sync_event>(mode);
  std::lock_guard lock(registry_mutex);
  registry()[name] = event;
  return event;
}

std::shared_ptr<sync_event> open(const std::string& name) {
  std::lock_guard lock(registry_mutex);
  auto it = registry().find(name);
  return it == registry().end() ? nullptr : it->second.lock();
}

}  // namespace named_events

}  // namespace vantrel
