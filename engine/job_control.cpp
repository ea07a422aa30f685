#include "engine/job_control.h"

#include <cstdio>

#include "common/trace_log.h"
#include "engine/mtparser.h"
#include "engine/page_fetcher.h"

namespace vantrel {

namespace {

std::string format(const char* f, const std::string& site) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, f, site.c_str());
  return buffer;
}

}  // namespace

std::string status_text(int code, const std::string& site, long long bytes_read, long long bytes_total) {
  char buffer[512];
  switch (code) {
    case pst_finding_site:
      return format("Finding site \"%s\"", site);
    case pst_sending_request:
      return format("Sending request for \"%s\"", site);
    case pst_waiting_reply:
      return format("\"%s\" found, waiting for reply...", site);
    case pst_retrieving:
      if (bytes_total < 0)
        std::snprintf(buffer, sizeof buffer, "Retrieving \"%s\" (%lld bytes)...", site.c_str(), bytes_read);
      else
        std::snprintf(buffer, sizeof buffer, "Retrieving \"%s\" (%lld of %lld bytes)...", site.c_str(), bytes_read,
                      bytes_total);
      return buffer;
    default:
      return {};
  }
}

job_control::job_control(ui_dispatcher& ui, result_store& results, page_fetcher* fetcher, std::string app)
    // The channel posts through the dispatcher itself (its end reports retry a refused post),
    // checking the worker's token: what arrives after the job control is gone is dropped.
    : results_(results), fetcher_(fetcher), app_(std::move(app)), worker_(ui), channel_(ui, *this, worker_.alive()) {}

job_control::~job_control() {
  channel_.shut_down();
  if (job_running_) request_stop();
  wait();
}

void job_control::wait() { worker_.wait_idle(); }

void job_control::dispose(std::vector<std::unique_ptr<headline_item>> items) {
  if (busy_event_.is_set()) channel_.give_back(std::move(items));
}

void job_control::fill(parser_job& job) {
  job.callbacks = &channel_;
  job.url.reset();
  job.parsedef_fname.reset();
  job.source_fname.reset();
  job.ret = 0;
  job.failure = {};
  job.validators = {};
  job.busy_event = &busy_event_;
  job.fetcher = fetcher_;
  job.app = app_;
}

bool job_control::ready_for(const char* who) {
  if (busy_event_.is_set()) {
    trace("%s: the previous job still holds the job record", who);
    return false;
  }
  // The previous job is past its record: only its parser's teardown and the channel's last
  // batch may remain, and the channel is prepared for the next job only once they are done.
  worker_.wait_idle();
  return true;
}

bool job_control::process_parsedef(const std::string& parsedef_fname, const std::optional<std::string>& source_fname,
                                   const page_validators& validators) {
  if (!ready_for("process_parsedef")) return false;
  fill(parsedef_job_);
  parsedef_job_.parsedef_fname = parsedef_fname;
  parsedef_job_.source_fname = source_fname;
  parsedef_job_.validators = validators;
  return start(parsedef_job_, "process_parsedef");
}

bool job_control::process_url_job(const std::string& url) {
  if (!ready_for("process_url_job")) return false;
  fill(url_job_);
  url_job_.url = url;
  return start(url_job_, "process_url_job");
}

bool job_control::start(parser_job& job, const char* who) {
  if (source_) source_->set_source_frozen(true);
  job.stop_event = std::make_shared<sync_event>(sync_event::reset_mode::automatic);
  stop_event_ = job.stop_event;
  last_job_ = &job;
  channel_.prepare(job, pictures_, source_ != nullptr, report_pause_);
  busy_event_.set();
  const bool started = worker_.run([this, &job](const cancel_token&) {
    // The job's own stop request ends it, not the token: a Stop is consumed by a report.
    mtparser_func(job);
    channel_.finish(job);
  });
  if (!started) {
    busy_event_.reset();  // no worker will ever reset it
    trace("%s: unable to start the worker", who);
    return false;
  }
  job_running_ = true;
  return true;
}

void job_control::receive_items(std::vector<std::unique_ptr<headline_item>> items) {
  const size_t first = results_.size();
  results_.append(std::move(items));
  if (results_listener_) results_listener_->items_added(results_, first);
}

void job_control::receive_source(std::vector<source_line> lines) {
  if (source_) source_->add_source_lines(lines);
}

void job_control::receive_worker_finished(const job_outcome& outcome) {
  if (end_) end_->worker_finished(outcome);
}

void job_control::on_status(int code, const std::optional<std::string>& text) {
  // A report the worker posted before a Stop would bring back a text the Stop cleared.
  if (!job_running_ && code != pst_parsing_done) return;
  const std::string site = text.value_or("");
  auto show = [&](const std::string& t) {
    if (status_) status_->set_status_text(t);
  };
  switch (code) {
    case pst_finding_site:
      if (source_) source_->clear_source();
      show(status_text(code, site, 0, -1));
      break;
    case pst_sending_request:
    case pst_waiting_reply:
      show(status_text(code, site, 0, -1));
      break;
    case pst_retrieving: {
      retrieval_progress& rp = last_job_->progress;
      std::lock_guard lock(rp.lock);
      show(status_text(code, rp.site_name, rp.bytes_read, rp.bytes_total));
      if (status_ && rp.bytes_total > 0) status_->set_progress(static_cast<int>(rp.bytes_read * 100 / rp.bytes_total));
      break;
    }
    case pst_done:
      show("");
      if (status_) status_->remove_progress();
      trace("OnStatus: pst_done received");
      break;
    case pst_parsing_done:
      if (status_) status_->remove_progress();
      trace("OnStatus: pst_parsing_done received");
      if (results_listener_) results_listener_->rebuild_list();
      if (source_) source_->set_source_frozen(false);
      job_running_ = false;
      if (stop_event_ && stop_event_->is_set()) {
        // A stop came after the worker's last look: no worker will consume it.
        trace("OnStatus: stop_event set and closing it!");
        stop_pending_ = false;
      }
      stop_event_.reset();
      show("");
      if (end_) end_->job_ended();
      break;
    default:
      break;
  }
}

void job_control::request_stop() {
  if (stop_event_) stop_event_->set();
  job_running_ = false;
  stop_pending_ = true;
  if (fetcher_) fetcher_->wake();
}

void job_control::stop() {
  if (status_) {
    status_->remove_progress();
    status_->set_status_text("");
  }
  if (job_running_) request_stop();
}

}  // namespace vantrel
