#include "common/paths.h"

#include <filesystem>
#include <system_error>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace vantrel {

int make_path_dirs(const std::string& path, int is_folder) {
  fs::path target(path);
  if (!is_folder) target = target.parent_path();
  if (target.empty()) return 0;
  fs::path prefix;
  for (const fs::path& part : target) {
    prefix /= part;
    std::error_code ec;
    auto st = fs::status(prefix, ec);
    if (fs::exists(st)) {
      if (!fs::is_directory(st)) return -1;
      continue;
    }
    if (!fs::create_directory(prefix, ec) && ec) return -1;
  }
  return 0;
}

std::string program_folder_file(std::string_view name) {
  fs::path exe(platform::executable_path());
  std::string folder = exe.has_parent_path() ? exe.parent_path().string() : std::string(".");
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder + std::string(name);
}

static std::string xdg_folder(const char* var, const char* fallback) {
  if (auto v = platform::env(var); v && v->front() == '/') return *v;
  return platform::home_folder() + "/" + fallback;
}

std::string config_folder() { return xdg_folder("XDG_CONFIG_HOME", ".config") + "/Vantrel"; }
std::string data_folder() { return xdg_folder("XDG_DATA_HOME", ".local/share") + "/Vantrel"; }
std::string trace_file_path() { return xdg_folder("XDG_STATE_HOME", ".local/state") + "/Vantrel/Vantrace.txt"; }

namespace {
std::string private_base() {
  if (auto runtime = platform::env("XDG_RUNTIME_DIR"); runtime && runtime->front() == '/') return *runtime + "/Vantrel";
  std::string tmp = platform::env("TMPDIR").value_or("/tmp");
  return tmp + "/Vantrel-" + std::to_string(platform::user_id());
}
}  // namespace

result<std::string> private_folder(const std::string& app) {
  const std::string base = private_base();
  if (status made = platform::ensure_private_folder(base); !made.ok()) return made;
  std::string folder = base + "/" + app;
  if (status made = platform::ensure_private_folder(folder); !made.ok()) return made;
  return folder;
}

void remove_private_folder(const std::string& app) {
  const std::filesystem::path folder = private_base() + "/" + app;
  std::error_code ec;
  // Only a real folder: never follow a link planted in its place.
  if (std::filesystem::symlink_status(folder, ec).type() == std::filesystem::file_type::directory)
    std::filesystem::remove_all(folder, ec);
}

std::optional<std::string> shipped_path(const std::string& relative, const std::string& source_tree_path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path program = platform::executable_path();
  if (!program.empty()) {
    const fs::path installed = program.parent_path().parent_path() / "share/vantrel" / relative;
    if (fs::exists(installed, ec)) return installed.string();
  }
  if (!source_tree_path.empty() && fs::exists(source_tree_path, ec)) return source_tree_path;
  return std::nullopt;
}

}  // namespace vantrel
