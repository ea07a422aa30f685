#pragma once
// The one way the programs read a file whole: ParseDefs, the queue, settings, desktop files,
// logos for packing and pages from disk.
#include <string>

namespace vantrel {

// Reads the regular file at path whole when it holds at most max_bytes. false with the reason
// in why (when given): "cannot be opened: ..." (missing, no right to read), "is not a regular file" (a
// folder, a pipe: opening one could wait for ever), "is too large", "cannot be read".
bool read_whole_file(const std::string& path, unsigned long long max_bytes, std::string& text,
                     std::string* why = nullptr);

}  // namespace vantrel
