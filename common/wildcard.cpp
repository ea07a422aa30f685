#include "common/wildcard.h"

#include <string>

namespace vantrel {
namespace {

// Checks the set that opens at pattern[pos] == '['; returns the position after its "]",
// or npos when the set is bad.
size_t scan_set(std::string_view p, size_t pos) {
  size_t i = pos + 1;
  if (i < p.size() && (p[i] == '!' || p[i] == '^')) ++i;
  if (i < p.size() && p[i] == ']') return std::string_view::npos;  // empty set
  while (i < p.size() && p[i] != ']') {
    if (p[i] == '\\') {
      if (++i >= p.size()) return std::string_view::npos;
    }
    ++i;
    if (i < p.size() && p[i] == '-') {
      ++i;
      if (i >= p.size() || p[i] == ']') return std::string_view::npos;  // range without end
      if (p[i] == '\\' && ++i >= p.size()) return std::string_view::npos;
      ++i;
    }
  }
  if (i >= p.size()) return std::string_view::npos;  // not closed
  return i + 1;
}

bool pattern_is_good(std::string_view p) {
  for (size_t i = 0; i < p.size();) {
    if (p[i] == '[') {
      i = scan_set(p, i);
      if (i == std::string_view::npos) return false;
    } else if (p[i] == '\\') {
      if (i + 1 >= p.size()) return false;
      i += 2;
    } else {
      ++i;
    }
  }
  return true;
}

bool set_has(std::string_view p, size_t open, size_t end, unsigned char c) {
  size_t i = open + 1;
  bool invert = false;
  if (p[i] == '!' || p[i] == '^') {
    invert = true;
    ++i;
  }
  bool found = false;
  const size_t close = end - 1;
  while (i < close) {
    if (p[i] == '\\') ++i;
    unsigned char lo = static_cast<unsigned char>(p[i++]);
    unsigned char hi = lo;
    if (i < close && p[i] == '-') {
      ++i;
      if (p[i] == '\\') ++i;
      hi = static_cast<unsigned char>(p[i++]);
      if (hi < lo) std::swap(lo, hi);
    }
    if (c >= lo && c <= hi) found = true;
  }
  return found != invert;
}

// Matches one pattern element (not "*") at p[pi] against c; sets next to the element's end.
bool element_matches(std::string_view p, size_t pi, unsigned char c, size_t& next) {
  if (p[pi] == '?') {
    next = pi + 1;
    return true;
  }
  if (p[pi] == '[') {
    next = scan_set(p, pi);
    return set_has(p, pi, next, c);
  }
  if (p[pi] == '\\') ++pi;
  next = pi + 1;
  return static_cast<unsigned char>(p[pi]) == c;
}

}  // namespace

bool wildcard_match(std::string_view p, std::string_view t) {
  if (!pattern_is_good(p)) return false;
  size_t pi = 0, ti = 0;
  size_t star_p = std::string_view::npos, star_t = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star_p = pi++;
      star_t = ti;
      continue;
    }
    size_t next = 0;
    if (pi < p.size() && element_matches(p, pi, static_cast<unsigned char>(t[ti]), next)) {
      pi = next;
      ++ti;
      continue;
    }
    if (star_p == std::string_view::npos) return false;
    pi = star_p + 1;
    ti = ++star_t;
  }
  std::string_view rest = p.substr(pi);
  return rest.empty() || rest == "*";
}

}  // namespace vantrel
