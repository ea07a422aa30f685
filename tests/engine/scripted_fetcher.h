#pragma once
// A page_fetcher that plays a script instead of speaking HTTP, so that redirects, failures,
// stops at each phase and status sequences are tested without a server and without sleeps.
#include <deque>
#include <fstream>
#include <functional>
#include <vector>

#include "engine/page_fetcher.h"

namespace vantrel::testing {

struct scripted_reply {
  scripted_reply(int status_code = 200, std::string page = {}, std::optional<std::string> moved_to = {},
                 bool transfer_fails = false,
                 fetch_result::store_failure store_problem = fetch_result::store_failure::none)
      : status(status_code),
        body(std::move(page)),
        location(std::move(moved_to)),
        fails(transfer_fails),
        store(store_problem) {}

  int status;
  std::string body;
  std::optional<std::string> location;
  bool fails;  // the transfer fails
  fetch_result::store_failure store;
  bool announce_length = true;
};

class scripted_fetcher : public page_fetcher {
 public:
  std::deque<scripted_reply> replies;  // one per fetch; none left: the fetch fails
  std::vector<fetch_request> requests;
  // Called on the worker as each phase begins, before its progress report.
  std::function<void(fetch_phase)> at_phase;

  fetch_result fetch(const fetch_request& request, const std::function<int(const fetch_progress&)>& progress) override {
    requests.push_back(request);
    fetch_result result;
    if (replies.empty()) {
      result.failure = {status_code::unavailable, "no reply scripted"};
      return result;
    }
    const scripted_reply reply = replies.front();
    replies.pop_front();
    const long long size = static_cast<long long>(reply.body.size());
    for (fetch_phase phase : {fetch_phase::request, fetch_phase::response_headers, fetch_phase::response_body}) {
      if (at_phase) at_phase(phase);
      const bool body = phase == fetch_phase::response_body;
      if (progress({phase, body ? size : 0, reply.announce_length ? size : -1}) == -1) {
        result.failure = status::stopped();
        return result;
      }
    }
    result.store = reply.store;
    if (reply.fails || reply.store != fetch_result::store_failure::none) {
      result.failure = {status_code::unavailable, "scripted failure"};
      return result;
    }
    std::ofstream(request.body_file, std::ios::binary) << reply.body;
    result.failure = {};
    result.status_code = reply.status;
    result.body_bytes = size;
    result.location = reply.location;
    return result;
  }
};

}  // namespace vantrel::testing
