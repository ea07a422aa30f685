#include "common/file_read.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace vantrel {

bool read_whole_file(const std::string& path, unsigned long long max_bytes, std::string& text, std::string* why) {
  namespace fs = std::filesystem;
  auto fail = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) {
    if (!ec) ec = std::make_error_code(std::errc::no_such_file_or_directory);
    return fail("cannot be opened: " + ec.message());
  }
  if (!fs::is_regular_file(status)) return fail("is not a regular file");
  const auto size = fs::file_size(path, ec);
  if (ec) return fail("cannot be opened: " + ec.message());
  if (size > max_bytes) return fail("is too large");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot be opened: " + std::generic_category().message(errno));
  text.resize(static_cast<size_t>(size));
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size())) || in.peek() != std::ifstream::traits_type::eof()) {
    return fail("cannot be read");  // shorter or longer than a moment ago: it changed meanwhile
  }
  return true;
}

}  // namespace vantrel
