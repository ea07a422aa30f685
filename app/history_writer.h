#pragma once
// Keeps site runs in the headline store on a thread of its own, so that a run of a hundred
// thousand headlines never holds up the window: one run at a time, in the order they were
// handed over, each answered on the user-interface thread with the site's rows as the store now
// has them. Every run handed over is kept before the writer goes, as a program that is closed
// keeps the runs it completed.
//
// The writer's thread (a background_worker) has a connection to the store of its own; write
// and waiting are called on the user-interface thread only.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/headline_store.h"
#include "engine/background_worker.h"

namespace vantrel {

class history_writer {
 public:
  struct written {
    site_run run;                       // as kept (as it would have been, when it was not)
    status kept;                        // why it was not kept; ok when it was
    std::vector<stored_headline> rows;  // the site's headlines in list order, when kept
  };
  using answer = std::function<void(written&&)>;

  history_writer(ui_dispatcher& ui, std::string store_path);
  history_writer(const history_writer&) = delete;
  history_writer& operator=(const history_writer&) = delete;

  // Keeps record; then the site's rows last seen at or after since are read and handed to done.
  void write(run_record record, unix_time since, answer done);
  // Runs handed over whose answer has not come yet.
  size_t waiting() const { return waiting_; }

 private:
  // On the writer's thread.
  written keep(const run_record& record, unix_time since);

  const std::string path_;
  size_t waiting_ = 0;  // the user-interface thread's
  // The writer's thread alone: its connection, opened at the first run.
  std::unique_ptr<headline_store> store_;
  std::optional<status> opened_;
  // Last: it goes first, keeping every run handed over while the store is still here.
  background_worker worker_;
};

}  // namespace vantrel
