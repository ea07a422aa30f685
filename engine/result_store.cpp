#include "engine/result_store.h"

namespace vantrel {

void result_store::append(std::vector<std::unique_ptr<headline_item>> items) {
  if (items_.empty()) {
    items_ = std::move(items);
    return;
  }
  items_.reserve(items_.size() + items.size());
  for (auto& item : items) items_.push_back(std::move(item));
}

std::vector<std::unique_ptr<headline_item>> result_store::take_all() {
  std::vector<std::unique_ptr<headline_item>> all;
  all.swap(items_);
  return all;
}

void result_store::clear() {
  items_.clear();
  items_.shrink_to_fit();
}

}  // namespace vantrel
