#pragma once
// One site of a console queue run in flight: its own fetcher, job control and run recorder,
// and a view that prints into a buffer of its own, so that several sites run side by side and
// their blocks still go out whole and in queue order. Every member is called on the console's
// one thread, which pumps the dispatcher all the site jobs share.
#include <memory>
#include <sstream>
#include <string>

#include "cli/cli_options.h"
#include "cli/console_view.h"
#include "common/headline_store.h"
#include "engine/curl_fetcher.h"
#include "engine/job_control.h"
#include "engine/result_store.h"
#include "engine/run_recorder.h"
#include "engine/ui_dispatcher.h"

namespace vantrel::cli {

class site_job {
 public:
  // one: the options of this site (its parsedef set); store may be null; feed: the feed's head
  // when the headlines make one.
  site_job(const options& one, std::ostream& err, ui_dispatcher& ui, headline_store* store, std::string key,
           std::string name, const site_label& label, const feed_head* feed);
  site_job(const site_job&) = delete;
  site_job& operator=(const site_job&) = delete;

  // Starts the site's job; false (said on err) when it could not start.
  bool start();
  bool finished() const { return view_.finished(); }
  void stop() { jobs_.stop(); }
  // Once finished: waits for the worker, keeps the run in the store and lets the held-back
  // output go into the buffer. The exit status of the site (as for a single site) and its run.
  int finish(site_run& run);

  // What the site printed, and its feed (once, after finish).
  std::string output() const { return out_.str(); }
  std::string feed_text() { return view_.feed_text(); }

 private:
  options one_;
  std::ostream& err_;
  std::ostringstream out_;
  console view_;
  curl_fetcher fetcher_;
  result_store results_;
  job_control jobs_;
  run_recorder recorder_;
  bool held_ = false;
};

// After a site's job ended: the run kept in the store (when there is one), the held-back
// output released, the failures said. rc: how the job ended (exit_ok, exit_failed or
// exit_stopped); the site's exit status.
int keep_site_run(const options& one, console& view, run_recorder& recorder, std::ostream& err, bool held, int rc,
                  site_run* ran);

}  // namespace vantrel::cli
