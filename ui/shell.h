#pragma once
// Handing things to the desktop.
#include <string>

namespace vantrel {

// Opens a link in the user's browser: only http, https, ftp and mailto addresses (a page's
// javascript: or file: link is refused); false when refused or when no browser could be started
// (no message: the caller decides).
bool shell_open(const std::string& link);

}  // namespace vantrel
