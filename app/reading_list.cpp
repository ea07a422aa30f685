#include "app/reading_list.h"

#include <algorithm>
#include <string_view>

#include "common/case_fold.h"

namespace vantrel {

namespace {

std::string folded_texts(const reading_row& row) {
  std::string text;
  text.reserve(row.heading.size() + (row.subheading ? row.subheading->size() + 1 : 0));
  append_folded(text, row.heading);
  if (row.subheading) {
    text.push_back('\n');  // a filter never spans the two
    append_folded(text, *row.subheading);
  }
  return text;
}

}  // namespace

std::uint32_t reading_list::site_index(const std::string& key, const std::string& name) {
  for (std::uint32_t i = 0; i < sites_.size(); ++i) {
    if (sites_[i].key == key) {
      if (!name.empty()) sites_[i].name = name;
      return i;
    }
  }
  sites_.push_back({key, name.empty() ? key : name, nullptr});
  return static_cast<std::uint32_t>(sites_.size() - 1);
}

void reading_list::append(std::vector<reading_row> rows) {
  const size_t first = rows_.size();
  append_rows(std::move(rows));
  if (!filtered_) return;
  // The rows come at the end: only they need looking at.
  const std::vector<char> sites = site_matches();
  for (size_t i = first; i < rows_.size(); ++i)
    if (matches(i, sites)) shown_.push_back(static_cast<std::uint32_t>(i));
}

void reading_list::append_rows(std::vector<reading_row> rows) {
  rows_.reserve(rows_.size() + rows.size());
  for (reading_row& row : rows) {
    folded_.push_back(folded_texts(row));
    serial_.push_back(next_serial_++);
    if (!row.read) ++unread_;
    rows_.push_back(std::move(row));
  }
}

void reading_list::replace_site(std::uint32_t site, std::vector<reading_row> rows) {
  // Where the block goes: where it was, else before the first block of a later queue place.
  size_t at = rows_.size();
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].site == site || comes_before(site, rows_[i].site)) {
      at = i;
      break;
    }
  }
  remove_rows(site);
  if (at > rows_.size()) at = rows_.size();
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  std::vector<std::string> folded;
  std::vector<std::uint64_t> serials;
  folded.reserve(rows.size());
  for (size_t i = at; i < at + rows.size(); ++i) {
    folded.push_back(folded_texts(rows_[i]));
    serials.push_back(next_serial_++);
  }
  folded_.insert(folded_.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(folded.begin()),
                 std::make_move_iterator(folded.end()));
  serial_.insert(serial_.begin() + static_cast<std::ptrdiff_t>(at), serials.begin(), serials.end());
  count_unread();
  if (filtered_) refilter();
}

void reading_list::remove_site(std::uint32_t site) {
  remove_rows(site);
  count_unread();
  if (filtered_) refilter();
}

void reading_list::remove_rows(std::uint32_t site) {
  size_t kept = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].site == site) continue;
    if (kept != i) {
      rows_[kept] = std::move(rows_[i]);
      folded_[kept] = std::move(folded_[i]);
      serial_[kept] = serial_[i];
    }
    ++kept;
  }
  rows_.resize(kept);
  folded_.resize(kept);
  serial_.resize(kept);
}

bool reading_list::comes_before(std::uint32_t site, std::uint32_t other) const {
  // Sites without a queue place (opened on their own) come after those with one.
  return site != other && sites_[site].place < sites_[other].place;
}

void reading_list::clear() {
  rows_.clear();
  folded_.clear();
  serial_.clear();
  shown_.clear();
  unread_ = 0;
}

std::uint64_t reading_list::row_tag(size_t shown) const {
  const size_t index = index_of(shown);
  // Store ids and serials never meet: serials count down from the top.
  return rows_[index].id > 0 ? static_cast<std::uint64_t>(rows_[index].id) : ~serial_[index];
}

bool reading_list::matches(size_t index, const std::vector<char>& site_matches) const {
  return site_matches[rows_[index].site] != 0 || folded_[index].find(folded_filter_) != std::string::npos;
}

void reading_list::set_filter(const std::string& text) {
  const std::string folded = fold_case(text);
  // A filter typed further narrows the rows already shown; any other change looks at all.
  const bool narrower = filtered_ && folded.find(folded_filter_) != std::string::npos;
  filter_ = text;
  folded_filter_ = folded;
  if (folded.empty()) {
    filtered_ = false;
    shown_.clear();
    return;
  }
  if (!narrower) {
    filtered_ = true;
    refilter();
    return;
  }
  const std::vector<char> sites = site_matches();
  std::erase_if(shown_, [&](std::uint32_t index) { return !matches(index, sites); });
}

std::vector<char> reading_list::site_matches() const {
  std::vector<char> found(sites_.size());
  for (size_t s = 0; s < sites_.size(); ++s)
    found[s] = fold_case(sites_[s].name).find(folded_filter_) != std::string::npos;
  return found;
}

void reading_list::refilter() {
  const std::vector<char> site_matches = this->site_matches();
  shown_.clear();
  for (size_t i = 0; i < rows_.size(); ++i)
    if (matches(i, site_matches)) shown_.push_back(static_cast<std::uint32_t>(i));
}

std::int64_t reading_list::mark_read(size_t shown) {
  reading_row& row = rows_[index_of(shown)];
  if (row.read) return -1;
  row.read = true;
  row.fresh = false;  // new until read
  --unread_;
  return row.id;
}

void reading_list::mark_all_read() {
  for (reading_row& row : rows_) {
    row.read = true;
    row.fresh = false;
  }
  unread_ = 0;
}

void reading_list::count_unread() {
  unread_ = static_cast<unsigned long>(
      std::count_if(rows_.begin(), rows_.end(), [](const reading_row& r) { return !r.read; }));
}

}  // namespace vantrel
