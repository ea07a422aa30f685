#include "common/status.h"

#include <ostream>

namespace vantrel {

const char* status_code_name(status_code code) {
  switch (code) {
    case status_code::ok:
      return "ok";
    case status_code::stopped:
      return "stopped";
    case status_code::not_found:
      return "not found";
    case status_code::invalid:
      return "invalid";
    case status_code::io_error:
      return "input/output error";
    case status_code::damaged:
      return "damaged";
    case status_code::busy:
      return "busy";
    case status_code::full:
      return "full";
    case status_code::read_only:
      return "read-only";
    case status_code::too_new:
      return "too new";
    case status_code::too_large:
      return "too large";
    case status_code::unavailable:
      break;
  }
  return "unavailable";
}

std::ostream& operator<<(std::ostream& out, const status& s) {
  if (s.ok()) return out << "ok";
  return out << status_code_name(s.code()) << ": " << s.message();
}

}  // namespace vantrel
