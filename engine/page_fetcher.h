#pragma once
// How a parse job fetches a page. The real implementation speaks HTTP(S) (curl_fetcher);
// tests drive the engine with fakes and the real one against a local server.
#include <functional>
#include <optional>
#include <string>

#include "common/page_validators.h"
#include "common/status.h"
#include "common/text_util.h"

namespace vantrel {

// The phases of a transfer, as the status reports name them.
enum class fetch_phase {
  request = 1,           // connecting and sending; no reply header yet
  response_headers = 2,  // reply headers arriving
  response_body = 3,     // body arriving
};

struct fetch_progress {
  fetch_phase phase;
  long long bytes_read;   // body bytes received as they came over the wire
  long long bytes_total;  // announced length, or -1 when unknown
};

struct fetch_request {
  std::string url;
  std::optional<std::string> accept_charset;  // sent as "Accept-Charset" when set; no control characters
  std::string body_file;                      // the body is stored here
  page_validators validators;                 // sent as If-None-Match / If-Modified-Since when set
  std::optional<std::string> user_agent;      // the ParseDef's own; the fetcher's when none
};

struct fetch_result {
  // ok when the transfer completed (whatever the reply's status); stopped when the progress
  // callback cancelled it; else why it failed, in words for the user.
  status failure{status_code::unavailable, "the page could not be had"};
  bool done() const { return failure.ok(); }
  enum class store_failure { none, open, write };
  store_failure store = store_failure::none;  // body_file could not be opened, or written
  int status_code = 0;
  long long body_bytes = 0;             // bytes stored (after any decompression)
  std::optional<std::string> location;  // the reply's Location header
  std::optional<std::string> charset;   // the charset of the reply's Content-Type
  page_validators validators;           // the reply's ETag and Last-Modified
};

// The validators a request can carry: a stored value that would break its header line (or an
// empty one) is not sent.
inline page_validators sendable_validators(const page_validators& known) {
  page_validators out;
  if (known.etag && !known.etag->empty() && !has_control_chars(*known.etag)) out.etag = known.etag;
  if (known.last_modified && !known.last_modified->empty() && !has_control_chars(*known.last_modified))
    out.last_modified = known.last_modified;
  return out;
}

// "HTTP 404 Not Found": an error reply's status as the user is told it.
std::string http_status_text(int code);


class page_fetcher {
 public:
  virtual ~page_fetcher() = default;
  // Runs on the worker. progress is called after every step of the transfer, and at least
  // every few tens of milliseconds while the server is silent; a result of -1 cancels the
  // transfer at once.
  virtual fetch_result fetch(const fetch_request& request,
                             const std::function<int(const fetch_progress&)>& progress) = 0;
  // Any thread: a fetch waiting for the network calls progress at once.
  virtual void wake() {}
};

}  // namespace vantrel
