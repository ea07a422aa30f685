#pragma once
// Who listens to a job, split by what they show or decide. The main window implements them
// (status bar, headline list, Parsed Source window), the queue runner listens for the end of
// a job, and the console tool implements what it prints. Every member is called on the
// user-interface thread, by the job control, from the tasks the worker posted.
#include <memory>
#include <string>
#include <vector>

#include "common/page_validators.h"
#include "common/status.h"
#include "engine/headline_item.h"
#include "engine/source_line.h"

namespace vantrel {

class result_store;
struct rule_report;

// The status bar: pane 0's text and the progress indicator.
class status_listener {
 public:
  virtual ~status_listener() = default;
  virtual void set_status_text(const std::string& text) = 0;
  virtual void set_progress(int percent) = 0;  // creates the indicator on first use
  virtual void remove_progress() = 0;
};

// The headline list.
class results_listener {
 public:
  virtual ~results_listener() = default;
  // A running job's items were appended to the store, from index first on. They are shown at
  // the next rebuild; the console tool prints them now.
  virtual void items_added(result_store& store, size_t first) { (void)store, (void)first; }
  // The job ended: show every item of the store, keeping the selection and scroll position.
  virtual void rebuild_list() = 0;
};

// The Parsed Source window. Without one, page events are not even collected.
class source_listener {
 public:
  virtual ~source_listener() = default;
  // A new page is being fetched: its events replace the old page's.
  virtual void clear_source() = 0;
  // Frozen while a job runs (lines are added without painting); thawed at the end, showing
  // the list from its first line. Idempotent: a stopped or failed job may freeze twice.
  virtual void set_source_frozen(bool frozen) = 0;
  // The next events of the page, in document order. The lines may be moved from.
  virtual void add_source_lines(std::vector<source_line>& lines) = 0;
};

// How a job ended, once its worker has let go of the job record.
struct job_outcome {
  int ret = 0;                                // 0 or -1
  status failure;                             // why it failed (stopped: the Stop command ended it); ok when it did not
  std::shared_ptr<const rule_report> report;  // how the rules fitted the page; none without a loaded ParseDef
  int http_status = 0;                        // of the last reply; 0 when there was none
  bool not_modified = false;                  // the server said the page had not changed: nothing was parsed
  page_validators validators;                 // the last reply's, for the next conditional fetch
  std::string site_name;                      // the ParseDef's name; "" without one
  bool stopped() const { return failure.is(status_code::stopped); }
};

// The queue runner, and whoever waits for jobs to end.
class job_end_listener {
 public:
  virtual ~job_end_listener() = default;
  // The job's end report was handled: the list was rebuilt and the job control is idle.
  // Not called for a stopped job.
  virtual void job_ended() = 0;
  // The worker has let go of the job record (also after a Stop); the next job may start.
  virtual void worker_finished(const job_outcome& outcome) { (void)outcome; }
};

// The site's logo pictures. Called on the worker thread: an implementation may read and
// decode an image there, but must not create a toolkit bitmap (that is the user-interface
// thread's alone); the pictures it returns cross to that thread inside the items, and the
// job's own logo is destroyed on the worker.
class picture_source {
 public:
  virtual ~picture_source() = default;
  // The logo file named by the ParseDef at parsedef_path; null when it cannot be read.
  virtual std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& picture_path) = 0;
  // A picture equal to original, owned by one item; null when none can be made.
  virtual std::unique_ptr<picture> copy_picture(const picture& original) = 0;
};

}  // namespace vantrel
