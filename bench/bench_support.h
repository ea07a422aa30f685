#pragma once
// What the benchmarks share.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "engine/parser_job.h"

namespace vantrel::bench {

// A job owner that only counts the headlines.
struct item_counter : job_callbacks {
  size_t items = 0;
  void add_item(std::unique_ptr<headline_item>) override { ++items; }
};

// The best of rounds runs of step, in milliseconds: the figure least disturbed by other work.
inline double best_ms(const std::function<void()>& step, int rounds) {
  double best = 1e9;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    step();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace vantrel::bench
