#include "common/encoding_table.h"

#include "common/text_util.h"

namespace vantrel {

int encoding_index(std::string_view charset) {
  for (size_t i = 0; i < encoding_table.size(); ++i) {
    if (iequals(encoding_table[i].charset, charset)) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace vantrel
