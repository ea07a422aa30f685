#pragma once
// What the benchmarks share.
#include <atomic>
#include <cstddef>
#include <memory>

#include "engine/parser_job.h"

namespace vantrel::bench {

// A job owner that only counts the headlines.
struct item_counter : job_callbacks {
  size_t items = 0;
  void add_item(std::unique_ptr<headline_item>) override { ++items; }
};

}  // namespace vantrel::bench
