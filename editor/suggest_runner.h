#pragma once
// The Preview's "Suggest rules" without a window: reads the saved page, or fetches the site's
// page, on a thread of its own and makes rules from the examples (suggest.h); the suggestion
// reaches the caller on the user-interface thread. One at a time.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/curl_fetcher.h"
#include "engine/suggest.h"
#include "engine/ui_dispatcher.h"

namespace vantrel {

class suggest_runner {
 public:
  // done: the suggestion, or why the page could not be had (failure, the suggestion then empty).
  using answer = std::function<void(suggestion found, std::string failure)>;

  explicit suggest_runner(ui_dispatcher& ui);
  ~suggest_runner();  // stops a fetch and waits for the thread
  suggest_runner(const suggest_runner&) = delete;
  suggest_runner& operator=(const suggest_runner&) = delete;

  // Makes rules from examples over saved_page (address its address, "" for none), or over the
  // page at address. false when one is still running or there is no page to read.
  bool start(const std::optional<std::string>& saved_page, const std::string& address,
             std::vector<std::string> examples, answer done);
  void stop() {
    stop_ = true;
    fetcher_.wake();
  }
  bool running() const { return running_; }

 private:
  ui_dispatcher& ui_;
  curl_fetcher fetcher_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // what the answer checks
  std::atomic<bool> stop_{false};
  bool running_ = false;  // the user-interface thread's
  std::thread worker_;
};

}  // namespace vantrel
