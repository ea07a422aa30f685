#pragma once
// Work done off the user-interface thread, the one way the programs do it: a thread of the
// worker's own runs the pieces of work handed to it, one at a time and in order; each piece
// sees a cancel token; answers reach the user-interface thread through the ui_dispatcher and
// are dropped there when the worker (and so its owner) is gone. The parse jobs of a job
// control, the runs the history writer keeps and the Preview's suggestions all run on one.
//
// Threads: run, cancel, wait_idle and the destructor are called on the user-interface thread;
// post and the tokens on any thread. The dispatcher must outlive the worker.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/ui_dispatcher.h"

namespace vantrel {

// Whether the piece of work that holds it should stop: set by cancel() and by the worker's end.
class cancel_token {
 public:
  bool cancelled() const { return flag_->load(std::memory_order_relaxed); }

 private:
  friend class background_worker;
  std::shared_ptr<std::atomic<bool>> flag_ = std::make_shared<std::atomic<bool>>(false);
};

class background_worker {
 public:
  explicit background_worker(ui_dispatcher& ui) : ui_(ui) {}
  // Cancels what is queued or running, lets each piece end (a piece that ignores its token
  // still runs whole: the history writer keeps every run handed over) and joins the thread.
  // Answers still on their way are dropped.
  ~background_worker();
  background_worker(const background_worker&) = delete;
  background_worker& operator=(const background_worker&) = delete;

  // Queues work for the worker's thread, started on first use. false when no thread can be
  // started (the work is then dropped unrun).
  bool run(std::function<void(const cancel_token&)> work);
  // The same, with the work's answer handed to done on the user-interface thread.
  template <typename T>
  bool run(std::function<T(const cancel_token&)> work, std::function<void(T)> done) {
    return run([this, work = std::move(work), done = std::move(done)](const cancel_token& token) {
      auto answer = std::make_shared<T>(work(token));
      post([done, answer] { done(std::move(*answer)); });
    });
  }

  // Any thread: task goes to the user-interface thread, where it runs only while the worker
  // lives. false when the dispatcher refused it (it is then dropped).
  bool post(std::function<void()> task);
  // What posted tasks check: expired once the worker is gone.
  std::weak_ptr<void> alive() const { return alive_; }

  // Cancels the pieces queued or running (each sees it through its token); pieces queued
  // later get a fresh token. Then calls what set_wake gave, so a piece waiting for the network
  // notices at once.
  void cancel();
  void set_wake(std::function<void()> wake) { wake_ = std::move(wake); }
  // Waits until every piece queued so far has run.
  void wait_idle();
  // Pieces queued or running.
  size_t pending() const;

 private:
  struct piece {
    std::function<void(const cancel_token&)> work;
    cancel_token token;
  };
  void loop();

  ui_dispatcher& ui_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::function<void()> wake_;

  mutable std::mutex lock_;  // over what follows
  std::condition_variable changed_;
  std::deque<piece> queue_;
  cancel_token current_;  // given to pieces queued from now on
  size_t running_ = 0;    // 1 while a piece runs
  bool closing_ = false;
  std::thread thread_;  // started on first use; joined by the destructor
};

}  // namespace vantrel
