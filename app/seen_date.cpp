#include "app/seen_date.h"

#include <cstdio>
#include <ctime>

#include "common/platform.h"

namespace vantrel {

namespace {

// Days since a fixed day, for the local date of tm (so a day is a calendar day, whatever its
// length at a clock change).
long day_number(const std::tm& tm) {
  const int y = tm.tm_year + 1900 - (tm.tm_mon < 2 ? 1 : 0);
  const int m = tm.tm_mon < 2 ? tm.tm_mon + 13 : tm.tm_mon + 1;
  return 365L * y + y / 4 - y / 100 + y / 400 + (153 * (m + 1)) / 5 + tm.tm_mday;
}

}  // namespace

std::string seen_date(unix_time when, unix_time now) {
  if (when == 0) return {};
  // Names in English whatever the locale, as the rest of the window is for now.
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm seen = platform::local_time(when), today = platform::local_time(now);
  const long days_ago = day_number(today) - day_number(seen);
  char text[32];
  if (days_ago == 0) {
    std::snprintf(text, sizeof text, "%02d:%02d", seen.tm_hour, seen.tm_min);
  } else if (days_ago == 1) {
    return "yesterday";
  } else if (days_ago > 1 && days_ago < 7) {
    return days[seen.tm_wday];
  } else if (seen.tm_year == today.tm_year) {
    std::snprintf(text, sizeof text, "%d %s", seen.tm_mday, months[seen.tm_mon]);
  } else {
    std::snprintf(text, sizeof text, "%d %s %d", seen.tm_mday, months[seen.tm_mon], seen.tm_year + 1900);
  }
  return text;
}

}  // namespace vantrel
