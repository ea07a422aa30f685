#pragma once
// The console tool's exit statuses, and the one place a failure becomes one.
#include "common/status.h"

namespace vantrel::cli {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;     // the ParseDef or the page could not be loaded, fetched or parsed
constexpr int exit_usage = 2;      // wrong usage
constexpr int exit_nothing = 3;    // rules that found nothing, an example not on the page
constexpr int exit_stopped = 130;  // Ctrl-C, as a shell counts SIGINT

inline int exit_status_of(const status& s) {
  switch (s.code()) {
    case status_code::ok:
      return exit_ok;
    case status_code::stopped:
      return exit_stopped;
    case status_code::not_found:
      return exit_nothing;
    default:
      return exit_failed;
  }
}

}  // namespace vantrel::cli
