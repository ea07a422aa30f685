#pragma once
// Builds ZIP archives for package tests, including hostile ones.
#include <string>
#include <utility>
#include <vector>

namespace vantrel::testing {

struct zip_member {
  std::string name;  // written as given: may hold "\", "..", or begin with "/"
  std::string content;
};

// Writes a deflated ZIP archive with the members in order. Throws on failure.
void write_zip(const std::string& path, const std::vector<zip_member>& members);

// Rewrites the uncompressed size of every member in the archive's headers, as a hostile
// package would, to hide how large its members inflate.
void falsify_sizes(const std::string& path, unsigned size);

}  // namespace vantrel::testing
