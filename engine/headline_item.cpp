#include "engine/headline_item.h"

#include "common/encoding_table.h"

namespace vantrel {

// The encodings with fonts of their own are the preferences' table.
int encoding_lookup(std::string_view name) { return encoding_index(name); }

}  // namespace vantrel
