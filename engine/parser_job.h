#pragma once
// The job record: what the owner (the main window, the queue runner, the console tool) fills
// before a parse job starts, and the callbacks through which everything the job produces
// leaves it. All callbacks run on the worker thread and get the owner first.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "common/sync_event.h"
#include "engine/headline_item.h"

namespace vantrel {

class page_fetcher;

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

// Ownership of the item passes to the owner.
using add_item_fn = void (*)(void* owner, std::unique_ptr<headline_item> item);
// The site's logo; null when it cannot be loaded.
using load_picture_fn = std::unique_ptr<picture> (*)(void* owner, const std::string& parsedef_path,
                                                     const std::string& picture_path);
using copy_picture_fn = std::unique_ptr<picture> (*)(void* owner, const picture& original);
using free_picture_fn = void (*)(void* owner, std::unique_ptr<picture> pic);
// Raw page events, for the Parsed Source window: every element start, each attribute, every
// element end and every text with a visible character (white space collapsed).
using tag_start_fn = void (*)(void* owner, const char* element);
using tag_attribute_fn = void (*)(void* owner, const char* element, const char* name,
                                  const char* value);
using tag_end_fn = void (*)(void* owner, const char* element);
using tag_text_fn = void (*)(void* owner, const char* text);
// A progress report; text is the site's display name for codes 0 to 2, else null.
// Returns 0 to go on, -1 when the job was cancelled.
using status_fn = int (*)(void* owner, int code, const char* text);

// The owner and its callbacks. Any callback may be null: its events are then dropped.
struct parser_callbacks {
  void* owner = nullptr;
  add_item_fn add_item = nullptr;
  load_picture_fn load_picture = nullptr;
  copy_picture_fn copy_picture = nullptr;
  free_picture_fn free_picture = nullptr;
  tag_start_fn tag_start = nullptr;
  tag_attribute_fn tag_attribute = nullptr;
  tag_end_fn tag_end = nullptr;
  tag_text_fn tag_text = nullptr;
  status_fn status = nullptr;
};

struct parser_job : parser_callbacks {
  // The three texts belong to the worker from the start; it clears them when it ends.
  std::optional<std::string> url;             // address to fetch; filled from the ParseDef
  std::optional<std::string> parsedef_fname;  // ".xml" or ".nov"
  std::optional<std::string> source_fname;    // local document to parse instead of fetching
  int ret = 0;                                // 0 or -1; the owner sets 0
  sync_event* busy_event = nullptr;           // set by the owner, reset by the worker at its end
  page_fetcher* fetcher = nullptr;            // how pages are fetched; none: fetching fails
  std::string failure;                        // why the job failed, for messages; "" when it did not
  // Pause before the end report of a local document, so a window shows the page's events
  // before the end of the job.
  std::chrono::milliseconds report_pause{500};
};

}  // namespace vantrel
