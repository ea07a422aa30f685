#pragma once
// The Preview's "Suggest rules" without a window: reads the saved page, or fetches the site's
// page, on a background worker and makes rules from the examples (suggest.h); the suggestion
// reaches the caller on the user-interface thread. One at a time.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/background_worker.h"
#include "engine/curl_fetcher.h"
#include "engine/suggest.h"

namespace vantrel {

class suggest_runner {
 public:
  // done: the suggestion, or why the page could not be had (failure: stopped when stopped;
  // the suggestion is then empty).
  using answer = std::function<void(suggestion found, status failure)>;

  explicit suggest_runner(ui_dispatcher& ui);
  suggest_runner(const suggest_runner&) = delete;
  suggest_runner& operator=(const suggest_runner&) = delete;

  // Makes rules from examples over saved_page (address its address, "" for none), or over the
  // page at address. false when one is still running or there is no page to read.
  bool start(const std::optional<std::string>& saved_page, const std::string& address,
             std::vector<std::string> examples, answer done);
  void stop() { worker_.cancel(); }
  bool running() const { return running_; }

 private:
  curl_fetcher fetcher_;
  bool running_ = false;  // the user-interface thread's
  // Last: it goes first (stopping a fetch and waiting for it) while the fetcher is still here.
  background_worker worker_;
};

}  // namespace vantrel
