#include "engine/curl_fetcher.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/file_handle.h"
#include "common/text_util.h"

namespace vantrel {

namespace {

using steady = std::chrono::steady_clock;

struct easy_deleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct multi_deleter {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct slist_deleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// What the callbacks learn while the transfer runs.
struct transfer {
  std::FILE* body = nullptr;
  std::uint64_t max_body = 0;
  std::uint64_t stored = 0;
  bool too_large = false;
  bool write_failed = false;
  bool headers_started = false;
  bool body_started = false;
  steady::time_point last_activity = steady::now();
  std::optional<std::string> location, content_type, etag, last_modified;
};

size_t on_header(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<transfer*>(user);
  std::string_view line(data, size * count);
  t->last_activity = steady::now();
  t->headers_started = true;
  if (istarts_with(line, "HTTP/")) {  // a new reply (after a 100 Continue, say) starts afresh
    t->location.reset();
    t->content_type.reset();
    t->etag.reset();
    t->last_modified.reset();
  } else if (istarts_with(line, "location:")) {
    t->location = std::string(trim_spaces(line.substr(9)));
  } else if (istarts_with(line, "content-type:")) {
    t->content_type = std::string(trim_spaces(line.substr(13)));
  } else if (istarts_with(line, "etag:")) {
    t->etag = std::string(trim_spaces(line.substr(5)));
  } else if (istarts_with(line, "last-modified:")) {
    t->last_modified = std::string(trim_spaces(line.substr(14)));
  }
  return size * count;
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<transfer*>(user);
  const size_t n = size * count;
  t->last_activity = steady::now();
  t->body_started = true;
  if (t->stored + n > t->max_body) {
    t->too_large = true;
    return 0;  // ends the transfer
  }
  if (std::fwrite(data, 1, n, t->body) != n) {
    t->write_failed = true;
    return 0;
  }
  t->stored += n;
  return n;
}

std::optional<std::string> charset_of(const std::optional<std::string>& content_type) {
  if (!content_type) return std::nullopt;
  size_t at = ifind(*content_type, "charset=");
  if (at == std::string::npos) return std::nullopt;
  std::string_view v = std::string_view(*content_type).substr(at + 8);
  if (!v.empty() && (v.front() == '"' || v.front() == '\'')) v.remove_prefix(1);
  size_t end = v.find_first_of("\"'; \t");
  v = v.substr(0, end);
  if (v.empty()) return std::nullopt;
  return std::string(v);
}

std::optional<std::string> ca_bundle() {
  for (const char* var : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"})
    if (const char* v = std::getenv(var); v != nullptr && *v != '\0') return std::string(v);
  return std::nullopt;
}

}  // namespace

bool curl_library_init() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

void curl_fetcher::set_user_agent(std::string agent) {
  std::lock_guard lock(mutex_);
  user_agent_ = std::move(agent);
}

void curl_fetcher::wake() {
  std::lock_guard lock(mutex_);
  if (active_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(active_));
}

fetch_result curl_fetcher::fetch(const fetch_request& request,
                                 const std::function<int(const fetch_progress&)>& progress) {
  fetch_result result;
  if (!curl_library_init()) {
    result.failure = {status_code::unavailable, "the network library could not be started"};
    return result;
  }
  if (request.accept_charset && has_control_chars(*request.accept_charset)) {
    result.failure = {status_code::invalid, "the charset holds control characters"};  // it would forge header lines
    return result;
  }
  file_ptr body = open_file(request.body_file, "wb");
  if (!body) {
    result.store = fetch_result::store_failure::open;
    result.failure = {status_code::io_error, "cannot write " + request.body_file};
    return result;
  }
  std::unique_ptr<CURL, easy_deleter> easy(curl_easy_init());
  std::unique_ptr<CURLM, multi_deleter> multi(curl_multi_init());
  if (!easy || !multi) {
    result.failure = {status_code::unavailable, "out of memory"};
    return result;
  }
  transfer t;
  t.body = body.get();
  t.max_body = limits_.max_body;

  std::unique_ptr<curl_slist, slist_deleter> headers;
  auto add_header = [&headers](const std::string& line) {
    if (curl_slist* more = curl_slist_append(headers.get(), line.c_str())) {
      headers.release();
      headers.reset(more);
    }
  };
  if (request.accept_charset) add_header("Accept-Charset: " + *request.accept_charset);
  // What an earlier reply said about the page, so an unchanged page comes back as 304 without
  // a body. A stored value that would break the header line is not sent.
  const page_validators known = sendable_validators(request.validators);
  if (known.etag) add_header("If-None-Match: " + *known.etag);
  if (known.last_modified) add_header("If-Modified-Since: " + *known.last_modified);
  char error_text[CURL_ERROR_SIZE] = "";
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  // A ParseDef's own agent, when it could not break the request's header lines.
  std::string agent;
  if (request.user_agent && !request.user_agent->empty() && !has_control_chars(*request.user_agent)) {
    agent = *request.user_agent;
  } else {
    std::lock_guard lock(mutex_);
    agent = user_agent_;
  }
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");  // every encoding the library can decode
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 256L * 1024);  // fewer, larger writes of the body
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect_timeout.count()));
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
  if (auto ca = ca_bundle()) curl_easy_setopt(h, CURLOPT_CAINFO, ca->c_str());
  curl_multi_add_handle(multi.get(), h);
  {
    std::lock_guard lock(mutex_);
    active_ = multi.get();
  }
  struct forget_active {
    curl_fetcher* self;
    ~forget_active() {
      std::lock_guard lock(self->mutex_);
      self->active_ = nullptr;
    }
  } forget{this};

  bool cancelled = false, stalled = false, broken = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      broken = true;
      break;
    }
    if (running == 0) break;
    fetch_progress p{fetch_phase::request, 0, -1};
    if (t.body_started)
      p.phase = fetch_phase::response_body;
    else if (t.headers_started)
      p.phase = fetch_phase::response_headers;
    curl_off_t read = 0, total = -1;
    curl_easy_getinfo(h, CURLINFO_SIZE_DOWNLOAD_T, &read);  // wire bytes, like the announced length
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
    p.bytes_read = read;
    p.bytes_total = total;
    if (progress(p) == -1) {
      cancelled = true;
      break;
    }
    if (steady::now() - t.last_activity > limits_.stall_timeout) {
      stalled = true;
      break;
    }
    curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(limits_.step.count()), nullptr);
  }

  CURLcode code = CURLE_OK;
  int queued = 0;
  while (CURLMsg* m = curl_multi_info_read(multi.get(), &queued))
    if (m->msg == CURLMSG_DONE) code = m->data.result;
  curl_multi_remove_handle(multi.get(), h);
  bool closed = std::fclose(body.release()) == 0;

  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  result.status_code = static_cast<int>(status);
  result.body_bytes = static_cast<long long>(t.stored);
  result.location = t.location;
  result.charset = charset_of(t.content_type);
  result.validators = {t.etag, t.last_modified};
  if (cancelled) {
    result.failure = status::stopped();
  } else if (stalled) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", limits_.stall_timeout.count() / 1000.0);
    result.failure = {status_code::unavailable, std::string("the server sent nothing for ") + seconds + " s"};
  } else if (broken) {
    result.failure = {status_code::unavailable, "the transfer could not go on"};
  } else if (t.too_large) {
    result.failure = {status_code::invalid,
                      "the page is larger than " + std::to_string(limits_.max_body >> 20) + " MiB"};
  } else if (t.write_failed || !closed) {
    result.store = fetch_result::store_failure::write;
    result.failure = {status_code::io_error, "cannot write " + request.body_file};
  } else if (code != CURLE_OK) {
    result.failure = {status_code::unavailable, *error_text ? error_text : curl_easy_strerror(code)};
  } else {
    result.failure = {};
  }
  return result;
}

}  // namespace vantrel
