#pragma once
// Shared set-up of the fuzz targets: private folders in a scratch directory of their own.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel::fuzz {

inline const std::string& scratch() {
  static const std::string dir = [] {
    std::string d = (std::filesystem::temp_directory_path() / ("vantrel-fuzz-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(d + "/run");
    std::filesystem::permissions(d + "/run", std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", (d + "/run").c_str(), 1);
    return d;
  }();
  return dir;
}

inline void write(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace vantrel::fuzz
