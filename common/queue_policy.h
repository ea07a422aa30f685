#pragma once
// Which file a queue entry runs: the one rule Tidewatch's queue runner and the console tool's
// --queue share, so a site the Site Selector shows as queued is the site that runs.
#include <optional>
#include <string>

#include "common/site_queue.h"

namespace vantrel {

// The file an enabled entry runs: its relative name under root, found by the library's
// letter-case rule (exactly, else ignoring case). nullopt when the entry is disabled, has no
// name, or there is no such regular file.
std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site);

}  // namespace vantrel
