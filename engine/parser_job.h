#pragma once
// The job record: what the job control fills before a parse job starts, and the callbacks
// through which everything the job produces leaves it, on the worker thread.
#include <memory>
#include <optional>
#include <string>

#include "common/page_validators.h"
#include "common/status.h"
#include "common/sync_event.h"
#include "engine/headline_item.h"
#include "engine/parsedef_rules.h"
#include "engine/retrieval_progress.h"

namespace vantrel {

class page_fetcher;
struct rule_report;

// Status codes of a job's progress reports.
enum parser_status_code : int {
  pst_finding_site = 0,
  pst_sending_request = 1,
  pst_waiting_reply = 2,
  pst_retrieving = 3,
  pst_done = 4,
  pst_parsing = 5,
  pst_parsing_done = 6,  // exactly once for every job that is not cancelled
};

// What a parse job produces. Every member is called on the worker thread; the defaults drop
// what they are given. The job control implements it for the windows and the console tool,
// which never see these calls themselves; tests implement it to record a job.
class job_callbacks {
 public:
  virtual ~job_callbacks() = default;
  // A complete headline; ownership passes to the callee.
  virtual void add_item(std::unique_ptr<headline_item> item) { (void)item; }
  // The site's logo; null when it cannot be loaded.
  virtual std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& picture_path) {
    (void)parsedef_path, (void)picture_path;
    return nullptr;
  }
  // A copy of the logo for one item; null when none can be made.
  virtual std::unique_ptr<picture> copy_picture(const picture& original) {
    (void)original;
    return nullptr;
  }
  // The job's own logo, at its end.
  virtual void free_picture(std::unique_ptr<picture> pic) { (void)pic; }
  // Whether the four page-event calls below are wanted (collecting them costs time).
  virtual bool wants_page_events() const { return false; }
  // Raw page events, for the Parsed Source window: every element start, each attribute, every
  // element end and every text with a visible character (white space collapsed).
  virtual void tag_start(const char* element) { (void)element; }
  virtual void tag_attribute(const char* element, const char* name, const char* value) {
    (void)element, (void)name, (void)value;
  }
  virtual void tag_end(const char* element) { (void)element; }
  virtual void tag_text(const char* text) { (void)text; }
  // A rule of the given section fired at the event reported last.
  virtual void rule_fired(int section, rule_kind kind) { (void)section, (void)kind; }
  // A progress report; text is the site's display name for codes 0 to 2, else null.
  // Returns 0 to go on, -1 when the job was cancelled.
  virtual int status(int code, const char* text) {
    (void)code, (void)text;
    return 0;
  }
};

// A job's record. What a job owns lives here, so jobs in one process never meet: its stop
// request, the progress of the page it receives (and, through its parser, the folder its
// package is unpacked into).
struct parser_job {
  job_callbacks* callbacks = nullptr;  // none: everything the job produces is dropped
  // The three texts belong to the worker from the start; it clears them when it ends.
  std::optional<std::string> url;             // address to fetch; filled from the ParseDef
  std::optional<std::string> parsedef_fname;  // ".xml" or ".nov"
  std::optional<std::string> source_fname;    // local document to parse instead of fetching
  int ret = 0;                                // 0 or -1; the owner sets 0
  sync_event* busy_event = nullptr;           // set by the owner, reset by the worker at its end
  page_fetcher* fetcher = nullptr;            // how pages are fetched; none: fetching fails
  std::string app;                            // whose private folder the job unpacks and fetches into
  status failure;                             // why the job failed, for messages; ok when it did not
  std::shared_ptr<const rule_report> report;  // how the rules fitted the page; none when no ParseDef loaded
  page_validators validators;                 // the owner's: what an earlier reply said about the page
  // Filled by the worker: the last reply's status, its validators, and whether it said the
  // page had not changed (nothing was parsed then).
  int http_status = 0;
  std::string site_name;  // the ParseDef's name, when one was loaded
  page_validators reply_validators;
  bool not_modified = false;
  // Set by the Stop command; the worker's next report consumes it and ends the job. A new
  // one for every job, so a Stop meant for one job never reaches the next.
  std::shared_ptr<sync_event> stop_event;
  retrieval_progress progress;
};

}  // namespace vantrel
