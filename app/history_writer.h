#pragma once
// Keeps site runs in the headline store on a thread of its own, so that a run of a hundred
// thousand headlines never holds up the window: one run at a time, in the order they were
// handed over, each answered on the user-interface thread with the site's rows as the store now
// has them. Every run handed over is kept before the writer goes, as a program that is closed
// keeps the runs it completed.
//
// The writer's thread has a connection to the store of its own; write and waiting are called
// on the user-interface thread only.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/headline_store.h"
#include "engine/ui_dispatcher.h"

namespace vantrel {

class history_writer {
 public:
  struct written {
    site_run run;                       // as kept (as it would have been, when it was not)
    std::string why;                    // why it was not kept; "" when it was
    std::vector<stored_headline> rows;  // the site's headlines in list order, when kept
  };
  using answer = std::function<void(written&&)>;

  history_writer(ui_dispatcher& ui, std::string store_path);
  ~history_writer();
  history_writer(const history_writer&) = delete;
  history_writer& operator=(const history_writer&) = delete;

  // Keeps record; then the site's rows last seen at or after since are read and handed to done.
  void write(run_record record, unix_time since, answer done);
  // Runs handed over whose answer has not come yet.
  size_t waiting() const { return waiting_; }

 private:
  struct task {
    run_record record;
    unix_time since = 0;
    answer done;
  };
  void work();
  written keep(headline_store* store, const task& t, const std::string& no_store);

  ui_dispatcher& ui_;
  const std::string path_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // what the answers check
  size_t waiting_ = 0;                                     // the user-interface thread's

  std::mutex lock_;  // over tasks_ and closing_
  std::condition_variable wake_;
  std::deque<task> tasks_;
  bool closing_ = false;
  std::thread thread_;
};

}  // namespace vantrel
