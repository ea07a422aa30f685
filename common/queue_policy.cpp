#include "common/queue_policy.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "common/library.h"

namespace vantrel {

std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site) {
  // An entry without a name runs nothing, whatever file may be named like the placeholder.
  if (site.enabled == 0 || !site.fname) return std::nullopt;
  return find_library_file(root, *site.fname);
}

std::string site_key_for(const std::string& root, const std::string& parsedef_path) {
  return relative_to_root(root, parsedef_path).value_or(parsedef_path);
}

std::string queued_site_key(const std::string& root, const queue_site& site) {
  if (!site.fname) return missing_text;
  if (auto file = find_library_file(root, *site.fname)) return site_key_for(root, *file);
  return *site.fname;
}

bool refresh_due(const queue_site& site, std::optional<std::int64_t> last_run, std::int64_t now) {
  if (site.enabled == 0 || site.refresh <= 0) return false;
  const std::int64_t last = std::max<std::int64_t>({last_run.value_or(0), site.last_refresh, 0});
  // A last run more than an interval ahead of the clock means the clock went back: due, or
  // the site would wait for the clock to catch up.
  const std::int64_t interval =
      std::min<std::int64_t>(site.refresh, std::numeric_limits<std::int64_t>::max() / 120) * 60;
  return last == 0 || now - last >= interval || last - now > interval;
}

std::vector<size_t> due_entries(const site_queue& queue,
                                const std::function<std::optional<std::int64_t>(const queue_site&)>& last_run,
                                std::int64_t now) {
  std::vector<size_t> due;
  for (size_t i = 0; i < queue.count(); ++i) {
    const queue_site& site = queue[i];
    // Entries without an interval are not even looked up.
    if (site.enabled != 0 && site.refresh > 0 && refresh_due(site, last_run(site), now)) due.push_back(i);
  }
  return due;
}

std::string rules_stamp(const std::string& parsedef_path) {
  std::error_code size_error, time_error;
  const auto size = std::filesystem::file_size(parsedef_path, size_error);
  const auto written = std::filesystem::last_write_time(parsedef_path, time_error);
  if (size_error || time_error) return {};
  return std::to_string(size) + ":" + std::to_string(written.time_since_epoch().count());
}

}  // namespace vantrel
