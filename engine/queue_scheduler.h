#pragma once
// Which sites of a queue run go next when several run at once, and whose output may go out.
// Up to at_once sites are in flight, at most per_host of them to one host (a big site must not
// refuse a reader late in a refresh); otherwise they start in queue order, each the moment a
// slot is free. A finished site's output goes out once every site before it is out, so the
// blocks come in queue order however the sites finish. No toolkit, no threads: the caller
// starts and ends the jobs; tests drive it directly.
#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

struct queue_limits {
  size_t at_once = 16;  // sites in flight; 1: one after another
  size_t per_host = 2;  // sites in flight to one host
};

// The host of an address, in lower case, without user, port or path ("" when it has none): what
// the per-host limit counts by.
std::string url_host(const std::string& url);

class queue_scheduler {
 public:
  // hosts: each site's host, in queue order; "" counts against no host.
  queue_scheduler(std::vector<std::string> hosts, queue_limits limits);

  // The sites that may start now, in queue order; each is running from here on.
  std::vector<size_t> start_now();
  // A running site ended (also one that could not start): its output is ready.
  void finished(size_t site);
  // The finished sites whose turn has come, in queue order, each once.
  std::vector<size_t> take_ready();
  // No site starts any more; those in flight still end. The sites never started are dropped.
  void stop();

  // Every site is out, or (after a stop) none is in flight any more.
  bool all_done() const;
  size_t size() const { return state_.size(); }
  size_t in_flight() const { return in_flight_; }
  size_t ended() const { return ended_; }
  bool stopped() const { return stopped_; }

 private:
  enum class site_state { waiting, running, finished, out };
  std::vector<std::string> hosts_;
  std::vector<site_state> state_;
  queue_limits limits_;
  size_t first_waiting_ = 0;  // no site before it waits
  size_t next_out_ = 0;       // the first site not out yet
  size_t in_flight_ = 0, ended_ = 0;
  bool stopped_ = false;
};

}  // namespace vantrel
