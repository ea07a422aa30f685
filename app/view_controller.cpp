#include "app/view_controller.h"

#include <algorithm>
#include <ctime>

#include "common/paths.h"
#include "common/queue_policy.h"
#include "common/trace_log.h"
#include "engine/rule_check.h"

namespace vantrel {

view_controller::view_controller(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display,
                                 picture_source* pictures)
    : ui_(ui),
      display_(display),
      jobs_(ui, results_, fetcher, tidewatch_folder),
      clock_([] { return static_cast<unix_time>(std::time(nullptr)); }) {
  jobs_.set_status_listener(this);
  jobs_.set_results_listener(this);
  jobs_.set_source_listener(&display);
  jobs_.set_end_listener(this);
  jobs_.set_picture_source(pictures);
}

void view_controller::set_history(headline_store* store, std::function<std::string()> root, std::int64_t keep_seconds) {
  // Runs handed over already are kept by the old writer before it goes.
  if (store != history_ || !writer_ || (store != nullptr && store->path() != writer_path_)) {
    writer_.reset();
    if (store != nullptr) writer_ = std::make_unique<history_writer>(ui_, store->path());
    writer_path_ = store != nullptr ? store->path() : std::string();
  }
  history_ = store;
  root_ = std::move(root);
  keep_seconds_ = keep_seconds;
}

namespace {

reading_row row_of(stored_headline&& h, std::uint32_t site) {
  reading_row row;
  row.id = h.id;
  row.site = site;
  row.fresh = h.fresh;
  row.read = h.read;
  static_cast<headline&>(row) = std::move(h);  // the texts, moved last
  return row;
}

}  // namespace

status view_controller::load_history(size_t first_rows) {
  if (history_ == nullptr) return {};
  auto keys = history_->site_keys();
  if (!keys) return keys.error();
  // In queue order, as the blocks stay; sites not queued after them, oldest first.
  if (places_) {
    std::vector<std::pair<size_t, std::string>> placed;
    for (std::string& key : *keys) placed.emplace_back(places_(key).value_or(static_cast<size_t>(-1)), std::move(key));
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keys->clear();
    for (auto& [place, key] : placed) keys->push_back(std::move(key));
  }
  pending_sites_.assign(keys->begin(), keys->end());
  status loaded;
  while (!pending_sites_.empty() && reading_.total() < first_rows) {
    // One site that cannot be read does not keep the others out.
    if (status site = load_next_site(); !site.ok() && loaded.ok()) loaded = site;
  }
  display_.rebuild_list();
  return loaded;
}

bool view_controller::load_more_history(std::chrono::milliseconds budget) {
  const auto until = std::chrono::steady_clock::now() + budget;
  bool any = false;
  while (!pending_sites_.empty() && (!any || std::chrono::steady_clock::now() < until)) {
    if (status site = load_next_site(); !site.ok()) trace("load_more_history: %s", site.message().c_str());
    any = true;
  }
  if (any) display_.rebuild_list();
  return !pending_sites_.empty();
}

status view_controller::load_next_site() {
  const std::string key = std::move(pending_sites_.front());
  pending_sites_.pop_front();
  const std::uint32_t site = site_of(key, history_->site_name(key).value_or(std::nullopt).value_or(""));
  if (decode_logo_ && !reading_.site(site).logo) {
    if (auto bytes = history_->logo(key).value_or(std::nullopt)) reading_.site(site).logo = decode_logo_(*bytes);
  }
  std::vector<reading_row> rows;
  const status loaded = history_->load_site(key, clock_() - keep_seconds_,
                                            [&](stored_headline&& h) { rows.push_back(row_of(std::move(h), site)); });
  reading_.replace_site(site, std::move(rows));
  return loaded;
}

std::uint32_t view_controller::site_of(const std::string& key, const std::string& name) {
  const std::uint32_t site = reading_.site_index(key, name);
  if (places_) reading_.site(site).place = places_(key).value_or(static_cast<size_t>(-1));
  return site;
}

std::optional<std::string> view_controller::remove_site_headlines(size_t shown) {
  if (shown >= reading_.size() || !idle()) return std::nullopt;
  const std::uint32_t site = reading_.row(shown).site;
  const reading_site& which = reading_.site(site);
  if (history_ != nullptr) {
    auto forgotten = history_->forget_site(which.key);
    if (!forgotten) {
      set_status_text("The headline store could not forget " + which.name + ": " + forgotten.message());
      return std::nullopt;
    }
  }
  std::string name = which.name;
  runs_.erase(which.key);
  reading_.remove_site(site);
  display_.rebuild_list();
  return name;
}

std::vector<std::string> view_controller::problems() {
  // Sites the queue could not start are in no store: this session remembers them.
  std::vector<std::string> lines;
  for (const auto& [name, line] : skipped_) lines.push_back(line);
  if (history_ != nullptr) {
    if (auto stored = history_->problems()) {
      for (const site_problem& p : *stored)
        lines.push_back((p.name.empty() ? p.site : p.name) + ": " + run_text(p.run));
      return lines;
    }
  }
  for (const auto& [key, run] : runs_)
    if (run.outcome == run_outcome::failed || run.outcome == run_outcome::nothing) lines.push_back(key + ": " + run_text(run));
  return lines;
}

void view_controller::mark_read(size_t shown) {
  if (shown >= reading_.size()) return;
  const std::int64_t id = reading_.mark_read(shown);
  if (id <= 0 || history_ == nullptr) return;
  if (status marked = history_->mark_read(id); !marked.ok()) trace("mark_read: %s", marked.message().c_str());
}

void view_controller::mark_all_read() {
  reading_.mark_all_read();
  if (history_ == nullptr) return;
  if (status marked = history_->mark_all_read(); !marked.ok()) trace("mark_all_read: %s", marked.message().c_str());
}

std::optional<site_run> view_controller::last_run(const std::string& site_key) {
  if (history_ != nullptr) {
    if (auto run = history_->last_run(site_key); run && *run) return *run;
  }
  if (auto found = runs_.find(site_key); found != runs_.end()) return found->second;
  return std::nullopt;
}

void view_controller::note_last_refresh(site_queue& queue) {
  if (history_ == nullptr || !root_) return;
  const std::string root = root_();
  for (size_t i = 0; i < queue.count(); ++i) {
    if (auto when = history_->last_good_run(queued_site_key(root, queue[i])); when && *when)
      queue[i].last_refresh = static_cast<long>(**when);
  }
}

void view_controller::set_status_text(const std::string& text) {
  status_text_ = text;
  display_.set_status_text(text);
}

void view_controller::job_ended() {
  if (end_listener_) end_listener_->job_ended();
}

void view_controller::items_added(result_store& store, size_t first) {
  run_recorder* recorder = started_.empty() || !started_.front().recorder ? nullptr : &*started_.front().recorder;
  if (recorder != nullptr && writer_) {
    // The store tells what is new when it keeps the run: nothing to ask it here.
    for (size_t i = first; i < store.size(); ++i) recorder->keep(store[i]);
    fresh_.resize(store.size(), 0);
    return;
  }
  for (size_t i = first; i < store.size(); ++i)
    fresh_.push_back(recorder != nullptr && recorder->add(store[i]) ? 1 : 0);
}

void view_controller::worker_finished(const job_outcome& outcome) {
  // A job that failed says why in the message pane until the next one starts: a site that
  // shows nothing must not look like a site without news.
  // After a Stop the user knows why it ended, also when it failed before the Stop reached it.
  if (outcome.ret != 0 && !outcome.stopped() && !state_.stop_pressed() && !outcome.failure.ok()) {
    set_status_text(outcome.failure.message());
  } else if (outcome.ret == 0 && !outcome.stopped() && outcome.report) {
    // Nor must a site whose page changed under its rules.
    if (std::string why = broken_rules_summary(*outcome.report); !why.empty()) set_status_text(why);
  }
  if (!started_.empty()) {
    started_job job = std::move(started_.front());
    started_.pop_front();
    if (job.recorder && writer_ && !job.source_run && !outcome.stopped()) {
      write_run(job, outcome);
    } else if (job.recorder) {
      // Nothing to keep it in: the run is shown as it came.
      const site_run run = job.recorder->finish(outcome, clock_(), job.user_started).run;
      if (!outcome.stopped()) show_run(job, run);
    }
  }
  jobs_.dispose(results_.take_all());
  fresh_.clear();
  if (end_listener_) end_listener_->worker_finished(outcome);
  if (summary_due_ && queue_run_done()) finish_queue_run();
}

bool view_controller::queue_run_done() const {
  return !state_.queue_running() && started_.empty() && history_writes_waiting() == 0;
}

void view_controller::write_run(started_job& job, const job_outcome& outcome) {
  run_record record = job.recorder->take(outcome, clock_(), job.user_started);
  // Every item carries the site's logo: the first one's becomes the rows'.
  std::shared_ptr<picture> logo;
  if (!results_.empty() && results_[0].logo) logo = std::shared_ptr<picture>(std::move(results_[0].logo));
  const std::string key = record.site;
  const std::string name = record.site_name.empty() ? record.site : record.site_name;
  const bool counted = state_.queue_running() || summary_due_;
  writer_->write(std::move(record), clock_() - keep_seconds_,
                 [this, key, name, logo, counted](history_writer::written&& written) {
                   show_written(key, name, logo, counted, std::move(written));
                 });
}

void view_controller::show_written(const std::string& key, const std::string& name, std::shared_ptr<picture> logo,
                                   bool counted, history_writer::written&& written) {
  const std::uint32_t site = site_of(key, name);
  if (logo) reading_.site(site).logo = std::move(logo);
  if (!written.kept.ok()) {
    const std::string& why = written.kept.message();
    trace("show_written: the run of %s was not kept: %s", key.c_str(), why.c_str());
    set_status_text("The headline store could not keep the run of " + name + ": " + why);
  } else if (written.run.outcome != run_outcome::failed) {
    // A failed run leaves the site's rows as they were.
    std::vector<reading_row> rows;
    rows.reserve(written.rows.size());
    for (stored_headline& h : written.rows) rows.push_back(row_of(std::move(h), site));
    reading_.replace_site(site, std::move(rows));
  }
  site_done(key, name, written.run, counted);
  if (summary_due_ && queue_run_done()) finish_queue_run();
}

void view_controller::site_done(const std::string& key, const std::string& name, const site_run& run, bool counted) {
  // Its rows are in the list now: the store's older ones must not follow them in.
  std::erase(pending_sites_, key);
  runs_[key] = run;
  skipped_.erase(name);
  if (counted) tally_.add(name, run);
  display_.rebuild_list();
  display_.site_ran(name, run);
}

void view_controller::show_run(const started_job& job, const site_run& run) {
  const run_recorder& recorder = *job.recorder;
  const std::string& name = recorder.site_name().empty() ? recorder.site() : recorder.site_name();
  const std::uint32_t site = site_of(recorder.site(), recorder.site_name());
  // Every item carries the site's logo: the first one's becomes the rows'.
  if (!results_.empty() && results_[0].logo)
    reading_.site(site).logo = std::shared_ptr<picture>(std::move(results_[0].logo));
  // A failed run leaves the site's rows as they were.
  if (job.source_run || run.outcome != run_outcome::failed)
    reading_.replace_site(site, rows_of_results(site, !job.source_run));
  if (!job.source_run) {
    site_done(recorder.site(), name, run, state_.queue_running() || summary_due_);
    return;
  }
  display_.rebuild_list();
  display_.site_ran(name, run);
}

std::vector<reading_row> view_controller::rows_of_results(std::uint32_t site, bool fresh_marks) {
  std::vector<reading_row> rows;
  rows.reserve(results_.size());
  for (size_t i = 0; i < results_.size(); ++i) {
    headline_item& item = results_[i];
    const bool fresh = fresh_marks && i < fresh_.size() && fresh_[i] != 0;
    reading_row& row = rows.emplace_back();
    static_cast<headline&>(row) = std::move(item);
    row.site = site;
    row.fresh = fresh;
  }
  return rows;
}

void view_controller::starting() {
  state_.starting();
  if (!status_text_.empty()) set_status_text("");
}

void view_controller::open_source(const std::string& source, const std::optional<std::string>& parsedef) {
  clear();
  if (parsedef) parsedef_path_ = *parsedef;
  display_.clear_source();
  starting();
  // A saved page is no run of its site: shown, never kept, nothing on it new.
  if (jobs_.process_parsedef(parsedef_path_, source)) {
    started_job& job = started_.emplace_back();
    job.recorder.emplace(nullptr, parsedef_path_, "", "");
    job.source_run = true;
  }
  // The lines of a local page appear as they arrive: the rebuild thaws the source list.
  display_.rebuild_list();
}

bool view_controller::open_parsedef(const std::string& path) {
  if (!idle()) return false;
  return start_site(path, "", true);
}

bool view_controller::process_site(const std::string& path, const std::string& name, bool user_started) {
  return start_site(path, name, user_started);
}

bool view_controller::start_site(const std::string& path, const std::string& name, bool user_started) {
  starting();
  const std::string key = root_ ? site_key_for(root_(), path) : path;
  started_job job;
  job.recorder.emplace(history_, key, name, rules_stamp(path));
  job.user_started = user_started;
  if (!jobs_.process_parsedef(path, std::nullopt, job.recorder->validators())) return false;
  started_.push_back(std::move(job));
  return true;
}

bool view_controller::open_url(const std::string& url) {
  if (!idle()) return false;
  starting();
  if (!jobs_.process_url_job(url)) return false;
  started_.emplace_back();
  return true;
}

void view_controller::clear() {
  pending_sites_.clear();
  results_.clear();
  fresh_.clear();
  reading_.clear();
  display_.list_cleared();
}

void view_controller::stop() {
  state_.stopped();
  summary_due_ = false;
  jobs_.stop();
}

void view_controller::site_skipped(const std::string& name, const std::string& why) {
  site_run run;
  run.when = clock_();
  run.reason = why;
  run.user_started = queue_user_started_;
  tally_.add(name, run);
  skipped_[name] = name + ": " + run_text(run);
}

void view_controller::queue_run_started(bool user_started) {
  tally_ = run_tally();
  queue_user_started_ = user_started;
  summary_due_ = false;
}

void view_controller::queue_run_ended() {
  // The last site's run is told when its worker lets go (and its rows are kept), after the
  // queue has moved on.
  if (!queue_run_done()) {
    summary_due_ = true;
  } else {
    finish_queue_run();
  }
}

void view_controller::finish_queue_run() {
  summary_due_ = false;
  last_tally_ = std::move(tally_);
  tally_ = run_tally();
  if (!last_tally_.empty()) set_status_text(last_tally_.summary());
  display_.queue_run_finished(last_tally_, queue_user_started_);
}

void view_controller::hand_over(const std::string& path) {
  trace("hand_over: %s", path.c_str());
  hand_overs_.push_back([this, path] {
    if (opener_) {
      opener_(path);
    } else {
      open_parsedef(path);
    }
  });
}

void view_controller::when_idle(std::function<void()> action) { hand_overs_.push_back(std::move(action)); }

int view_controller::deliver_hand_overs(bool modal_open) {
  int opened = 0;
  // Each when the view is free: while a job or the queue runs, they wait for its end.
  while (!hand_overs_.empty() && !modal_open && idle()) {
    std::function<void()> action = std::move(hand_overs_.front());
    hand_overs_.pop_front();
    action();
    ++opened;
  }
  return opened;
}

}  // namespace vantrel
