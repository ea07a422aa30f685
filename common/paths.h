#pragma once
// Where the programs keep their files, and folder creation.
//
// Settings:   $XDG_CONFIG_HOME/Vantrel        (~/.config/Vantrel)
// Library:    $XDG_DATA_HOME/Vantrel/parsedef (~/.local/share/Vantrel/parsedef)
// Trace log:  $XDG_STATE_HOME/Vantrel/Vantrace.txt
// Private:    $XDG_RUNTIME_DIR/Vantrel/<app>, else ${TMPDIR:-/tmp}/Vantrel-<uid>/<app>, mode 0700.
//             Each package is unpacked into a folder of its own here, and fetched pages are
//             kept here while they are parsed.
#include <optional>
#include <string>
#include <string_view>

#include "common/status.h"

namespace vantrel {

// Creates every missing folder of path. With is_folder 0 the path names a file and only the
// folders above it are made; otherwise the whole path is a folder. Returns 0, or -1 at the
// first folder that cannot be made (a file standing in the way counts as that).
int make_path_dirs(const std::string& path, int is_folder);

// The folder of the running program file with a trailing "/", followed by name.
std::string program_folder_file(std::string_view name);

std::string config_folder();    // settings files
std::string data_folder();      // the ParseDef library lives below this
std::string trace_file_path();  // Vantrace.txt

// The names that tell the programs' private folders apart. Each program passes its own to what
// unpacks packages or keeps fetched pages (the console tool and vantedit --pack a name of
// their run's own, so runs side by side never meet).
inline constexpr const char* tidewatch_folder = "Vantrel";
inline constexpr const char* vantedit_folder = "VantEdit";

// The private per-user folder of the program named app, created when missing. A failure when
// it cannot be made safe.
result<std::string> private_folder(const std::string& app);

// Removes the private folder of the program named app with everything in it. For programs whose
// folder is their own alone, such as each run of the console tool.
void remove_private_folder(const std::string& app);

// A file or folder the programs ship: share/vantrel/<relative> beside the installed program,
// else source_tree_path (a build's own source tree); nullopt when neither exists.
std::optional<std::string> shipped_path(const std::string& relative, const std::string& source_tree_path);

}  // namespace vantrel
