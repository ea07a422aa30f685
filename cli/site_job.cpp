#include "cli/site_job.h"

#include <ctime>

#include "cli/exit_status.h"
#include "common/queue_policy.h"

namespace vantrel::cli {

int keep_site_run(const options& one, console& view, run_recorder& recorder, std::ostream& err, bool held, int rc,
                  site_run* ran) {
  if (rc == exit_stopped) return rc;
  const auto [run, kept, headlines] = recorder.finish(view.outcome(), std::time(nullptr), !one.due);
  if (held) view.release(headlines);
  if (!kept.ok()) {
    err << "tidewatch-cli: " << recorder.site() << ": the headline store could not keep the run: " << kept.message()
        << "\n";
    // What was printed as new will be printed as new again: the run has not done what was asked.
    if ((one.only_new || one.due) && rc == exit_ok) rc = exit_failed;
  }
  if (run.outcome == run_outcome::unchanged && one.progress) err << view.progress_prefix() << run_text(run) << "\n";
  if (ran != nullptr) *ran = run;
  return rc;
}

namespace {

// What is new, and when a feed's entries were first seen, is known once the store has kept the
// run: such output waits for it.
bool holds_back(const options& one, const headline_store* store) {
  const bool feed = one.format == output_format::atom || one.format == output_format::rss;
  return store != nullptr && (one.only_new || one.format == output_format::json || feed);
}

}  // namespace

site_job::site_job(const options& one, std::ostream& err, ui_dispatcher& ui, headline_store* store, std::string key,
                   std::string name, const site_label& label, const feed_head* feed)
    : one_(one),
      err_(err),
      view_(out_, err, one, false, feed),
      jobs_(ui, results_, &fetcher_, one.app),
      recorder_(store, std::move(key), std::move(name), rules_stamp(*one.parsedef)) {
  fetcher_.set_user_agent(one.user_agent);
  view_.set_site(label);
  held_ = holds_back(one, store);
  view_.set_held_back(held_);
  view_.set_judge([this](const headline_item& item, bool asked) {
    if (asked) return recorder_.add(item);
    recorder_.keep(item);
    return true;
  });
  jobs_.set_status_listener(&view_);
  jobs_.set_results_listener(&view_);
  jobs_.set_end_listener(&view_);
  jobs_.set_picture_source(&view_);
  jobs_.set_report_pause(std::chrono::milliseconds(0));
  view_.set_disposer([this](std::vector<std::unique_ptr<headline_item>> items) { jobs_.dispose(std::move(items)); });
}

bool site_job::start() {
  // A page that has not changed has nothing new; runs that print every headline read it whole.
  const bool conditional = one_.due || one_.only_new;
  if (jobs_.process_parsedef(*one_.parsedef, one_.source, conditional ? recorder_.validators() : page_validators{}))
    return true;
  err_ << "tidewatch-cli: " << *one_.parsedef << ": the job could not be started\n";
  return false;
}

int site_job::finish(site_run& run) {
  jobs_.wait();
  int rc = exit_ok;
  if (view_.outcome().stopped()) {
    rc = exit_stopped;
  } else if (view_.outcome().ret != 0) {
    err_ << "tidewatch-cli: " << view_.outcome().failure.message() << "\n";
    rc = exit_failed;
  }
  return keep_site_run(one_, view_, recorder_, err_, held_, rc, &run);
}

}  // namespace vantrel::cli
