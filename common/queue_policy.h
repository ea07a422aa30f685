#pragma once
// Which file a queue entry runs: the one rule Tidewatch's queue runner and the console tool's
// --queue share, so a site the Site Selector shows as queued is the site that runs.
#include <optional>
#include <string>

#include "common/site_queue.h"

namespace vantrel {

// The entry's relative name as the queue file keeps it ("NULL" for none).
std::string queue_fname(const queue_site& site);
// The file an enabled entry runs: its relative name under root, found by the library's
// letter-case rule (exactly, else ignoring case). nullopt when the entry is disabled or there
// is no such regular file.
std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site);

}  // namespace vantrel
