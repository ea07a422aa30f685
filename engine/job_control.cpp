#include "engine/job_control.h"

#include <cstdio>

#include "common/trace_log.h"
#include "engine/mtparser.h"
#include "engine/page_fetcher.h"
#include "engine/retrieval_progress.h"

namespace vantrel {

namespace {

job_control* control_of(void* owner) { return static_cast<job_control*>(owner); }

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

job_control::job_control(job_view& view, const parser_callbacks& callbacks, page_fetcher* fetcher)
    : view_(view), callbacks_(callbacks), fetcher_(fetcher) {}

job_control::~job_control() {
  if (job_running_) stop();
  wait();
}

void job_control::wait() {
  if (worker_.joinable()) worker_.join();
}

// The job record's owner is this object; the trampolines hand each callback on to the
// caller's own owner.
void job_control::fill(parser_job& job) {
  job.owner = this;
  job.add_item = [](void* o, std::unique_ptr<headline_item> item) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.add_item) c.add_item(c.owner, std::move(item));
  };
  job.load_picture = [](void* o, const std::string& parsedef, const std::string& path) -> std::unique_ptr<picture> {
    const parser_callbacks& c = control_of(o)->callbacks_;
    return c.load_picture ? c.load_picture(c.owner, parsedef, path) : nullptr;
  };
  job.copy_picture = [](void* o, const picture& p) -> std::unique_ptr<picture> {
    const parser_callbacks& c = control_of(o)->callbacks_;
    return c.copy_picture ? c.copy_picture(c.owner, p) : nullptr;
  };
  job.free_picture = [](void* o, std::unique_ptr<picture> p) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.free_picture) c.free_picture(c.owner, std::move(p));
  };
  job.tag_start = [](void* o, const char* e) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.tag_start) c.tag_start(c.owner, e);
  };
  job.tag_attribute = [](void* o, const char* e, const char* n, const char* v) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.tag_attribute) c.tag_attribute(c.owner, e, n, v);
  };
  job.tag_end = [](void* o, const char* e) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.tag_end) c.tag_end(c.owner, e);
  };
  job.tag_text = [](void* o, const char* t) {
    const parser_callbacks& c = control_of(o)->callbacks_;
    if (c.tag_text) c.tag_text(c.owner, t);
  };
  job.status = parser_status;
  job.url.reset();
  job.parsedef_fname.reset();
  job.source_fname.reset();
  job.ret = 0;
  job.failure.clear();
  job.busy_event = &busy_event_;
  job.fetcher = fetcher_;
  job.report_pause = std::chrono::milliseconds(report_pause_ms_.load());
}

bool job_control::ready_for(const char* who) {
  if (busy_event_.is_set()) {
    trace("%s: the previous job still holds the job record", who);
    return false;
  }
  wait();  // the previous worker is past the record: only its parser's teardown may remain
  return true;
}

bool job_control::process_parsedef(const std::string& parsedef_fname, const std::optional<std::string>& source_fname) {
  if (!ready_for("process_parsedef")) return false;
  fill(parsedef_job_);
  parsedef_job_.parsedef_fname = parsedef_fname;
  parsedef_job_.source_fname = source_fname;
  return start(parsedef_job_, "process_parsedef");
}

bool job_control::process_url_job(const std::string& url) {
  if (!ready_for("process_url_job")) return false;
  fill(url_job_);
  url_job_.url = url;
  return start(url_job_, "process_url_job");
}

bool job_control::start(parser_job& job, const char* who) {
  view_.freeze_source_list();
  stop_event_ = named_events::create(cancel_event_name, sync_event::reset_mode::automatic);
  if (!stop_event_) {
    trace("%s: unable to create stop event", who);
    return false;
  }
  last_job_ = &job;
  busy_event_.set();
  try {
    worker_ = std::thread([&job] { mtparser_func(job); });
  } catch (const std::system_error&) {
    busy_event_.reset();  // no worker will ever reset it
    trace("%s: unable to start the worker", who);
    return false;
  }
  job_running_ = true;
  return true;
}

int job_control::parser_status(void* owner, int code, const char* text) {
  job_control* self = control_of(owner);
  if (auto stop = named_events::open(cancel_event_name); stop && stop->test()) {
    trace("parser_status: stop event signaled");
    self->stop_pending_ = false;
    return -1;
  }
  bool posted = self->view_.post_status(code, text ? std::optional<std::string>(text) : std::nullopt);
  if (code != pst_done && code != pst_parsing_done) return 0;
  const char* name = code == pst_done ? "pst_done" : "pst_parsing_done";
  trace("parser_status: status message %s posted, return value %s", name, posted ? "TRUE" : "FALSE");
  if (!posted) {
    // The end reports must arrive: the window relies on them to finish the job.
    while (!self->view_.post_status(code, std::nullopt))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    trace("parser_status: message posted (at last).");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(self->report_pause_ms_.load()));
  return 0;
}

void job_control::on_status(int code, const std::optional<std::string>& text) {
  const std::string site = text.value_or("");
  switch (code) {
    case pst_finding_site:
      view_.clear_source_list();
      view_.set_status_text(status_text(code, site, 0, -1));
      break;
    case pst_sending_request:
    case pst_waiting_reply:
      view_.set_status_text(status_text(code, site, 0, -1));
      break;
    case pst_retrieving: {
      retrieval_progress& rp = the_retrieval_progress();
      std::lock_guard lock(rp.lock);
      view_.set_status_text(status_text(code, rp.site_name, rp.bytes_read, rp.bytes_total));
      if (rp.bytes_total > 0) view_.set_progress(static_cast<int>(rp.bytes_read * 100 / rp.bytes_total));
      break;
    }
    case pst_done:
      view_.set_status_text("");
      view_.remove_progress();
      trace("OnStatus: pst_done received");
      break;
    case pst_parsing_done:
      view_.remove_progress();
      trace("OnStatus: pst_parsing_done received");
      view_.rebuild_list();
      job_running_ = false;
      if (stop_event_ && stop_event_->is_set()) {
        // A stop came after the worker's last look: no worker will consume it.
        trace("OnStatus: stop_event set and closing it!");
        stop_pending_ = false;
      }
      stop_event_.reset();
      view_.set_status_text("");
      if (queue_running_) {
        trace("OnStatus: running queue, calling NextSite()");
        view_.next_site();
      }
      break;
    default:
      break;
  }
}

void job_control::stop() {
  view_.remove_progress();
  view_.set_status_text("");
  if (queue_running_) {
    view_.stop_queue_timer();
    queue_running_ = false;
  }
  if (job_running_) {
    if (stop_event_) stop_event_->set();
    job_running_ = false;
    stop_pending_ = true;
    if (fetcher_) fetcher_->wake();
  }
}

bool job_control::stop_enabled() {
  if (queue_running_) return true;
  if (!job_running_) return false;
  if (!stop_pending_) return true;
  if (!stop_event_ || !stop_event_->is_set()) {
    stop_pending_ = false;
    view_.set_status_text("");
  }
  return false;
}

}  // namespace vantrel
