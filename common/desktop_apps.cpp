#include "common/desktop_apps.h"

#include <filesystem>

#include "common/ini_file.h"
#include "common/platform.h"
#include "common/text_util.h"

namespace vantrel {

std::vector<std::string> desktop_exec_arguments(const std::string& exec, const std::string& file) {
  // Split into arguments: blanks part them, double quotes hold blanks, and inside quotes a
  // backslash escapes the next character.
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else {
        current += c;
      }
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ' ' || c == '\t') {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (quoted) return {};
  if (any) args.push_back(current);
  // Field codes: the file for the file and URL codes, nothing for the others, "%%" is "%".
  std::vector<std::string> out;
  bool placed = false;
  for (const std::string& arg : args) {
    if (arg == "%f" || arg == "%F" || arg == "%u" || arg == "%U") {
      if (!placed) out.push_back(file);
      placed = true;
      continue;
    }
    std::string kept;
    for (size_t i = 0; i < arg.size(); ++i) {
      if (arg[i] == '%' && i + 1 < arg.size()) {
        if (arg[++i] == '%') kept += '%';
        continue;
      }
      kept += arg[i];
    }
    if (!kept.empty()) out.push_back(kept);
  }
  if (out.empty()) return {};
  if (!placed) out.push_back(file);
  return out;
}

std::optional<std::vector<std::string>> default_application(const std::string& mime, const std::string& file) {
  const auto reply = platform::program_output({"xdg-mime", "query", "default", mime});
  if (!reply) return std::nullopt;
  const std::string id(trim_spaces(*reply));
  if (id.empty() || id.find('/') != std::string::npos) return std::nullopt;
  // Where desktop entries live, the user's own first.
  std::vector<std::string> folders;
  folders.push_back(platform::env("XDG_DATA_HOME").value_or(platform::home_folder() + "/.local/share"));
  const std::string dirs = platform::env("XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share");
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (end > start) folders.push_back(dirs.substr(start, end - start));
    start = end + 1;
  }
  for (const std::string& folder : folders) {
    const std::string entry = folder + "/applications/" + id;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(entry, ec)) continue;
    const ini_file desktop = ini_file::load(entry);
    const auto exec = desktop.get("Desktop Entry", "Exec");
    if (!exec) return std::nullopt;
    auto args = desktop_exec_arguments(*exec, file);
    if (args.empty()) return std::nullopt;
    return args;
  }
  return std::nullopt;
}

}  // namespace vantrel
