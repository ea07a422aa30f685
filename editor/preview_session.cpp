#include "editor/preview_session.h"

#include <filesystem>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "engine/parsedef_rules.h"

namespace vantrel {

preview_session::preview_session(ui_dispatcher& ui, page_fetcher* fetcher, preview_view& view)
    : view_(view), jobs_(ui, results_, fetcher, vantedit_folder) {
  jobs_.set_status_listener(this);
  jobs_.set_results_listener(this);
  jobs_.set_source_listener(this);
  jobs_.set_end_listener(this);
  // Nothing waits for the status bar here: the worker need not pause after its reports.
  jobs_.set_report_pause(std::chrono::milliseconds(0));
}

preview_session::~preview_session() = default;

preview_session::document_file::~document_file() {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove(path, ec);
}

void preview_session::refuse(const std::string& why) {
  view_.clear_preview();
  view_.show_status(why);
  view_.show_check(why);
  view_.set_running(false);
}

bool preview_session::run(const std::string& document, const std::optional<std::string>& saved_page) {
  if (running()) return false;  // a Stop still winding down: the next Run will do
  const auto folder = private_folder(vantedit_folder);
  if (!folder) {
    refuse("The preview has no folder to work in: " + folder.message());
    return false;
  }
  // The job reads a ParseDef from a file: the document goes to one of the preview's own, never
  // over the file being edited.
  // VantEdits running side by side share the folder: each previews into a file of its own.
  document_.path = *folder + "/preview-" + std::to_string(platform::process_id()) + ".xml";
  if (status written = platform::replace_file(document_.path, document); !written.ok()) {
    refuse("The document could not be written for the preview: " + written.message());
    return false;
  }
  parsedef_file file(vantedit_folder);
  if (file.load(document_.path) != 0) {
    refuse("The document is not a ParseDef: " + file.last_error());
    return false;
  }
  if (!saved_page && !file.get_url()) {
    refuse("The document names no url: choose a saved page to run it over.");
    return false;
  }
  several_sections_ = read_parsedef_rules(file.root()).sections.size() > 1;
  document_bytes_ = document;
  events_shown_ = 0;
  headlines_ = 0;
  view_.clear_preview();
  if (!jobs_.process_parsedef(document_.path, saved_page)) {
    refuse("The preview could not be started.");
    return false;
  }
  view_.show_status(saved_page ? "Parsing " + *saved_page + "..." : "Fetching " + *file.get_url() + "...");
  view_.set_running(true);
  return true;
}

void preview_session::stop() { jobs_.stop(); }

void preview_session::set_status_text(const std::string& text) {
  if (!text.empty()) view_.show_status(text);
}

void preview_session::items_added(result_store& store, size_t first) {
  std::vector<headline> rows;
  for (size_t i = first; i < store.size(); ++i) rows.push_back(store[i]);
  headlines_ += rows.size();
  store.clear();  // the view keeps its own rows
  view_.add_headlines(std::move(rows));
}

void preview_session::add_source_lines(std::vector<source_line>& lines) {
  if (events_shown_ >= max_events) return;
  if (events_shown_ + lines.size() > max_events) {
    lines.resize(max_events - events_shown_);
    lines.push_back({source_kind::text, 0, "(the page's further events are not shown)", {}});
  }
  events_shown_ += lines.size();
  view_.add_events(lines, several_sections_);
}

void preview_session::worker_finished(const job_outcome& outcome) {
  std::string text;
  if (outcome.stopped()) text = "Stopped: the check covers the page only as far as it was read.\n\n";
  if (outcome.ret != 0) text += "The run failed: " + outcome.failure.message() + "\n\n";
  // A run that had no page has nothing to check: the failure says it all.
  if (outcome.report && (outcome.ret == 0 || outcome.report->pages > 0)) text += format_check_text(*outcome.report);
  view_.show_check(text);
  if (outcome.report && outcome.ret == 0 && !outcome.stopped()) {
    view_.show_rule_faults(unmatched_rules(document_bytes_, *outcome.report));
  }
  view_.show_status(outcome.stopped()  ? "Stopped."
                    : outcome.ret != 0 ? "The run failed."
                                       : std::to_string(headlines_) + (headlines_ == 1 ? " headline." : " headlines."));
  view_.set_running(false);
}

}  // namespace vantrel
