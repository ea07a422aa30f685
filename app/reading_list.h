#pragma once
// What the headline list shows, without a toolkit: every site's block of headlines (as the
// headline store keeps them, or as a run without a store found them), each row new, read or
// neither, and the filter that narrows the rows to those whose heading, subheading or site
// name holds what the user typed. Rows are addressed by their place among the rows shown.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/headline_item.h"

namespace vantrel {

struct reading_site {
  std::string key, name;
  std::shared_ptr<picture> logo;  // drawn in each of the site's rows; may be null
  size_t place = static_cast<size_t>(-1);  // in the site queue; none for a site opened on its own
};

struct reading_row : headline {
  std::int64_t id = 0;  // in the headline store; 0 when not kept there
  std::uint32_t site = 0;
  bool fresh = false;  // new: not read since it was first seen
  bool read = false;
};

class reading_list {
 public:
  // The site with this key, added (with its name) when there is none.
  std::uint32_t site_index(const std::string& key, const std::string& name = {});
  reading_site& site(std::uint32_t index) { return sites_[index]; }
  const reading_site& site(std::uint32_t index) const { return sites_[index]; }

  // Rows at the end, in order (the store's headlines at start).
  void append(std::vector<reading_row> rows);
  // A site's rows after its run: they take the place of its old ones, so a block keeps its
  // place however often its site runs. A site without rows yet goes before the first site of
  // a later queue place (at the end when there is none).
  void replace_site(std::uint32_t site, std::vector<reading_row> rows);
  // Takes a site's rows out of the list.
  void remove_site(std::uint32_t site);
  void clear();

  // The rows shown.
  size_t size() const { return filtered_ ? shown_.size() : rows_.size(); }
  const reading_row& row(size_t shown) const { return rows_[index_of(shown)]; }
  // What identifies a row across runs and filters: its store id, else its place of making.
  std::uint64_t row_tag(size_t shown) const;

  // Narrows the rows shown to those whose heading, subheading or site name holds text,
  // ignoring letter case; "" shows every row.
  void set_filter(const std::string& text);
  const std::string& filter() const { return filter_; }

  // Marks a shown row read; its store id (0 when not stored), or -1 when it already was.
  std::int64_t mark_read(size_t shown);
  void mark_all_read();
  unsigned long unread() const { return unread_; }
  size_t total() const { return rows_.size(); }

 private:
  size_t index_of(size_t shown) const { return filtered_ ? shown_[shown] : shown; }
  void append_rows(std::vector<reading_row> rows);
  void remove_rows(std::uint32_t site);
  bool comes_before(std::uint32_t site, std::uint32_t other) const;
  // Which sites' names hold the filter, by site index.
  std::vector<char> site_matches() const;
  bool matches(size_t index, const std::vector<char>& site_matches) const;
  void refilter();
  void count_unread();

  std::vector<reading_site> sites_;
  std::vector<reading_row> rows_;
  std::vector<std::string> folded_;    // each row's heading and subheading, folded for the filter
  std::vector<std::uint64_t> serial_;  // each row's place of making, for rows without an id
  std::uint64_t next_serial_ = 1;
  std::string filter_, folded_filter_;
  bool filtered_ = false;
  std::vector<std::uint32_t> shown_;  // with a filter: the indexes of the rows shown
  unsigned long unread_ = 0;
};

}  // namespace vantrel
