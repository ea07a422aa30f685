#pragma once
// The rules Tidewatch's queue runner and the console tool's --queue share: which file a queue
// entry runs, the key its history is kept under, when it is due to run again, and whether its
// rules changed since its page was last read. So a site the Site Selector shows as queued is
// the site that runs, and the window and a timer agree on what is due.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/site_queue.h"

namespace vantrel {

// The file an enabled entry runs: its relative name under root, found by the library's
// letter-case rule (exactly, else ignoring case). nullopt when the entry is disabled, has no
// name, or there is no such regular file.
std::optional<std::string> queued_site_file(const std::string& root, const queue_site& site);

// The key a site's headlines and runs are kept under: its path relative to the ParseDef root
// as the file system spells it (so "NEWS/A.XML" in the queue and "News/a.xml" opened from the
// library are one site), or its absolute path when it lies outside the library.
std::string site_key_for(const std::string& root, const std::string& parsedef_path);
// The key of a queue entry, whether enabled or not: that of the file it names when there is
// one, else its relative name as written.
std::string queued_site_key(const std::string& root, const queue_site& site);

// Whether an entry is due to run by itself at now (seconds since the epoch): its refresh is
// its interval in minutes, counted from its last run of any outcome (so a failing site is
// tried again after its interval, not at every tick). The last run is the later of the one
// given (from the headline store) and the queue file's last_refresh. A refresh of 0 or less
// runs only when the user runs the queue; a disabled entry never.
bool refresh_due(const queue_site& site, std::optional<std::int64_t> last_run, std::int64_t now);

// The enabled entries due at now, in queue order; last_run gives an entry's last run from the
// headline store (none when it never ran or there is no store).
std::vector<size_t> due_entries(const site_queue& queue,
                                const std::function<std::optional<std::int64_t>(const queue_site&)>& last_run,
                                std::int64_t now);

// What tells the rules of a ParseDef file apart from its earlier versions (its size and when it
// was last written); "" when the file cannot be read. A page is asked for conditionally only
// with the rules that read it last time: edited rules read the whole page again.
std::string rules_stamp(const std::string& parsedef_path);

}  // namespace vantrel
