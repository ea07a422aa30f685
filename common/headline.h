#pragma once
// One headline as every layer passes it: the parse job's items, the headline store's rows, the
// reading list, the Preview, the suggester and the feeds all are, or embed, this value. A
// field added here reaches them all; only the boundaries that print or store it (JSON, feeds,
// SQL) learn of it by hand.
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// Seconds since the epoch.
using unix_time = std::int64_t;

struct headline {
  std::string heading;                    // never empty in a handed-over headline
  std::optional<std::string> subheading;  // none when the section has no subheading
  std::string link;                       // absolute address; empty only when none was found
  int encoding = 0;                       // encoding index of the texts
  unix_time first_seen = 0;               // when the store first saw it; 0 when it was never kept

  bool operator==(const headline&) const = default;
};

}  // namespace vantrel
