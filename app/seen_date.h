#pragma once
// When a headline was first seen, as its row says it: short, in local time, and coarser the
// older it is.
#include <string>

#include "common/headline.h"

namespace vantrel {

// "10:42" the same day, "yesterday", a weekday ("Mon") within the week, "3 Dec" within the
// year, "3 Dec 2025" before; "" when it was never kept (0). A time after now (a clock set back)
// is told by its date.
std::string seen_date(unix_time when, unix_time now);

// The widest text seen_date gives, for the column the rows keep free for it.
constexpr const char* widest_seen_date = "28 Sep 2026";

}  // namespace vantrel
