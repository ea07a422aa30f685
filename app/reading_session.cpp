#include "app/reading_session.h"

#include <algorithm>
#include <ctime>

#include "common/queue_policy.h"
#include "common/trace_log.h"

namespace vantrel {

reading_session::reading_session(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display,
                                 picture_source* pictures, queue_window& window, const prefs& settings)
    : prefs_(settings),
      controller_(ui, fetcher, display, pictures),
      runner_(
          controller_, queue_, [this] { return prefs_.get_parsedef_root(); }, window),
      clock_([] { return static_cast<unix_time>(std::time(nullptr)); }) {
  controller_.set_end_listener(&runner_);
  controller_.set_site_places([this](const std::string& key) -> std::optional<size_t> {
    const std::string root = prefs_.get_parsedef_root();
    for (size_t i = 0; i < queue_.count(); ++i)
      if (queued_site_key(root, queue_[i]) == key) return i;
    return std::nullopt;
  });
}

void reading_session::set_clock(std::function<unix_time()> clock) {
  clock_ = clock;
  controller_.set_clock(std::move(clock));
}

void reading_session::keep_history_in(headline_store* store) {
  controller_.set_history(
      store, [this] { return prefs_.get_parsedef_root(); }, prefs_.keep_seconds());
}

void reading_session::open_history() {
  std::string notice;
  // The whole-file check waits for the first idle moment: a large store must not hold up the
  // window.
  auto opened = headline_store::open(prefs_.headline_store_path(), &notice, headline_store::check_time::later);
  history_ = opened ? std::move(*opened) : nullptr;
  history_checked_ = history_ == nullptr;
  if (history_) {
    auto forgotten = history_->forget_before(clock_() - prefs_.keep_seconds());
    if (!forgotten) trace("open_history: %s", forgotten.message().c_str());
  }
  keep_history_in(history_.get());
  if (!history_) {
    trace("open_history: %s", opened.message().c_str());
    controller_.show_message("No headline store, so no history: " + opened.message());
  } else if (status loaded = controller_.load_history(first_screen_rows); !loaded.ok()) {
    controller_.show_message("The headline store could not be read whole: " + loaded.message());
  } else if (!notice.empty()) {
    controller_.show_message(notice);
  }
}

void reading_session::check_history() {
  history_checked_ = true;
  if (history_->check().ok()) return;
  // Damaged: the writer's connection goes first (the runs handed to it are kept before it
  // does), so nothing is written into the file once it is kept aside; what the list shows
  // stays, and the day goes on in a new store.
  keep_history_in(nullptr);
  std::string notice = history_->set_aside();
  auto fresh = headline_store::open(prefs_.headline_store_path(), &notice);
  history_ = fresh ? std::move(*fresh) : nullptr;
  keep_history_in(history_.get());
  controller_.show_message(history_ ? notice : notice + " No new one could be begun: " + fresh.message());
}

bool reading_session::on_idle(bool modal_open, std::chrono::milliseconds budget) {
  if (!history_checked_) check_history();
  bool more = false;
  // The rest of the store, a few sites at a time, so the window answers meanwhile.
  if (controller_.history_pending()) more = controller_.load_more_history(budget);
  if (controller_.waiting_hand_overs() > 0) controller_.deliver_hand_overs(modal_open);
  // A new ParseDef root brings its own queue, once the old one is no longer running.
  if (root_changed_ && !runner_.running()) {
    root_changed_ = false;
    load_queue();
  }
  return more;
}

std::string reading_session::queue_path() const { return vantrel::queue_path(prefs_.get_parsedef_root()); }

bool reading_session::load_queue() {
  queue_root_ = prefs_.get_parsedef_root();
  const bool loaded = queue_.load(queue_path()) == 0;
  runner_.show_state();
  return loaded;
}

status reading_session::save_queue() {
  controller_.note_last_refresh(queue_);
  if (queue_.save(queue_path()) >= 0) return {};
  return {status_code::io_error, "Unable to save site queue."};
}

void reading_session::stop_all() {
  runner_.stop();
  controller_.stop();
}

bool reading_session::yield_to_user(std::function<void()> command) {
  if (!runner_.automatic()) return false;
  stop_all();
  controller_.when_idle(std::move(command));
  return true;
}

bool reading_session::check_schedule(bool modal_open) {
  if (!prefs_.get_auto_refresh() || modal_open || !controller_.idle() || runner_.running() || root_changed_ ||
      controller_.waiting_hand_overs() > 0)
    return false;
  const std::string root = prefs_.get_parsedef_root();
  std::vector<size_t> due = due_entries(
      queue_,
      [&](const queue_site& site) -> std::optional<std::int64_t> {
        const auto run = controller_.last_run(queued_site_key(root, site));
        return run ? std::optional<std::int64_t>(run->when) : std::nullopt;
      },
      clock_());
  return runner_.start_automatic(std::move(due));
}

std::optional<std::string> reading_session::news_for(const run_tally& tally, bool user_started) const {
  if (user_started || !prefs_.get_notify() || tally.fresh() == 0) return std::nullopt;
  return tally.news_text();
}

std::optional<std::string> reading_session::problems_text() {
  // The last run's problems, then each other site's latest one: a refresh since the queue run
  // that found them does not lose them.
  const run_tally& last = controller_.last_tally();
  std::vector<std::string> lines = last.problems();
  for (std::string& line : controller_.problems())
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(std::move(line));
  if (lines.empty()) return std::nullopt;
  std::string text = last.empty() ? std::string() : last.summary() + "\n";
  for (const std::string& line : lines) text += "\n" + line;
  return text;
}

void reading_session::settings_changed() {
  // The old root's queue must never be saved over the new root's.
  if (prefs_.get_parsedef_root() != queue_root_) root_changed_ = true;
  keep_history_in(history_.get());
}

}  // namespace vantrel
