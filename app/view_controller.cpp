#include "app/view_controller.h"

#include "common/trace_log.h"
#include "engine/rule_check.h"

namespace vantrel {

view_controller::view_controller(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display,
                                 picture_source* pictures)
    : display_(display), jobs_(ui, results_, fetcher) {
  jobs_.set_status_listener(this);
  jobs_.set_results_listener(&display);
  jobs_.set_source_listener(&display);
  jobs_.set_end_listener(this);
  jobs_.set_picture_source(pictures);
}

void view_controller::set_status_text(const std::string& text) {
  status_text_ = text;
  display_.set_status_text(text);
}

void view_controller::job_ended() {
  if (end_listener_) end_listener_->job_ended();
}

void view_controller::worker_finished(const job_outcome& outcome) {
  // A job that failed says why in the message pane until the next one starts: a site that
  // shows nothing must not look like a site without news.
  // After a Stop the user knows why it ended, also when it failed before the Stop reached it.
  if (outcome.ret != 0 && !outcome.stopped && !stop_pressed_ && !outcome.failure.empty()) {
    set_status_text(outcome.failure);
  } else if (outcome.ret == 0 && !outcome.stopped && outcome.report) {
    // Nor must a site whose page changed under its rules.
    if (std::string why = broken_rules_summary(*outcome.report); !why.empty()) set_status_text(why);
  }
  if (end_listener_) end_listener_->worker_finished(outcome);
}

void view_controller::starting() {
  stop_pressed_ = false;
  if (!status_text_.empty()) set_status_text("");
}

void view_controller::open_source(const std::string& source, const std::optional<std::string>& parsedef) {
  clear();
  if (parsedef) parsedef_path_ = *parsedef;
  display_.clear_source();
  starting();
  jobs_.process_parsedef(parsedef_path_, source);
  // The lines of a local page appear as they arrive: the rebuild thaws the source list.
  display_.rebuild_list();
}

bool view_controller::open_parsedef(const std::string& path) {
  if (!idle()) return false;
  starting();
  return jobs_.process_parsedef(path, std::nullopt);
}

bool view_controller::process_site(const std::string& path) {
  starting();
  return jobs_.process_parsedef(path, std::nullopt);
}

bool view_controller::open_url(const std::string& url) {
  if (!idle()) return false;
  starting();
  return jobs_.process_url_job(url);
}

void view_controller::clear() {
  results_.clear();
  display_.list_cleared();
}

void view_controller::stop() {
  stop_pressed_ = true;
  queue_running_ = false;
  jobs_.stop();
}

void view_controller::hand_over(const std::string& path) {
  trace("hand_over: %s", path.c_str());
  hand_overs_.push_back(path);
}

int view_controller::deliver_hand_overs(bool modal_open) {
  int opened = 0;
  // Each path when the view is free: while a job or the queue runs, the paths wait for its end.
  while (!hand_overs_.empty() && !modal_open && idle()) {
    std::string path = std::move(hand_overs_.front());
    hand_overs_.pop_front();
    if (opener_) {
      opener_(path);
      ++opened;
    } else if (open_parsedef(path)) {
      ++opened;
    }
  }
  return opened;
}

}  // namespace vantrel
