#pragma once
// Saving a document as a ParseDef package: the document as "<title>.xml" (title of the target's
// file name) and the logo under its own file name. Nothing is written that the package reader
// would refuse. The archive is written beside the target (with the target's rights), flushed to
// the disk and renamed over it only when complete, so a failed save never touches the previous
// package.
#include <optional>
#include <string>

#include "common/status.h"

namespace vantrel {

// Why the reader would refuse the package this save makes (a member name it takes for a path
// outside its folder, a member or a whole larger than it unpacks, a logo that is no file), or
// nullopt when it would read it.
std::optional<std::string> package_problem(const std::string& target, const std::string& document,
                                           const std::string& logo_path);

// A failure, with one line saying why, when the package would be refused (invalid) or any part
// cannot be written (the archive, the document member, the logo); the target is then as it was.
status write_package(const std::string& target, const std::string& document, const std::string& logo_path);

}  // namespace vantrel
