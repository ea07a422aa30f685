// The one background worker: pieces run in order on a thread of its own and answer on the
// user-interface thread; a cancel reaches the piece running and those queued, not those after;
// a worker that goes still runs what it was handed but delivers no answer.
#include "engine/background_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

TEST(BackgroundWorker, PiecesRunInOrderOffTheInterfaceThreadAndAnswerOnIt) {
  queue_dispatcher ui;
  background_worker worker(ui);
  const auto ui_thread = std::this_thread::get_id();
  std::vector<int> answers;
  std::atomic<bool> off_thread{true};
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(worker.run<int>(
        [i, ui_thread, &off_thread](const cancel_token&) {
          if (std::this_thread::get_id() == ui_thread) off_thread = false;
          return i * i;
        },
        [&answers, ui_thread](int answer) {
          EXPECT_EQ(std::this_thread::get_id(), ui_thread);
          answers.push_back(answer);
        }));
  }
  worker.wait_idle();
  EXPECT_EQ(worker.pending(), 0u);
  EXPECT_TRUE(answers.empty()) << "answers wait for the interface thread";
  ui.run_pending();
  ASSERT_EQ(answers.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(answers[i], i * i);
  EXPECT_TRUE(off_thread);
}

TEST(BackgroundWorker, CancelReachesTheRunningAndQueuedPiecesOnly) {
  queue_dispatcher ui;
  std::atomic<int> wakes{0};  // before the worker: its end wakes once more
  background_worker worker(ui);
  worker.set_wake([&wakes] { ++wakes; });
  std::atomic<bool> started{false};
  std::vector<bool> saw_cancel(3, false);
  // The first piece waits for its cancel; the second is queued behind it when the cancel comes.
  ASSERT_TRUE(worker.run([&](const cancel_token& token) {
    started = true;
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!token.cancelled() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    saw_cancel[0] = token.cancelled();
  }));
  ASSERT_TRUE(worker.run([&](const cancel_token& token) { saw_cancel[1] = token.cancelled(); }));
  while (!started) std::this_thread::sleep_for(1ms);
  worker.cancel();
  EXPECT_EQ(wakes, 1) << "a piece waiting for the network is woken";
  ASSERT_TRUE(worker.run([&](const cancel_token& token) { saw_cancel[2] = token.cancelled(); }));
  worker.wait_idle();
  EXPECT_TRUE(saw_cancel[0]);
  EXPECT_TRUE(saw_cancel[1]) << "queued before the cancel";
  EXPECT_FALSE(saw_cancel[2]) << "queued after it: a fresh token";
}

TEST(BackgroundWorker, AWorkerThatGoesRunsWhatItWasHandedButDeliversNothing) {
  queue_dispatcher ui;
  std::atomic<int> ran{0};
  int answered = 0;
  bool cancelled_at_end = false;
  {
    background_worker worker(ui);
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(worker.run<int>(
          [&ran](const cancel_token&) {
            std::this_thread::sleep_for(100us);
            return ++ran;
          },
          [&answered](int) { ++answered; }));
    }
    ASSERT_TRUE(worker.run([&](const cancel_token& token) { cancelled_at_end = token.cancelled(); }));
  }  // gone at once: every piece still runs, each seeing the cancel
  EXPECT_EQ(ran, 50);
  EXPECT_TRUE(cancelled_at_end);
  ui.run_pending();
  EXPECT_EQ(answered, 0) << "answers of a worker that is gone are dropped";
}

TEST(BackgroundWorker, PostsOutliveNothing) {
  queue_dispatcher ui;
  int delivered = 0;
  auto worker = std::make_unique<background_worker>(ui);
  EXPECT_TRUE(worker->post([&delivered] { ++delivered; }));
  ui.run_pending();
  EXPECT_EQ(delivered, 1);
  EXPECT_TRUE(worker->post([&delivered] { ++delivered; }));
  const std::weak_ptr<void> alive = worker->alive();
  worker.reset();
  EXPECT_TRUE(alive.expired());
  ui.run_pending();
  EXPECT_EQ(delivered, 1);
}

}  // namespace
}  // namespace vantrel
