#pragma once
// Tidewatch's day of reading without a toolkit: the view controller, the site queue and its
// runner, and the headline store they keep runs in, with every decision the main view made
// about them: opening the store and checking it when there is time (a damaged one is kept aside
// and the day goes on in a new one), loading it while the window is idle, the queue file of the
// ParseDef root, the one Stop, a refresh that gives way to the user, and the schedule. The
// window forwards its events here; tests drive it directly.
//
// Every member is called on the user-interface thread. The dispatcher, fetcher, display,
// pictures, queue window and settings must outlive the session.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/queue_runner.h"
#include "app/view_controller.h"
#include "common/headline_store.h"
#include "common/prefs.h"
#include "common/site_queue.h"

namespace vantrel {

class reading_session {
 public:
  // The stored headlines loaded before the window shows; the others follow while it is idle.
  static constexpr size_t first_screen_rows = 200;

  reading_session(ui_dispatcher& ui, page_fetcher* fetcher, view_display& display, picture_source* pictures,
                  queue_window& window, const prefs& settings);
  reading_session(const reading_session&) = delete;
  reading_session& operator=(const reading_session&) = delete;

  view_controller& controller() { return controller_; }
  const view_controller& controller() const { return controller_; }
  queue_runner& runner() { return runner_; }
  site_queue& queue() { return queue_; }
  // The store of headlines and runs; null when none could be had.
  headline_store* history() { return history_.get(); }
  // The clock the store's headlines are judged by (seconds since the epoch); tests set their own.
  void set_clock(std::function<unix_time()> clock);

  // Opens the store (its whole-file check waits for an idle moment), forgets what is older than
  // it keeps, and loads the first screen of it. What went wrong shows in the message pane.
  void open_history();
  // The idle moment's work: the store's check, then the rest of the store a few sites at a
  // time, handed-over files, and a new root's queue once the old one no longer runs. Whether
  // more idle time is wanted.
  bool on_idle(bool modal_open, std::chrono::milliseconds budget);

  // The queue file of the ParseDef root.
  std::string queue_path() const;
  // Loads the queue; false when there is none yet or it cannot be read.
  bool load_queue();
  // Saves the queue (with each site's last good run); a failure when it cannot be written.
  status save_queue();

  // The one Stop: the queue runner's timer and every job.
  void stop_all();
  // Commands that start something may be given (idle, or a refresh that will give way).
  bool may_start() const { return controller_.state().may_start(); }
  // A command that starts something, given while a scheduled refresh runs: the refresh stops
  // and the command goes ahead once it has wound down. false when no refresh ran.
  bool yield_to_user(std::function<void()> command);
  // Starts a refresh of the due sites when nothing else happens. Whether one started.
  bool check_schedule(bool modal_open);
  // Preferences closed: a new ParseDef root brings its queue once the old one is idle; how
  // long headlines are kept may have changed.
  void settings_changed();
  // The root changed and its queue is still to be loaded.
  bool root_changed() const { return root_changed_; }
  // What the desktop is told when a queue run ends: the new headlines of a run the user did
  // not start, when the settings ask for it; none otherwise.
  std::optional<std::string> news_for(const run_tally& tally, bool user_started) const;
  // The last queue run's summary and each site whose latest run failed or found nothing, a
  // line each; none when there is none.
  std::optional<std::string> problems_text();

 private:
  void check_history();
  void keep_history_in(headline_store* store);

  const prefs& prefs_;
  view_controller controller_;
  site_queue queue_;
  queue_runner runner_;
  std::unique_ptr<headline_store> history_;
  bool history_checked_ = true;
  std::string queue_root_;     // the root the queue was loaded from
  bool root_changed_ = false;  // by Preferences: the queue is reloaded once it is idle
  std::function<unix_time()> clock_;
};

}  // namespace vantrel
