#include "engine/queue_scheduler.h"

#include <algorithm>

#include "common/text_util.h"

namespace vantrel {

std::string url_host(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  const size_t start = scheme + 3;
  const size_t end = std::min(url.find_first_of("/?#", start), url.size());
  std::string host = url.substr(start, end - start);
  if (const size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
  if (!host.empty() && host[0] == '[') {
    // An IPv6 address: its colons are no port.
    if (const size_t close = host.find(']'); close != std::string::npos) host.erase(close + 1);
  } else if (const size_t colon = host.find(':'); colon != std::string::npos) {
    host.erase(colon);
  }
  return lower_ascii(host);
}

queue_scheduler::queue_scheduler(std::vector<std::string> hosts, queue_limits limits)
    : hosts_(std::move(hosts)), state_(hosts_.size(), site_state::waiting), limits_(limits) {
  limits_.at_once = std::max<size_t>(limits_.at_once, 1);
  limits_.per_host = std::max<size_t>(limits_.per_host, 1);
}

std::vector<size_t> queue_scheduler::start_now() {
  std::vector<size_t> starts;
  if (stopped_) return starts;
  while (first_waiting_ < state_.size() && state_[first_waiting_] != site_state::waiting) ++first_waiting_;
  for (size_t i = first_waiting_; i < state_.size() && in_flight_ < limits_.at_once; ++i) {
    if (state_[i] != site_state::waiting) continue;
    if (!hosts_[i].empty()) {
      size_t to_host = 0;
      for (size_t j = 0; j < state_.size(); ++j)
        to_host += state_[j] == site_state::running && hosts_[j] == hosts_[i];
      if (to_host >= limits_.per_host) continue;  // a later site of another host may go first
    }
    state_[i] = site_state::running;
    ++in_flight_;
    starts.push_back(i);
  }
  return starts;
}

void queue_scheduler::finished(size_t site) {
  if (site >= state_.size() || state_[site] != site_state::running) return;
  state_[site] = site_state::finished;
  --in_flight_;
  ++ended_;
}

std::vector<size_t> queue_scheduler::take_ready() {
  std::vector<size_t> ready;
  while (next_out_ < state_.size()) {
    if (state_[next_out_] == site_state::finished) {
      state_[next_out_] = site_state::out;
      ready.push_back(next_out_);
    } else if (state_[next_out_] != site_state::out) {
      break;
    }
    ++next_out_;
  }
  return ready;
}

void queue_scheduler::stop() { stopped_ = true; }

bool queue_scheduler::all_done() const {
  if (stopped_) return in_flight_ == 0;
  return next_out_ == state_.size();
}

}  // namespace vantrel
