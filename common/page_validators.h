#pragma once
// What a site's page said about itself (its ETag and Last-Modified), kept so the next fetch
// can ask whether it changed since.
#include <optional>
#include <string>

namespace vantrel {

struct page_validators {
  std::optional<std::string> etag, last_modified;
  bool empty() const { return !etag && !last_modified; }
  bool operator==(const page_validators&) const = default;
};

}  // namespace vantrel
