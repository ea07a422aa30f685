#include "common/queue_policy.h"

#include "common/library.h"

namespace vantrel {

std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site) {
  // An entry without a name runs nothing, whatever file may be named like the placeholder.
  if (site.enabled == 0 || !site.fname) return std::nullopt;
  return find_library_file(root, *site.fname);
}

}  // namespace vantrel
