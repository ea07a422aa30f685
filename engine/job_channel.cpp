#include "engine/job_channel.h"

#include "common/trace_log.h"

namespace vantrel {

namespace {
// Reading the clock for every page event would cost more than the events: it is read once
// in this many.
constexpr unsigned clock_every = 64;

template <typename T>
std::shared_ptr<T> share(T& from) {
  auto out = std::make_shared<T>(std::move(from));
  from = T();
  return out;
}
}  // namespace

job_channel::job_channel(ui_dispatcher& ui, job_receiver& receiver, std::weak_ptr<void> receiver_alive)
    : ui_(ui), receiver_(receiver), receiver_alive_(std::move(receiver_alive)) {}

void job_channel::prepare(parser_job& job, picture_source* pictures, bool page_events,
                          std::chrono::milliseconds report_pause) {
  stop_ = job.stop_event;
  pictures_ = pictures;
  page_events_ = page_events;
  report_pause_ = report_pause;
  items_.clear();
  lines_.clear();
  last_post_ = std::chrono::steady_clock::now();
  since_clock_ = 0;
  cancelled_ = false;
}

bool job_channel::post(delivery deliver, bool must_arrive) {
  std::function<void()> task = [alive = receiver_alive_, receiver = &receiver_, deliver = std::move(deliver)] {
    if (auto keep = alive.lock()) deliver(*receiver);
  };
  while (!ui_.post(task)) {
    if (!must_arrive || shut_down_.is_set()) return false;
    shut_down_.wait_for(std::chrono::milliseconds(10));
  }
  return true;
}

void job_channel::give_back(std::vector<std::unique_ptr<headline_item>> items) {
  std::lock_guard lock(spent_lock_);
  if (spent_.empty()) {
    spent_ = std::move(items);
  } else {
    for (auto& item : items) spent_.push_back(std::move(item));
  }
}

void job_channel::flush() {
  last_post_ = std::chrono::steady_clock::now();
  since_clock_ = 0;
  {
    std::vector<std::unique_ptr<headline_item>> spent;
    {
      std::lock_guard lock(spent_lock_);
      spent.swap(spent_);
    }
  }  // freed here, on the worker, outside the lock
  if (!items_.empty()) {
    auto batch = share(items_);
    post([batch](job_receiver& r) { r.receive_items(std::move(*batch)); }, true);
  }
  if (!lines_.empty()) {
    auto batch = share(lines_);
    post([batch](job_receiver& r) { r.receive_source(std::move(*batch)); }, true);
  }
}

void job_channel::count_and_maybe_flush() {
  if (items_.size() >= batch_items || lines_.size() >= batch_lines) {
    flush();
  } else if (++since_clock_ >= clock_every || !items_.empty()) {
    since_clock_ = 0;
    if (std::chrono::steady_clock::now() - last_post_ >= batch_age) flush();
  }
}

void job_channel::add_item(std::unique_ptr<headline_item> item) {
  items_.push_back(std::move(item));
  count_and_maybe_flush();
}

std::unique_ptr<picture> job_channel::load_picture(const std::string& parsedef_path, const std::string& picture_path) {
  return pictures_ ? pictures_->load_picture(parsedef_path, picture_path) : nullptr;
}

std::unique_ptr<picture> job_channel::copy_picture(const picture& original) {
  return pictures_ ? pictures_->copy_picture(original) : nullptr;
}

void job_channel::tag_start(const char* element) {
  count_and_maybe_flush();
  lines_.push_back(element_line(source_kind::start, element));
}

void job_channel::tag_attribute(const char*, const char* name, const char* value) {
  count_and_maybe_flush();
  lines_.push_back({source_kind::attribute, 0, name, value});
}

void job_channel::tag_end(const char* element) {
  count_and_maybe_flush();
  lines_.push_back(element_line(source_kind::end, element));
}

void job_channel::tag_text(const char* text) {
  count_and_maybe_flush();
  lines_.push_back({source_kind::text, 0, text, {}});
}

void job_channel::rule_fired(int section, rule_kind kind) {
  // Lines are only sent on before the next one is added, so the event's line is still here.
  if (lines_.empty()) return;
  source_line& line = lines_.back();
  line.fired |= static_cast<std::uint8_t>(1u << static_cast<unsigned>(kind));
  line.fired_section = static_cast<std::uint16_t>(section);
}

int job_channel::status(int code, const char* text) {
  if (stop_ && stop_->test()) {
    trace("parser_status: stop event signaled");
    cancelled_ = true;
    flush();  // what the job found stays: it appears at the next rebuild
    post([](job_receiver& r) { r.receive_stop_consumed(); }, true);
    return -1;
  }
  flush();
  std::optional<std::string> copy = text ? std::optional<std::string>(text) : std::nullopt;
  const bool posted = post([code, copy](job_receiver& r) { r.receive_status(code, copy); }, false);
  if (code != pst_done && code != pst_parsing_done) return 0;  // a lost progress report is harmless
  const char* name = code == pst_done ? "pst_done" : "pst_parsing_done";
  trace("parser_status: status message %s posted, return value %s", name, posted ? "TRUE" : "FALSE");
  if (!posted && post([code](job_receiver& r) { r.receive_status(code, std::nullopt); }, true))
    trace("parser_status: message posted (at last).");
  shut_down_.wait_for(report_pause_);
  return 0;
}

void job_channel::finish(const parser_job& job) {
  flush();
  job_outcome outcome{job.ret,          cancelled_ ? status::stopped() : job.failure,
                      job.report,       job.http_status,
                      job.not_modified, job.reply_validators,
                      job.site_name};
  post([outcome](job_receiver& r) { r.receive_worker_finished(outcome); }, true);
}

}  // namespace vantrel
