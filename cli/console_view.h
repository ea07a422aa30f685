#pragma once
// The console's side of a job: what a window would show, printed. The job control calls it on
// the console run's one thread, which is its user-interface thread. Output goes out a batch at
// a time; to a terminal each batch is flushed at once, into a pipe or file it is not.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/feed_output.h"
#include "common/headline_store.h"
#include "engine/job_listeners.h"

namespace vantrel::cli {

class console : public status_listener,
                public results_listener,
                public source_listener,
                public job_end_listener,
                public picture_source {
 public:
  // feed: the feed's head when the headlines make a feed.
  console(std::ostream& out, std::ostream& err, const options& opts, bool interactive, const feed_head* feed = nullptr);

  // A line per new status; the byte counts of one page at most four times a second.
  void set_status_text(const std::string& text) override;
  void set_progress(int) override {}
  void remove_progress() override {}

  // Printed as they come and then let go: a console run keeps no headlines (a feed collects
  // them and is written at the end; a check keeps its few samples).
  void items_added(result_store& store, size_t first) override;
  void rebuild_list() override {}

  void clear_source() override {}
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>& lines) override;

  void job_ended() override {}
  void worker_finished(const job_outcome& outcome) override;

  // The console has no pictures: a logo counts as loaded when the window would load it (a BMP
  // or PNG whose header fits a row), and each item carries its path.
  std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& path) override;
  std::unique_ptr<picture> copy_picture(const picture& original) override;

  // Who frees the items once printed (the job control, whose worker made them); by default
  // they are freed here.
  void set_disposer(std::function<void(std::vector<std::unique_ptr<headline_item>>)> dispose) {
    dispose_ = std::move(dispose);
  }
  // Who is handed each headline as it arrives (the site's run recorder) and, when asked (the
  // second argument), tells whether it is new; without one every headline is new.
  void set_judge(std::function<bool(const headline_item&, bool asked)> judge) { judge_ = std::move(judge); }
  // Held back: the headlines are printed (or go into the feed) only once release() tells, as
  // the headline store kept the run, which are new and when each was first seen. A run that
  // asks what is new cannot know it before: another program may keep the same page meanwhile.
  void set_held_back(bool held) { held_back_ = held; }
  // The held-back headlines, told of in their order (the run recorder's), printed.
  void release(const std::vector<kept_headline>& kept);
  // A queue run: every headline says which site it came from, and so does every progress line
  // (several sites run at once).
  void set_site(site_label site) {
    prefix_ = site.name + ": ";
    site_ = std::move(site);
  }
  // What each progress line begins with: the site's name in a queue run, else nothing.
  const std::string& progress_prefix() const { return prefix_; }
  bool finished() const { return finished_; }
  const std::vector<headline>& samples() const { return samples_; }
  // The feed of the headlines; once, at the end.
  std::string feed_text() { return feed_ ? feed_->finish() : std::string(); }
  const job_outcome& outcome() const { return outcome_; }

 private:
  void write(const std::string& text);
  void let_go(result_store& store);
  void print(std::string& text, const headline& item, const std::string* logo, bool fresh);

  struct held_headline {
    headline item;
    std::optional<std::string> logo;  // the logo's path
  };

  std::ostream& out_;
  std::ostream& err_;
  output_format format_;
  bool progress_, interactive_, check_, only_new_;
  std::string last_text_, last_kind_;
  std::chrono::steady_clock::time_point last_print_;
  bool finished_ = false;
  job_outcome outcome_;
  std::optional<site_label> site_;
  std::string prefix_;
  std::vector<headline> samples_;  // a check's first headlines
  std::optional<feed_builder> feed_;
  std::function<void(std::vector<std::unique_ptr<headline_item>>)> dispose_;
  std::function<bool(const headline_item&, bool)> judge_;
  bool held_back_ = false;
  std::vector<held_headline> held_;
};

}  // namespace vantrel::cli
