#include "common/parsedef_package.h"

#include <unzip.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "common/file_handle.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/text_util.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

struct unz_closer {
  void operator()(void* f) const { unzClose(static_cast<unzFile>(f)); }
};
using unz_ptr = std::unique_ptr<void, unz_closer>;

constexpr const char* too_large_in_total = "unpacks to more than 64 MiB in all";

std::string extension_of(const std::string& name) {
  size_t dot = name.rfind('.');
  size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return lower_ascii(std::string_view(name).substr(dot + 1));
}

std::string package_title(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::optional<std::string> safe_member_path(const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty() || path[0] == '/') return std::nullopt;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0) return std::nullopt;
    start = end + 1;
  }
  return path;
}

parsedef_package::~parsedef_package() { remove_unpacked(); }

int parsedef_package::fail(std::string why) {
  last_error_ = std::move(why);
  // What was unpacked of this package goes; the package held before stays as it was.
  remove_unpacked();
  unpack_folder_ = held_.folder;
  xml_path_ = held_.xml;
  logo_path_ = held_.logo;
  info_path_ = held_.info;
  held_ = {};
  return -1;
}

void parsedef_package::remove_unpacked() {
  if (!unpack_folder_) return;
  std::error_code ec;
  // The folder was made for this object alone (a fresh name), so all of it is this object's.
  fs::remove_all(*unpack_folder_, ec);
  unpack_folder_.reset();
}

int parsedef_package::open_package(const std::string& path) {
  // The new package is unpacked beside the one held; only a complete unpack replaces it.
  held_ = {unpack_folder_, xml_path_, logo_path_, info_path_};
  unpack_folder_.reset();
  xml_path_.reset();
  logo_path_.reset();
  info_path_.reset();
  last_error_.clear();

  auto unpack = private_folder(app_);
  if (unpack) unpack = platform::create_unique_folder(*unpack, "unpack-");
  if (!unpack) return fail("no private folder to unpack into: " + unpack.message());
  unpack_folder_ = *unpack;
  const std::string folder = *unpack_folder_;

  std::error_code ec;
  // A pipe or a device named like a package would keep the reader waiting for ever.
  if (!fs::is_regular_file(path, ec)) return fail(fs::exists(path, ec) ? "is not a regular file" : "cannot be opened");
  unz_ptr archive(unzOpen64(path.c_str()));
  if (!archive) return fail("not a ParseDef package (not a ZIP archive)");
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return fail("damaged ZIP archive");
  if (global.number_entry > max_members)
    return fail("has " + std::to_string(global.number_entry) + " members, more than a ParseDef package may hold (" +
                std::to_string(max_members) + ")");
  unpacked_bytes_ = 0;
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    if (i > 0 && unzGoToNextFile(archive.get()) != UNZ_OK) return fail("damaged ZIP archive");
    if (unpack_member(archive.get(), folder) != 0) return -1;
  }
  std::string title = package_title(path);
  if (!xml_path_) xml_path_ = folder + "/" + title + ".xml";
  info_path_ = folder + "/" + title + ".inf";
  if (held_.folder) fs::remove_all(*held_.folder, ec);
  held_ = {};
  return 0;
}

int parsedef_package::unpack_member(void* archive, const std::string& folder) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return fail("damaged ZIP archive");
  std::string name(info.size_filename, '\0');
  if (unzGetCurrentFileInfo64(archive, &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
    return fail("damaged ZIP archive");
  auto relative = safe_member_path(name);
  if (!relative || name.find('\0') != std::string::npos)
    return fail("member \"" + name.substr(0, name.find('\0')) + "\" would unpack outside the unpack folder");
  if (info.uncompressed_size > max_member_size) return fail("member \"" + name + "\" is larger than 64 MiB");
  if (unpacked_bytes_ + info.uncompressed_size > max_total_size) return fail(too_large_in_total);

  const std::string target = folder + "/" + *relative;
  if (make_path_dirs(target, relative->back() == '/' ? 1 : 0) != 0) {
    return fail("cannot create folder for member \"" + name + "\"");
  }
  if (relative->back() == '/') return 0;  // a folder entry: nothing more to write

  std::string ext = extension_of(*relative);
  if (ext == "bmp") logo_path_ = target;
  if (ext == "xml") xml_path_ = target;

  if (unzOpenCurrentFile(archive) != UNZ_OK) return fail("cannot read member \"" + name + "\"");
  file_ptr out = open_file(target, "wb");
  if (!out) {
    unzCloseCurrentFile(archive);
    return fail("cannot write " + target);
  }

  std::vector<char> buffer(8192);
  std::uint64_t total = 0;
  bool copied = true;
  std::string why;
  for (;;) {
    int n = unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (n == 0) break;
    if (n < 0) {
      copied = false;
      why = "member \"" + name + "\" is damaged";
      break;
    }
    total += static_cast<std::uint64_t>(n);
    unpacked_bytes_ += static_cast<std::uint64_t>(n);
    if (total > max_member_size) {
      copied = false;
      why = "member \"" + name + "\" is larger than 64 MiB";
      break;
    }
    if (unpacked_bytes_ > max_total_size) {
      copied = false;
      why = too_large_in_total;
      break;
    }
    if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out.get()) != static_cast<size_t>(n)) {
      copied = false;
      why = "cannot write " + target;
      break;
    }
  }
  bool closed = std::fclose(out.release()) == 0;
  int crc = unzCloseCurrentFile(archive);
  if (!copied) return fail(why);
  if (!closed) return fail("cannot write " + target);
  if (crc != UNZ_OK) return fail("member \"" + name + "\" is damaged (CRC mismatch)");
  return 0;
}

}  // namespace vantrel
