#pragma once
// What the window-free tests of Tidewatch put in place of its windows: a display that keeps
// the message pane's texts and the queue runs' summaries, and a queue window that records its
// timer, pane 101 and the title.
#include <string>
#include <utility>
#include <vector>

#include "app/queue_runner.h"
#include "app/view_controller.h"

namespace vantrel::testing {

class null_display : public view_display {
 public:
  void set_status_text(const std::string& text) override { texts.push_back(text); }
  void queue_run_finished(const run_tally& tally, bool user_started) override {
    finished.emplace_back(tally.summary() + " / " + tally.news_text(), user_started);
  }
  std::vector<std::string> texts;
  std::vector<std::pair<std::string, bool>> finished;
  void set_progress(int) override {}
  void remove_progress() override {}
  void rebuild_list() override {}
  void list_cleared() override {}
  void clear_source() override {}
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>&) override {}
};

class recording_window : public queue_window {
 public:
  bool start_timer() override { return timer = true; }
  bool stop_timer() override {
    timer = false;
    return true;
  }
  void set_queue_state_text(const std::string& text) override { states.push_back(text); }
  void set_title(const std::string& title) override { titles.push_back(title); }
  bool timer = false;
  std::vector<std::string> states, titles;
};

}  // namespace vantrel::testing
