#include "common/file_read.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace vantrel {

namespace {

// Checks and opens the file, then has place(size) say where its bytes go, and reads them there.
template <typename Place>
status read_into(const std::string& path, unsigned long long max_bytes, Place place) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status found = fs::status(path, ec);
  if (!fs::exists(found)) {
    if (!ec) ec = std::make_error_code(std::errc::no_such_file_or_directory);
    const bool missing = ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
    return {missing ? status_code::not_found : status_code::io_error, "cannot be opened: " + ec.message()};
  }
  if (!fs::is_regular_file(found)) return {status_code::invalid, "is not a regular file"};
  const auto size = fs::file_size(path, ec);
  if (ec) return {status_code::io_error, "cannot be opened: " + ec.message()};
  if (size > max_bytes) return {status_code::too_large, "is too large"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {status_code::io_error, "cannot be opened: " + std::generic_category().message(errno)};
  char* bytes = place(static_cast<size_t>(size));
  if (!in.read(bytes, static_cast<std::streamsize>(size)) || in.peek() != std::ifstream::traits_type::eof()) {
    return {status_code::io_error, "cannot be read"};  // shorter or longer than a moment ago: it changed meanwhile
  }
  return {};
}

}  // namespace

result<std::string> read_whole_file(const std::string& path, unsigned long long max_bytes) {
  std::string text;
  const status read = read_into(path, max_bytes, [&text](size_t size) {
    text.resize(size);
    return text.data();
  });
  if (!read.ok()) return read;
  return text;
}

result<file_bytes> read_file_bytes(const std::string& path, unsigned long long max_bytes) {
  file_bytes bytes;
  const status read = read_into(path, max_bytes, [&bytes](size_t size) {
    // Not cleared first: the read fills it, and a page can be many megabytes.
    bytes.data = std::make_unique_for_overwrite<char[]>(size + 1);
    bytes.size = size;
    return bytes.data.get();
  });
  if (!read.ok()) return read;
  return bytes;
}

}  // namespace vantrel
