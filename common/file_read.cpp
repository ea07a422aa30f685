#include "common/file_read.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace vantrel {

bool read_whole_file(const std::string& path, unsigned long long max_bytes, std::string& text, std::string& why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    why = "cannot be opened: " + (ec ? ec.message() : std::make_error_code(std::errc::no_such_file_or_directory).message());
    return false;
  }
  if (!fs::is_regular_file(status)) {
    why = "is not a regular file";
    return false;
  }
  const auto size = fs::file_size(path, ec);
  if (ec) {
    why = "cannot be opened: " + ec.message();
    return false;
  }
  if (size > max_bytes) {
    why = "is too large";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = "cannot be opened: " + std::generic_category().message(errno);
    return false;
  }
  text.resize(static_cast<size_t>(size));
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size())) || in.peek() != std::ifstream::traits_type::eof()) {
    // Shorter or longer than it was a moment ago: it changed under us.
    why = "cannot be read";
    return false;
  }
  return true;
}

}  // namespace vantrel
