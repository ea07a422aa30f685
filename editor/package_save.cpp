#include "editor/package_save.h"

#include <filesystem>

#include "common/platform.h"
#include "editor/zip_writer.h"

namespace vantrel {

bool write_package(const std::string& target, const std::string& document, const std::string& logo_path,
                   std::string* why) {
  namespace fs = std::filesystem;
  const fs::path destination(target);
  std::string reason;
  const std::string folder = destination.has_parent_path() ? destination.parent_path().string() : ".";
  auto temp = platform::create_unique_file(folder, "." + destination.filename().string() + ".", &reason);
  if (!temp) {
    if (why) *why = reason;
    return false;
  }
  std::error_code ec;
  try {
    zip_writer zip;
    zip.open(*temp);
    add_bytes(zip, destination.stem().string() + ".xml", document);
    if (!logo_path.empty() && !add_file(zip, logo_path, &reason)) throw zip_file_error(reason);
    zip.close();
  } catch (const std::exception& e) {
    fs::remove(*temp, ec);
    if (why) *why = e.what();
    return false;
  }
  fs::rename(*temp, destination, ec);
  if (ec) {
    fs::remove(*temp, ec);
    if (why) *why = target + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace vantrel
