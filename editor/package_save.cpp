#include "editor/package_save.h"

#include <filesystem>

#include "common/parsedef_package.h"
#include "common/platform.h"
#include "editor/zip_writer.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::string document_member(const std::string& target) { return fs::path(target).stem().string() + ".xml"; }

// A member name the reader takes as it is: a plain name, no "\" (read as a folder), no "..".
std::optional<std::string> name_problem(const std::string& name) {
  if (name.find('\\') != std::string::npos) return "\\ in a member name (\"" + name + "\") is read as a folder";
  if (!safe_member_path(name) || name.find('/') != std::string::npos) return "\"" + name + "\" is no plain file name";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> package_problem(const std::string& target, const std::string& document,
                                           const std::string& logo_path) {
  const std::string member = document_member(target);
  if (auto problem = name_problem(member)) return "the package's name does not fit: " + *problem;
  if (document.size() > parsedef_package::max_member_size) return "the document is larger than 64 MiB";
  if (logo_path.empty()) return std::nullopt;
  std::error_code ec;
  const auto status = fs::status(logo_path, ec);
  if (!fs::exists(status)) return "the logo " + logo_path + " does not exist";
  if (!fs::is_regular_file(status)) return "the logo " + logo_path + " is not a file";
  const auto size = fs::file_size(logo_path, ec);
  if (ec) return "the logo " + logo_path + " cannot be read: " + ec.message();
  if (size > parsedef_package::max_member_size) return "the logo " + logo_path + " is larger than 64 MiB";
  if (size + document.size() > parsedef_package::max_total_size)
    return "the document and the logo are larger than 64 MiB";
  const std::string logo_member = fs::path(logo_path).filename().string();
  if (auto problem = name_problem(logo_member)) return "the logo's name does not fit: " + *problem;
  if (logo_member == member) return "the logo's name is the document's (" + member + ")";
  return std::nullopt;
}

status write_package(const std::string& target, const std::string& document, const std::string& logo_path) {
  if (auto problem = package_problem(target, document, logo_path)) return {status_code::invalid, *problem};
  auto temp = platform::create_file_beside(target);
  if (!temp) return temp.error();
  std::error_code ec;
  try {
    zip_writer zip;
    zip.open(*temp);
    add_bytes(zip, document_member(target), document);
    if (!logo_path.empty()) {
      if (status added = add_file(zip, logo_path); !added.ok()) throw zip_file_error(added.message());
    }
    zip.close();
  } catch (const std::exception& e) {
    fs::remove(*temp, ec);
    return {status_code::io_error, e.what()};
  }
  // The package keeps the rights the user gave it (a read-only one stays read-only).
  if (const auto old = fs::status(target, ec); fs::exists(old)) fs::permissions(*temp, old.permissions(), ec);
  fs::rename(*temp, target, ec);
  if (ec) {
    const std::string why = target + ": " + ec.message();
    fs::remove(*temp, ec);
    return {status_code::io_error, why};
  }
  const fs::path folder = fs::path(target).parent_path();
  platform::sync_folder(folder.empty() ? "." : folder.string());
  return {};
}

}  // namespace vantrel
