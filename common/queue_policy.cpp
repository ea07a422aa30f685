#include "common/queue_policy.h"

#include "common/library.h"

namespace vantrel {

std::string queue_fname(const queue_site& site) { return site.fname.value_or("NULL"); }

std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site) {
  if (site.enabled == 0) return std::nullopt;
  return find_library_file(root, queue_fname(site));
}

}  // namespace vantrel
