#include "app/site_selector_model.h"

#include <algorithm>
#include <ctime>

#include "app/installer.h"
#include "common/paths.h"
#include "common/queue_policy.h"
#include "engine/run_recorder.h"

namespace vantrel {

namespace {

void flatten(const library_category& node, std::vector<library_site>& out) {
  for (const auto& c : node.categories) flatten(c, out);
  for (const auto& s : node.sites) out.push_back(s);
}

}  // namespace

site_selector_model::site_selector_model(std::string root, site_queue& queue)
    : root_(std::move(root)), queue_(queue), library_(walk_library(root_, tidewatch_folder)) {
  flatten(library_, sites_);
}

std::optional<size_t> site_selector_model::site_index(const std::string& path) const {
  for (size_t i = 0; i < sites_.size(); ++i) {
    if (sites_[i].path == path) return i;
  }
  return std::nullopt;
}

bool site_selector_model::append(const library_site& site) {
  if (queue_.find(site.relative) != nullptr) return false;
  if (auto problem = queue_name_problem(site.relative)) {
    refusal_ += (refusal_.empty() ? "" : "\n\n") + text_unqueueable_name(site.relative, *problem);
    return false;
  }
  auto entry = std::make_unique<queue_site>();
  entry->fname = site.relative;
  entry->name = site.name;
  queue_.add(std::move(entry));
  return true;
}

bool site_selector_model::add() {
  refusal_.clear();
  if (!tree_selection_ || *tree_selection_ >= sites_.size()) return false;
  return append(sites_[*tree_selection_]);
}

bool site_selector_model::add_all() {
  refusal_.clear();
  bool changed = false;
  for (const auto& site : sites_) changed = append(site) || changed;
  return changed;
}

bool site_selector_model::remove() {
  if (!list_selection_ || *list_selection_ >= queue_.count()) return false;
  queue_.remove_index(*list_selection_);
  // The entry now at the same place stays selected, or the new last one.
  if (queue_.empty()) {
    list_selection_.reset();
  } else if (*list_selection_ >= queue_.count()) {
    list_selection_ = queue_.count() - 1;
  }
  return true;
}

bool site_selector_model::remove_all() {
  if (queue_.empty()) return false;
  queue_.clear();
  list_selection_.reset();
  return true;
}

bool site_selector_model::move(int step) {
  if (!list_selection_ || !queue_.move(*list_selection_, step)) return false;
  list_selection_ = *list_selection_ + static_cast<size_t>(step);  // wraps back for -1
  return true;
}

void site_selector_model::set_enabled(size_t entry, bool enabled) {
  if (entry < queue_.count()) queue_[entry].enabled = enabled ? 1 : 0;
}

std::optional<std::string> site_selector_model::open_path() const {
  if (tree_selection_ && *tree_selection_ < sites_.size()) return sites_[*tree_selection_].path;
  if (list_selection_ && *list_selection_ < queue_.count()) {
    const std::string fname = queue_fname(queue_[*list_selection_]);
    return find_library_file(root_, fname).value_or(library_path(root_, fname));
  }
  return std::nullopt;
}

entry_status site_selector_model::status(size_t entry) const {
  entry_status status{std::nullopt, "Never run"};
  if (entry >= queue_.count() || !last_run_) return status;
  const auto run = last_run_(queued_site_key(root_, queue_[entry]));
  if (!run) return status;
  status.outcome = run->outcome;
  const std::time_t when = static_cast<std::time_t>(run->when);
  char stamp[32] = "";
  if (const std::tm* local = std::localtime(&when)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M", local);
  status.text = std::string(stamp) + ": " + run_text(*run);
  return status;
}

std::string site_selector_model::refresh_text(size_t entry) const {
  if (entry >= queue_.count() || queue_[entry].refresh <= 0) return "Manual";
  const long minutes = queue_[entry].refresh;
  if (minutes % 60 == 0) return "Every " + std::to_string(minutes / 60) + " h";
  return "Every " + std::to_string(minutes) + " min";
}

void site_selector_model::set_refresh(size_t entry, long minutes) {
  if (entry < queue_.count()) queue_[entry].refresh = std::max(0L, minutes);
}

selector_buttons site_selector_model::buttons() const {
  selector_buttons b;
  const bool site = tree_selection_ && *tree_selection_ < sites_.size();
  if (site) b.add = queue_.find(sites_[*tree_selection_].relative) == nullptr;
  b.add_all = !sites_.empty();
  const bool entry = list_selection_ && *list_selection_ < queue_.count();
  b.remove = entry;
  b.remove_all = !queue_.empty();
  b.move_up = entry && *list_selection_ >= 1;
  b.move_down = entry && *list_selection_ + 1 < queue_.count();
  b.open = site || entry;
  return b;
}

}  // namespace vantrel
