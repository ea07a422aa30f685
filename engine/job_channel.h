#pragma once
// The worker's side of the job control: the job's callbacks. What the job produces is
// collected on the worker and handed to the user-interface thread in batches, through the
// dispatcher and in order with the status reports, so a page of thousands of events costs a
// few dozen posts and the worker never waits for that thread.
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/sync_event.h"
#include "engine/job_listeners.h"
#include "engine/parser_job.h"
#include "engine/source_line.h"
#include "engine/ui_dispatcher.h"

namespace vantrel {

// What the channel delivers, on the user-interface thread. The job control implements it.
class job_receiver {
 public:
  virtual ~job_receiver() = default;
  virtual void receive_items(std::vector<std::unique_ptr<headline_item>> items) = 0;
  virtual void receive_source(std::vector<source_line> lines) = 0;
  virtual void receive_status(int code, const std::optional<std::string>& text) = 0;
  // The worker saw the Stop request and abandoned the job.
  virtual void receive_stop_consumed() = 0;
  virtual void receive_worker_finished(const job_outcome& outcome) = 0;
};

class job_channel : public job_callbacks {
 public:
  // A batch is posted when it holds this many entries, or this long after the last post.
  static constexpr size_t batch_items = 256, batch_lines = 1024;
  static constexpr std::chrono::milliseconds batch_age{50};

  // Tasks are delivered to receiver only while receiver_alive can be locked: tasks still in
  // flight when the receiver goes are dropped.
  job_channel(ui_dispatcher& ui, job_receiver& receiver, std::weak_ptr<void> receiver_alive);

  // User-interface thread, before each job starts: the channel serves job until it ends.
  void prepare(parser_job& job, picture_source* pictures, bool page_events, std::chrono::milliseconds report_pause);
  // Any thread: from now on nothing waits, neither the retries of reports that must arrive
  // nor the pause after the end reports. For the job control's destruction.
  void shut_down() { shut_down_.set(); }
  // Worker, when the job is over: hands over what is left and how the job ended.
  void finish(const parser_job& job);
  // User-interface thread: items the owner is done with, freed on the worker that made them,
  // at its next batch (freed here, each would take the worker's allocator from under it).
  void give_back(std::vector<std::unique_ptr<headline_item>> items);

  // job_callbacks, on the worker.
  void add_item(std::unique_ptr<headline_item> item) override;
  std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& picture_path) override;
  std::unique_ptr<picture> copy_picture(const picture& original) override;
  bool wants_page_events() const override { return page_events_; }
  void tag_start(const char* element) override;
  void tag_attribute(const char* element, const char* name, const char* value) override;
  void tag_end(const char* element) override;
  void tag_text(const char* text) override;
  void rule_fired(int section, rule_kind kind) override;
  // parser_status: a cancel request ends the job (-1); otherwise the report is posted after
  // everything found before it. The end reports (pst_done, pst_parsing_done) must arrive:
  // a refused post is retried, then the worker pauses so the window can take them in.
  int status(int code, const char* text) override;

 private:
  using delivery = std::function<void(job_receiver&)>;
  // Posts a delivery; with must_arrive a refused post is retried every 10 ms until it is
  // taken or the channel is shut down.
  bool post(delivery deliver, bool must_arrive);
  void flush();
  void count_and_maybe_flush();

  ui_dispatcher& ui_;
  job_receiver& receiver_;
  std::weak_ptr<void> receiver_alive_;
  sync_event shut_down_{sync_event::reset_mode::manual};

  // Set before the worker starts, read by the worker.
  std::shared_ptr<sync_event> stop_;  // the job's stop request
  picture_source* pictures_ = nullptr;
  bool page_events_ = false;
  std::chrono::milliseconds report_pause_{500};

  // Given back by the user-interface thread, freed by the worker.
  std::mutex spent_lock_;
  std::vector<std::unique_ptr<headline_item>> spent_;

  // The worker's alone.
  std::vector<std::unique_ptr<headline_item>> items_;
  std::vector<source_line> lines_;
  std::chrono::steady_clock::time_point last_post_;
  unsigned since_clock_ = 0;
  bool cancelled_ = false;
};

}  // namespace vantrel
