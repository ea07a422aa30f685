// The parser's retrieval (parser.h): fetch a page into a temporary file, parse it, and follow
// the redirects it sets.
#include <filesystem>

#include "common/paths.h"
#include "common/platform.h"
#include "common/text_util.h"
#include "common/trace_log.h"
#include "engine/parser.h"

namespace vantrel {

namespace {
constexpr size_t max_site_name = 255;
constexpr const char* page_file_prefix = "page-";

// At most max_site_name bytes, cut between characters.
std::string site_name_of(const std::string& display) {
  return display.substr(0, utf8_prefix_length(display, max_site_name));
}
}  // namespace

std::string http_status_text(int code) {
  static const struct {
    int code;
    const char* reason;
  } reasons[] = {
      {400, "Bad Request"},          {401, "Unauthorized"},          {402, "Payment Required"},
      {403, "Forbidden"},            {404, "Not Found"},             {405, "Method Not Allowed"},
      {406, "Not Acceptable"},       {407, "Proxy Authentication Required"},
      {408, "Request Timeout"},      {409, "Conflict"},              {410, "Gone"},
      {412, "Precondition Failed"},  {414, "URI Too Long"},          {415, "Unsupported Media Type"},
      {418, "I'm a teapot"},         {421, "Misdirected Request"},   {425, "Too Early"},
      {426, "Upgrade Required"},     {429, "Too Many Requests"},     {451, "Unavailable For Legal Reasons"},
      {500, "Internal Server Error"}, {501, "Not Implemented"},      {502, "Bad Gateway"},
      {503, "Service Unavailable"},  {504, "Gateway Timeout"},       {505, "HTTP Version Not Supported"},
      {507, "Insufficient Storage"}, {508, "Loop Detected"},         {511, "Network Authentication Required"},
  };
  for (const auto& r : reasons)
    if (r.code == code) return "HTTP " + std::to_string(code) + " " + r.reason;
  return "HTTP " + std::to_string(code);
}

int parser::error_reply(const fetch_result& got) {
  // An error reply is no page of the site, however much it looks like one: its links are no
  // headlines, the run fails and what the site had stays. Its body still reaches the page
  // events (Parsed Source), for whoever writes rules.
  trace("fetch_page: the server answered %d", http_status_);
  const status failed(status_code::unavailable, http_status_text(http_status_));
  if (got.body_bytes > 0 && page_events_) {
    if (report(pst_parsing, nullptr) == -1) {
      failure_ = status::stopped();
      return -1;
    }
    set_http_charset(got.charset);
    parsedef_rules rules = walk_.take_rules();
    (void)parse_file(temp_fname_);  // whatever it holds, the reply has failed
    walk_.set_rules(std::move(rules));
  }
  failure_ = failed;
  report(pst_parsing_done, nullptr);
  return -1;
}

int parser::process_url(const std::optional<std::string>& address) {
  redirect_url_.reset();
  not_modified_ = false;
  if (fetch_page(address) != 0) return -1;
  int redirects = 0;
  while (redirect_url_) {
    if (++redirects > max_redirects) {
      trace("process_url: more than %d redirects, giving up at %s", max_redirects, redirect_url_->c_str());
      failure_ = {status_code::unavailable, "more than " + std::to_string(max_redirects) + " redirects"};
      redirect_url_.reset();
      report(pst_parsing_done, nullptr);
      return -1;
    }
    if (fetch_page(redirect_url_) != 0) return -1;
  }
  redirect_url_.reset();
  return 0;
}

int parser::fetch_page(std::optional<std::string> address) {
  redirect_url_.reset();
  failure_ = {};
  std::error_code ec;
  if (!temp_fname_.empty()) std::filesystem::remove(temp_fname_, ec);
  temp_fname_.clear();
  const result<std::string> folder = private_folder(app());
  if (!folder) {
    failure_ = {folder.error().code(), "no temporary file for the page: " + folder.message()};  // no name could be had
    report(pst_parsing_done, nullptr);
    return -1;
  }
  const result<std::string> temp = platform::create_unique_file(*folder, page_file_prefix);
  if (!temp) {
    trace("Unable to open file %s", (*folder + "/" + page_file_prefix + "XXXXXX").c_str());
    failure_ = {temp.error().code(), "no temporary file for the page: " + temp.message()};
    report(pst_parsing_done, nullptr);
    return -1;
  }
  temp_fname_ = *temp;

  std::optional<std::string> name = get_name();
  const std::string display = name ? *name : address.value_or("");
  trace("Getting %s", (name || address) ? display.c_str() : "(null)");
  if (!address || !is_fetchable_url(*address)) {
    trace("URL is invalid");
    failure_ = {status_code::invalid,
                address ? "\"" + *address + "\" is not an http or https address" : "no address to fetch"};
    report(pst_parsing_done, nullptr);
    return -1;
  }
  if (parsedef_charset_ && has_control_chars(*parsedef_charset_)) {
    // It goes into a request header, where a line break would forge header lines.
    trace("fetch_page: the ParseDef's charset holds control characters");
    failure_ = {status_code::invalid, "the ParseDef's charset holds control characters"};
    report(pst_parsing_done, nullptr);
    return -1;
  }
  if (report(pst_finding_site, display.c_str()) == -1) {
    trace("Finding site callback returned -1");
    failure_ = status::stopped();
    report(pst_parsing_done, nullptr);  // the cancel was consumed by the first report
    return -1;
  }
  if (fetcher_ == nullptr) {
    trace("HTTP error");
    failure_ = {status_code::unavailable, "fetching pages is not available here"};
    report(pst_parsing_done, nullptr);
    return -1;
  }

  fetch_request request{*address, parsedef_charset_, temp_fname_, validators_, parsedef_user_agent_};
  fetch_result got = fetcher_->fetch(request, [&](const fetch_progress& p) {
    switch (p.phase) {
      case fetch_phase::request:
        return report(pst_sending_request, display.c_str());
      case fetch_phase::response_headers:
        return report(pst_waiting_reply, display.c_str());
      case fetch_phase::response_body: {
        retrieval_progress& rp = progress_;
        std::lock_guard lock(rp.lock);  // held through the report, released on every path
        rp.site_name = site_name_of(display);
        rp.proc = static_cast<int>(p.phase);
        rp.bytes_read = p.bytes_read;
        rp.bytes_total = p.bytes_total;
        return report(pst_retrieving, nullptr);
      }
    }
    return 0;
  });
  if (got.failure.is(status_code::stopped)) {
    failure_ = status::stopped();
    return -1;  // nothing more is reported
  }
  if (!got.done()) {
    switch (got.store) {
      case fetch_result::store_failure::open:
        trace("Unable to open file %s", temp_fname_.c_str());
        break;
      case fetch_result::store_failure::write:
        trace("Unable to write body to file %s", temp_fname_.c_str());
        break;
      case fetch_result::store_failure::none:
        trace("HTTP error");
        break;
    }
    failure_ = got.failure;
    report(pst_parsing_done, nullptr);
    return -1;
  }

  set_http_status(got.status_code);
  trace("Status code is %d", http_status_);
  reply_validators_ = got.validators;
  trace("Calling pst_done callback");
  if (report(pst_done, nullptr) == -1) {
    trace("Done callback returned -1");
    failure_ = status::stopped();
    return -1;
  }
  trace("Body length is %lld", got.body_bytes);

  if (http_status_ == 304 && sendable_validators(validators_).empty()) {
    // "Not modified" since nothing: a server that says so to a plain request keeps the site
    // empty for as long as its validators would be kept. The run fails, and keeps none.
    trace("fetch_page: a 304 reply to a request that was not conditional");
    failure_ = {status_code::unavailable, "HTTP 304 Not Modified, though the page was not asked for conditionally"};
    reply_validators_ = {};
    report(pst_parsing_done, nullptr);
    return -1;
  }
  if (http_status_ == 304) {
    // Unchanged since the validators were given: the headlines found then still stand. A 304
    // may leave out what it did not change.
    trace("Page not modified");
    not_modified_ = true;
    if (!reply_validators_.etag) reply_validators_.etag = validators_.etag;
    if (!reply_validators_.last_modified) reply_validators_.last_modified = validators_.last_modified;
    report(pst_parsing_done, nullptr);
    return 0;
  }
  if (http_status_ >= 300 && http_status_ < 400 && got.location && !got.location->empty()) {
    // The reply names the new address itself: follow it like a page that moved.
    set_redirect(join_url(*address, *got.location).value_or(*got.location));
    return 0;
  }
  if (http_status_ >= 400) return error_reply(got);
  if (got.body_bytes == 0) {
    report(pst_parsing_done, nullptr);
    return 0;  // nothing to parse
  }
  if (report(pst_parsing, nullptr) == -1) {
    failure_ = status::stopped();
    return -1;
  }
  set_http_charset(got.charset);
  int result = parse_file(temp_fname_);
  if (!redirect_url_ && report(pst_parsing_done, nullptr) == -1) return -1;
  return result;
}

}  // namespace vantrel
