#pragma once
// The one way the programs read a file whole: ParseDefs, the queue, settings, desktop files,
// logos for packing and pages from disk.
#include <cstddef>
#include <memory>
#include <string>

namespace vantrel {

// Reads the regular file at path whole when it holds at most max_bytes. false with the reason
// in why (when given): "cannot be opened: ..." (missing, no right to read), "is not a regular file" (a
// folder, a pipe: opening one could wait for ever), "is too large", "cannot be read".
bool read_whole_file(const std::string& path, unsigned long long max_bytes, std::string& text,
                     std::string* why = nullptr);

// A file's bytes in a buffer of their own, one byte longer than the file (for a terminator).
struct file_bytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
};
// The same as above, into a buffer that is not cleared before it is filled: for pages of many
// megabytes.
bool read_whole_file(const std::string& path, unsigned long long max_bytes, file_bytes& bytes,
                     std::string* why = nullptr);

}  // namespace vantrel
