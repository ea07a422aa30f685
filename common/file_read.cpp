#include "common/file_read.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace vantrel {

namespace {

// Checks and opens the file, then has place(size) say where its bytes go, and reads them there.
template <typename Place>
bool read_into(const std::string& path, unsigned long long max_bytes, Place place, std::string* why) {
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
  char* bytes = place(static_cast<size_t>(size));
  if (!in.read(bytes, static_cast<std::streamsize>(size)) || in.peek() != std::ifstream::traits_type::eof()) {
    return fail("cannot be read");  // shorter or longer than a moment ago: it changed meanwhile
  }
  return true;
}

}  // namespace

bool read_whole_file(const std::string& path, unsigned long long max_bytes, std::string& text, std::string* why) {
  return read_into(
      path, max_bytes,
      [&text](size_t size) {
        text.resize(size);
        return text.data();
      },
      why);
}

bool read_whole_file(const std::string& path, unsigned long long max_bytes, file_bytes& bytes, std::string* why) {
  return read_into(
      path, max_bytes,
      [&bytes](size_t size) {
        // Not cleared first: the read fills it, and a page can be many megabytes.
        bytes.data = std::make_unique_for_overwrite<char[]>(size + 1);
        bytes.size = size;
        return bytes.data.get();
      },
      why);
}

}  // namespace vantrel
