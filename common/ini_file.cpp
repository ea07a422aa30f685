#include "common/ini_file.h"

#include <filesystem>

#include "common/file_read.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/text_util.h"
#include "common/trace_log.h"

namespace vantrel {

namespace {

// Far more than any settings file holds; a larger file is not one.
constexpr unsigned long long max_settings_bytes = 16ull << 20;

std::string trimmed(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t' || text[begin] == '\r')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace

ini_file ini_file::load(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return {};
  auto text = read_whole_file(path, max_settings_bytes);
  if (!text) {
    trace("ini_file: %s %s; it is kept as it is", path.c_str(), text.message().c_str());
    ini_file unreadable;
    unreadable.readable_ = false;
    return unreadable;
  }
  return parse(*text);
}

ini_file ini_file::parse(std::string_view text) {
  ini_file file;
  file.sections_.push_back({});
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string content = trimmed(raw);
    if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
      file.sections_.push_back({trimmed(std::string_view(content).substr(1, content.size() - 2)), {}});
      continue;
    }
    line entry{std::string(raw), std::nullopt, {}};
    const size_t eq = content.find('=');
    if (eq != std::string::npos && content[0] != ';' && content[0] != '#') {
      entry.key = trimmed(std::string_view(content).substr(0, eq));
      entry.value = trimmed(std::string_view(content).substr(eq + 1));
    }
    file.sections_.back().lines.push_back(std::move(entry));
  }
  return file;
}

ini_file::section* ini_file::find(std::string_view name) {
  for (auto& s : sections_) {
    if (!s.name.empty() && iequals(s.name, name)) return &s;
  }
  return nullptr;
}

const ini_file::section* ini_file::find(std::string_view name) const { return const_cast<ini_file*>(this)->find(name); }

std::optional<std::string> ini_file::get(std::string_view section_name, std::string_view key) const {
  const section* s = find(section_name);
  if (s == nullptr) return std::nullopt;
  for (const auto& l : s->lines) {
    if (l.key && iequals(*l.key, key)) return l.value;
  }
  return std::nullopt;
}

void ini_file::set(std::string_view section_name, std::string_view key, std::string_view value) {
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  clean = trimmed(clean);
  section* s = find(section_name);
  if (s == nullptr) {
    if (sections_.empty()) sections_.push_back({});
    sections_.push_back({std::string(section_name), {}});
    s = &sections_.back();
  }
  const std::string raw = std::string(key) + "=" + clean;
  for (auto& l : s->lines) {
    if (l.key && iequals(*l.key, key)) {
      l = {raw, std::string(key), clean};
      return;
    }
  }
  // After the section's last setting, so blank lines between sections stay between them.
  auto at = s->lines.end();
  while (at != s->lines.begin() && !std::prev(at)->key && trimmed(std::prev(at)->raw).empty()) --at;
  s->lines.insert(at, {raw, std::string(key), clean});
}

std::string ini_file::text() const {
  std::string out;
  for (const auto& s : sections_) {
    if (!s.name.empty()) out += "[" + s.name + "]\n";
    for (const auto& l : s.lines) out += l.raw + "\n";
  }
  return out;
}

status ini_file::save(const std::string& path) const {
  if (!readable_) return {status_code::damaged, path + " could not be read, so it is not replaced"};
  if (make_path_dirs(path, 0) != 0) return {status_code::io_error, "no folder for " + path};
  return platform::replace_file(path, text());
}

}  // namespace vantrel
