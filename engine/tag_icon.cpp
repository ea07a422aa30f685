#include "engine/tag_icon.h"

#include "common/text_util.h"

namespace vantrel {

int tag_icon(std::string_view name, bool is_start) {
  struct entry {
    std::string_view name;
    int start, end;
  };
  static constexpr entry table[] = {
      {"table", 4, 5},  {"a", 6, 7},      {"img", 8, 9},    {"font", 1, 10},  {"script", 11, 12},
      {"meta", 13, 14}, {"html", 15, 16}, {"head", 17, 18}, {"body", 19, 20},
  };
  for (const entry& e : table)
    if (iequals(name, e.name)) return is_start ? e.start : e.end;
  return is_start ? 2 : 3;
}

}  // namespace vantrel
