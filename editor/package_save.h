#pragma once
// Saving a document as a ParseDef package: the document as "<title>.xml" (title of the target's
// file name) and the logo under its own file name. The archive is written beside the target
// and renamed over it only when complete, so a failed save never touches the previous package.
#include <string>

namespace vantrel {

// false, with one line saying why, when any part cannot be written (the archive, the document
// member, the logo); the target is then as it was.
bool write_package(const std::string& target, const std::string& document, const std::string& logo_path,
                   std::string* why);

}  // namespace vantrel
