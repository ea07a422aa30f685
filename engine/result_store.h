#pragma once
// The headlines that jobs produced, in the order they arrived; the headline list shows them.
// Owned by the user-interface thread: items reach it only through the job control's posted
// tasks, so the Clear command may empty it at any moment, also while a job runs.
#include <cstddef>
#include <memory>
#include <vector>

#include "engine/headline_item.h"

namespace vantrel {

class result_store {
 public:
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // REQUIRES: index < size().
  const headline_item& operator[](size_t index) const { return *items_[index]; }
  headline_item& operator[](size_t index) { return *items_[index]; }

  void append(std::vector<std::unique_ptr<headline_item>> items);
  // Frees every item and its logo (the Clear command).
  void clear();
  // Every item, leaving the store empty.
  std::vector<std::unique_ptr<headline_item>> take_all();

 private:
  std::vector<std::unique_ptr<headline_item>> items_;
};

}  // namespace vantrel
