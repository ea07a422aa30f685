#pragma once
// The extraction engine: one object per parse job, living on the worker thread. It loads the
// ParseDef (it is a parsedef_file), parses the page, runs the rule walk over the page's events,
// follows the redirects a page asks for and hands every complete headline to the job's
// callbacks. It never touches a window.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/parsedef_file.h"
#include "common/status.h"
#include "engine/headline_item.h"
#include "engine/page_fetcher.h"
#include "engine/parser_job.h"
#include "engine/rule_check.h"
#include "engine/rule_walk.h"

namespace vantrel {

class parser : public parsedef_file, private walk_observer {
 public:
  // callbacks may be null (everything is dropped); app names the program whose private folder
  // holds the unpacked package and the fetched page (paths.h); fetcher may be null (fetching
  // then fails); progress is the job's record of the page being received (none: the parser
  // keeps its own). All three must outlive the parser.
  parser(job_callbacks* callbacks, std::string app, page_fetcher* fetcher = nullptr,
         retrieval_progress* progress = nullptr);
  ~parser() override;

  int load(const std::string& path) override { return load_parsedef(path); }
  // Loads the ParseDef, its logo (through load_picture), the base address and the encoding.
  int load_parsedef(const std::string& path);

  // Parses a local document. 0, or -1 when it cannot be read or is XML that is not
  // well-formed (failure() says why).
  int parse_file(const std::string& path);
  // Parses a document held in memory; a null document is -1.
  int parse_buffer(const char* document, size_t length);

  // Fetches the address and every page it redirects to, parsing each. 0 or -1.
  int process_url(const std::optional<std::string>& address);

  // The page asked to be left for address: fetched after the current page, and the base of
  // links from now on.
  void set_redirect(std::string_view address);

  // A job follows at most this many redirects; the next one ends it like a failed fetch.
  static constexpr int max_redirects = 10;

  // The charset of the fetched page's Content-Type, tried when the ParseDef fixes none.
  void set_http_charset(std::optional<std::string> charset) { http_charset_ = std::move(charset); }
  // The status of the reply whose body is parsed next ("moved" replies redirect through an
  // anchor of their body).
  void set_http_status(int status) { http_status_ = status; }

  // What an earlier reply said about the site's page: sent with every fetch of the job, so an
  // unchanged page comes back without a body.
  void set_validators(page_validators known) { validators_ = std::move(known); }
  // The last reply's own validators (kept from the request when a 304 repeats none).
  const page_validators& reply_validators() const { return reply_validators_; }
  // The server said the page has not changed since: nothing was parsed.
  bool not_modified() const { return not_modified_; }
  // The status of the last reply; 0 before any.
  int http_status() const { return http_status_; }

  // Who also receives every page's raw events, before the rules see them (the suggester keeps
  // them to run rules over again); null for none. It must outlive the parses.
  void set_page_tap(page_event_sink* tap) { tap_ = tap; }

  // Whether the last page parsed was read as XML (it declares itself so), else as HTML.
  bool page_is_xml() const { return is_xml_; }

  // What went wrong in the last failed parse or fetch (stopped when the job was stopped).
  const status& failure() const { return failure_; }
  // How the rules fitted the pages parsed so far; starts over when a ParseDef is loaded.
  const rule_report& report() const { return report_; }

 private:
  // The engine's tests read the walk's state, the redirect and the temporary page through it.
  friend struct parser_test_access;

  // walk_observer: page events go to the callbacks; attributes also to the page directives.
  void element_started(const char* name) override;
  void element_ended(const char* name) override;
  bool attribute_seen(const char* element, const char* name, const char* value) override;
  void text_seen(const std::string& text) override;
  void item_completed(std::unique_ptr<headline_item> item) override;
  void rule_matched(int section, int rule, bool reported) override;
  void item_faulted(item_fault fault) override;

  enum class element_class { other, meta, anchor };
  bool apply_page_directives(std::string_view name, const char* value);
  int fetch_page(std::optional<std::string> address);
  // A 4xx or 5xx reply: its body walked for its page events alone, the job failed. -1.
  int error_reply(const fetch_result& got);
  int report(int code, const char* text);

  job_callbacks& cb_;
  page_fetcher* fetcher_;
  retrieval_progress own_progress_;
  retrieval_progress& progress_;
  const bool page_events_;
  rule_walk walk_;
  page_event_sink* tap_ = nullptr;

  bool is_xml_ = false;
  int parsedef_encoding_ = 3;  // 3: the ParseDef fixes no encoding
  std::optional<std::string> parsedef_charset_, http_charset_;
  std::optional<std::string> parsedef_user_agent_;  // the site's own User-Agent
  std::optional<std::string> redirect_url_;
  std::unique_ptr<picture> logo_;
  int http_status_ = 0;
  page_validators validators_, reply_validators_;
  bool not_modified_ = false;
  std::string temp_fname_;  // fetched page on disk
  status failure_;
  rule_report report_;

  // The element whose attributes are being examined, for the page directives.
  element_class element_ = element_class::other;
  bool refresh_pending_ = false;  // http-equiv="refresh" seen; its content must follow
};

}  // namespace vantrel
