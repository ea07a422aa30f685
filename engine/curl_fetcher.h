#pragma once
// Fetching pages over HTTP and HTTPS with libcurl, step by step, so that every step can report
// progress and notice a cancel. Certificates are checked; the CA bundle can be pointed
// elsewhere with CURL_CA_BUNDLE or SSL_CERT_FILE. Proxies come from the environment
// (http_proxy, https_proxy, no_proxy). Compressed replies are decoded. Redirects are not
// followed here: the parse job follows them itself.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "common/prefs.h"
#include "engine/page_fetcher.h"

namespace vantrel {

struct fetch_limits {
  std::chrono::milliseconds connect_timeout{30'000};
  std::chrono::milliseconds stall_timeout{60'000};  // no byte from the server for this long
  std::uint64_t max_body = 64ull << 20;
  std::chrono::milliseconds step{50};  // longest wait between two progress calls
};

// Starts the transfer library once per process. False when it cannot start.
bool curl_library_init();

class curl_fetcher : public page_fetcher {
 public:
  explicit curl_fetcher(fetch_limits limits = {}) : limits_(limits) {}
  fetch_result fetch(const fetch_request& request, const std::function<int(const fetch_progress&)>& progress) override;
  void wake() override;
  // The "User-Agent" of requests that name none of their own (the preferences'); any thread.
  void set_user_agent(std::string agent);

 private:
  fetch_limits limits_;
  std::mutex mutex_;
  std::string user_agent_ = default_user_agent;
  void* active_ = nullptr;  // the multi handle of the fetch under way, for wake()
};

}  // namespace vantrel
