#include "engine/headline_item.h"

#include "common/text_util.h"

namespace vantrel {

int encoding_lookup(std::string_view name) {
  static constexpr std::string_view table[] = {"", "windows-1257", "windows-1251"};
  for (int i = 0; i < 3; ++i)
    if (iequals(name, table[i])) return i;
  return 0;
}

}  // namespace vantrel
