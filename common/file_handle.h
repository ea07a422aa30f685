#pragma once
// The owning handle of an open C stream: closed when the handle goes.
#include <cstdio>
#include <memory>
#include <string>

namespace vantrel {

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

inline file_ptr open_file(const std::string& path, const char* mode) {
  return file_ptr(std::fopen(path.c_str(), mode));
}

}  // namespace vantrel
