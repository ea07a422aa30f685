#pragma once
// What the desktop names to open a kind of file: the default application of a MIME type (as
// xdg-mime reports it) and the command its desktop entry runs.
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The command line to open file with the user's default application for mime: the desktop
// entry's Exec with the file put in for its field code. nullopt when the desktop names none or
// its entry cannot be found or read.
std::optional<std::vector<std::string>> default_application(const std::string& mime, const std::string& file);

// The arguments of a desktop entry's Exec value (its quoting and escapes undone), with file put
// in for %f, %F, %u or %U (after them when the entry names none) and the other field codes
// dropped. Empty when the value cannot be read.
std::vector<std::string> desktop_exec_arguments(const std::string& exec, const std::string& file);

}  // namespace vantrel
