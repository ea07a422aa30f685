#pragma once
// VantEdit's Preview without a window: runs the document being edited (as it stands, saved or
// not) over its site's page or a page saved on disk, and hands the headlines, the page's parse
// events with the rules that fired at each, and the check of the rules to a preview_view. The
// job runs on the engine's worker; everything reaches the view on the user-interface thread.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/document_faults.h"
#include "engine/job_control.h"
#include "engine/rule_check.h"

namespace vantrel {

// What the Preview window shows. Called on the user-interface thread only.
class preview_view {
 public:
  virtual ~preview_view() = default;
  // A run starts (or a new page of it): everything shown before goes.
  virtual void clear_preview() = 0;
  virtual void show_status(const std::string& text) = 0;
  virtual void add_headlines(std::vector<headline> headlines) = 0;
  // The next parse events; several_sections: the ParseDef has more than one section, so a
  // marked line also says which section's rule fired.
  virtual void add_events(std::vector<source_line>& lines, bool several_sections) = 0;
  // The check of the rules, or why there is none; running goes false.
  virtual void show_check(const std::string& text) = 0;
  // After a run that read its page to the end: the document's rules that never matched, by
  // line (none: every rule matched).
  virtual void show_rule_faults(std::vector<document_fault> faults) { (void)faults; }
  virtual void set_running(bool running) = 0;
};

class preview_session : private status_listener,
                        private results_listener,
                        private source_listener,
                        private job_end_listener {
 public:
  // A preview shows at most this many parse events; the last line says the rest was left out.
  static constexpr size_t max_events = 500000;

  // ui and fetcher (may be null: only saved pages then) must outlive the session.
  preview_session(ui_dispatcher& ui, page_fetcher* fetcher, preview_view& view);
  ~preview_session() override;

  // Runs document (the ParseDef's bytes as they would be saved) over saved_page, or over the
  // page at the document's url when there is none. False, with the reason shown in the view,
  // when the document is not a ParseDef (with the line where it went wrong), names no url to
  // fetch, or a run is still ending.
  bool run(const std::string& document, const std::optional<std::string>& saved_page);
  // Stops the run; what was found so far stays shown.
  void stop();
  // A run that cannot start, said in the view as a refused run is (its status and check).
  void refuse(const std::string& why);
  bool running() const { return jobs_.job_running() || jobs_.busy(); }

 private:
  // status_listener
  void set_status_text(const std::string& text) override;
  void set_progress(int) override {}
  void remove_progress() override {}
  // results_listener
  void items_added(result_store& store, size_t first) override;
  void rebuild_list() override {}
  // source_listener
  void clear_source() override {}  // a page that redirects: its events follow the first page's
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>& lines) override;
  // job_end_listener
  void job_ended() override {}
  void worker_finished(const job_outcome& outcome) override;

  // The document as the job reads it; removed after the job control (declared after it) has
  // ended its worker.
  struct document_file {
    std::string path;
    ~document_file();
  };

  preview_view& view_;
  result_store results_;
  document_file document_;
  job_control jobs_;
  std::string document_bytes_;  // what the run runs, for the lines of its rules
  bool several_sections_ = false;
  size_t events_shown_ = 0;
  unsigned long headlines_ = 0;
};

}  // namespace vantrel
