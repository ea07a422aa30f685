#pragma once
// One extracted headline, and the site logo picture that travels with it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/headline.h"

namespace vantrel {

// The owner's picture object (a bitmap in Tidewatch). The engine never looks inside: it only
// copies it into items and gives it back to be freed.
class picture {
 public:
  virtual ~picture() = default;
  // The bytes of the file the picture was read from, shared by its copies (the headline store
  // keeps a site's logo); null when unknown.
  std::shared_ptr<const std::string> file_bytes;
};

// Flags of headline_item::fields_set; the same numbers name the field of a store.
enum field_kind : std::uint16_t { field_heading = 1, field_subheading = 2, field_link = 4 };
constexpr std::uint16_t all_fields = field_heading | field_subheading | field_link;

// A headline as the job found it, with what only the job knows: the site's logo and which of
// its fields the rules have set so far.
struct headline_item : headline {
  std::unique_ptr<picture> logo;  // the site's logo, or null
  std::uint16_t fields_set = 0;   // all_fields in a handed-over item
};

// Encoding index of a character set name: 0 Default (also for any unknown name),
// 1 "windows-1257" (Baltic), 2 "windows-1251" (Cyrillic). Case-insensitive.
int encoding_lookup(std::string_view name);

}  // namespace vantrel
