#pragma once
// What the Site Selector decides, without a toolkit: the available sites of the library, the
// queue being composed, the selections on both sides, each command and which buttons are on.
// The dialog shows this model and forwards its controls' events here.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/headline_store.h"
#include "common/library.h"
#include "common/site_queue.h"

namespace vantrel {

struct selector_buttons {
  bool add = false, add_all = false, remove = false, remove_all = false, move_up = false, move_down = false,
       open = false;
};

// How a queued site last ran, as its row shows it.
struct entry_status {
  std::optional<run_outcome> outcome;  // none: it never ran
  std::string text;                    // "2026-12-08 10:42: 12 headlines, 3 new", "Never run"
};

class site_selector_model {
 public:
  // Walks the library under root; the queue is edited in place.
  site_selector_model(std::string root, site_queue& queue);

  const library_category& library() const { return library_; }
  const site_queue& queue() const { return queue_; }
  // Every available site, in tree order; tree items name them by index.
  const std::vector<library_site>& sites() const { return sites_; }
  // The index in sites() of a site of library(), by its path.
  std::optional<size_t> site_index(const std::string& path) const;

  // The tree's selection: a site's index, or none (nothing, or a category).
  void select_site(std::optional<size_t> site) { tree_selection_ = site; }
  // The queue list's selection.
  void select_entry(std::optional<size_t> entry) { list_selection_ = entry; }
  std::optional<size_t> selected_entry() const { return list_selection_; }

  // The commands; each returns whether the queue changed.
  // Add and Add all leave out a site whose file name the queue file cannot hold (see
  // refusal_text).
  bool add();
  bool add_all();
  bool remove();
  bool remove_all();
  bool move(int step);  // -1 up, +1 down
  void set_enabled(size_t entry, bool enabled);
  // The file Open processes: the selected site, else the selected queue entry's; none with
  // neither.
  std::optional<std::string> open_path() const;

  // Where the entries' last runs come from (by site key); without it every entry never ran.
  void set_run_source(std::function<std::optional<site_run>(const std::string& key)> last_run) {
    last_run_ = std::move(last_run);
  }
  entry_status status(size_t entry) const;
  // The refresh interval as the queue list shows it: "Every 30 min", "Every 2 h", "Manual".
  std::string refresh_text(size_t entry) const;
  // The entry's refresh interval in minutes (0: only when the user runs the queue).
  void set_refresh(size_t entry, long minutes);

  // Why the last Add or Add all left sites out, for a message; empty when it left none out.
  const std::string& refusal_text() const { return refusal_; }

  selector_buttons buttons() const;

 private:
  bool append(const library_site& site);

  std::string root_;
  site_queue& queue_;
  library_category library_;
  std::vector<library_site> sites_;
  std::optional<size_t> tree_selection_, list_selection_;
  std::string refusal_;
  std::function<std::optional<site_run>(const std::string&)> last_run_;
};

}  // namespace vantrel
