#pragma once
// The site queue: the user's ordered list of library sites that the queue runner processes one
// after another, kept in "queue.xml" in the ParseDef root.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What the queue file holds for a missing text.
constexpr const char* missing_text = "NULL";

struct queue_site {
  std::optional<std::string> fname;  // path relative to the ParseDef root; none is missing_text
  std::optional<std::string> name;   // the site's name when the entry was made
  long refresh = 0;                  // stored and loaded, used by nothing else
  long last_refresh = 0;
  int enabled = 1;  // the runner skips entries with 0
};

// The entry's relative name as the queue file keeps it (missing_text for none).
inline std::string queue_fname(const queue_site& site) { return site.fname.value_or(missing_text); }
// The entry's name as the Site Selector lists it (missing_text for none).
inline std::string queue_name(const queue_site& site) { return site.name.value_or(missing_text); }

class site_queue {
 public:
  // Writes the queue file atomically. The bytes written, or -1 when it cannot be written or
  // would not read back as the same entries (the file is then untouched). A queue file that failed to load is first
  // kept as path + ".bak", once, so an unreadable queue is never silently replaced by an empty one.
  long save(const std::string& path);
  // Empties the queue, then reads path. 0, or -1 when the file is missing, unreadable, not
  // well-formed or not a queue file (the queue then stays empty).
  int load(const std::string& path);

  // The first entry whose fname equals fname: exactly, else ignoring letter case.
  queue_site* find(const std::string& fname);
  int remove(const std::string& fname);  // 0, or -1 when find finds none
  void remove_index(size_t index);       // an index outside the queue is ignored
  void clear() { sites_.clear(); }
  void add(std::unique_ptr<queue_site> site) { sites_.push_back(std::move(site)); }
  // Moves the entry at index one place up (-1) or down (+1); false when it cannot move.
  bool move(size_t index, int step);

  size_t count() const { return sites_.size(); }
  bool empty() const { return sites_.empty(); }
  queue_site& operator[](size_t index) { return *sites_[index]; }
  const queue_site& operator[](size_t index) const { return *sites_[index]; }

 private:
  std::vector<std::unique_ptr<queue_site>> sites_;
  std::optional<std::string> unreadable_;  // a queue file that failed to load, not yet kept
};

// Why a relative name cannot go into the queue (it would not read back from the queue file:
// not UTF-8, or a control character), as a sentence, or nullopt when it can. File names are bytes; the queue
// file is text.
std::optional<std::string> queue_name_problem(std::string_view fname);

// The queue file of a ParseDef root.
std::string queue_path(const std::string& parsedef_root);

}  // namespace vantrel
