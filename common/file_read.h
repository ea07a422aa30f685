#pragma once
// The one way the programs read a file whole: ParseDefs, the queue, settings, desktop files,
// logos for packing and pages from disk.
#include <cstddef>
#include <memory>
#include <string>

#include "common/status.h"

namespace vantrel {

// The regular file at path, whole, when it holds at most max_bytes. The failures: not_found
// "cannot be opened: ..." (missing), io_error "cannot be opened: ..." (no right to read) or
// "cannot be read", invalid "is not a regular file" (a folder, a pipe: opening one could wait
// for ever), too_large "is too large".
result<std::string> read_whole_file(const std::string& path, unsigned long long max_bytes);

// A file's bytes in a buffer of their own, one byte longer than the file (for a terminator).
struct file_bytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
};
// The same, into a buffer that is not cleared before it is filled: for pages of many megabytes.
result<file_bytes> read_file_bytes(const std::string& path, unsigned long long max_bytes);

}  // namespace vantrel
