#pragma once
// The console tool's exit statuses, and the one place a failure becomes one.
#include "common/status.h"

namespace vantrel::cli {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;     // the ParseDef or the page could not be loaded, fetched or parsed
constexpr int exit_usage = 2;      // wrong usage
constexpr int exit_nothing = 3;    // rules that found nothing, an example not on the page
constexpr int exit_stopped = 130;  // Ctrl-C, as a shell counts SIGINT

// What a failure to have the ParseDef or the page exits with: stopped, or failed.
inline int exit_status_of(const status& s) {
  if (s.ok()) return exit_ok;
  return s.is(status_code::stopped) ? exit_stopped : exit_failed;
}

}  // namespace vantrel::cli
