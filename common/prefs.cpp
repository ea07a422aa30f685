#include "common/prefs.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "common/ini_file.h"
#include "common/paths.h"
#include "common/text_util.h"

namespace vantrel {

namespace {

constexpr std::string_view section_prefs = "preferences";
constexpr std::string_view section_fonts = "fonts";

std::optional<int> parse_int(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string font_key(int encoding, int kind) {
  return std::string(encoding_table[static_cast<size_t>(encoding)].charset) + ":" +
         std::string(font_kind_names[static_cast<size_t>(kind)]);
}

bool valid_font(int encoding, int kind) {
  return encoding >= 0 && encoding < static_cast<int>(encoding_table.size()) && kind >= 0 &&
         kind < static_cast<int>(font_kind_names.size());
}

}  // namespace

std::string default_parsedef_root() { return data_folder() + "/parsedef"; }

std::string default_font(int kind) {
  return kind == font_heading ? "8,0,0,0,700,0,0,0,0,0,0,0,0,MS Sans Serif"
                              : "8,0,0,0,400,0,0,0,0,0,0,0,0,MS Sans Serif";
}

prefs::prefs() : path_(config_folder() + "/tidewatch.ini") {}

std::optional<std::string> prefs::get_text(std::string_view section, std::string_view key) const {
  return ini_file::load(path_).get(section, key);
}

int prefs::set_text(std::string_view section, std::string_view key, const std::string& value) const {
  ini_file file = ini_file::load(path_);
  file.set(section, key, value);
  return file.save(path_).ok() ? 0 : -1;
}

int prefs::get_int(std::string_view key, int fallback) const {
  auto text = get_text(section_prefs, key);
  if (!text) return fallback;
  return parse_int(*text).value_or(fallback);
}

std::string prefs::parsedef_root() const {
  auto root = get_text(section_prefs, "parsedef_root");
  return root && !root->empty() ? *root : default_parsedef_root();
}

std::string prefs::get_parsedef_root() const {
  std::string root = parsedef_root();
  if (get_text(section_prefs, "parsedef_root").value_or("").empty()) set_parsedef_root(root);
  return root;
}

int prefs::set_parsedef_root(const std::string& root) const { return set_text(section_prefs, "parsedef_root", root); }

// Garbage in a switch reads as its default; any other number as on.
int prefs::get_trace() const { return get_int("trace", 0) != 0 ? 1 : 0; }
int prefs::set_trace(int on) const { return set_text(section_prefs, "trace", std::to_string(on != 0 ? 1 : 0)); }
int prefs::get_wrap() const { return get_int("wrap", 1) != 0 ? 1 : 0; }
int prefs::set_wrap(int on) const { return set_text(section_prefs, "wrap", std::to_string(on != 0 ? 1 : 0)); }
std::string prefs::headline_store_path() const {
  auto path = get_text(section_prefs, "store");
  return path && !path->empty() ? *path : data_folder() + "/headlines.db";
}
int prefs::set_headline_store_path(const std::string& path) const { return set_text(section_prefs, "store", path); }
int prefs::get_keep_days() const { return std::max(1, get_int("keepdays", 30)); }
int prefs::set_keep_days(int days) const {
  return set_text(section_prefs, "keepdays", std::to_string(std::max(1, days)));
}
bool prefs::get_auto_refresh() const { return get_int("autorefresh", 1) != 0; }
int prefs::set_auto_refresh(int on) const {
  return set_text(section_prefs, "autorefresh", std::to_string(on != 0 ? 1 : 0));
}
bool prefs::get_notify() const { return get_int("notify", 1) != 0; }
int prefs::set_notify(int on) const { return set_text(section_prefs, "notify", std::to_string(on != 0 ? 1 : 0)); }

std::string prefs::get_user_agent() const {
  const std::string agent(trim_spaces(get_text(section_prefs, "user_agent").value_or("")));
  return agent.empty() || has_control_chars(agent) ? default_user_agent : agent;
}

int prefs::set_user_agent(const std::string& agent) const { return set_text(section_prefs, "user_agent", agent); }

int prefs::get_queue_jobs() const { return std::clamp(get_int("queuejobs", 16), 1, 64); }
int prefs::set_queue_jobs(int jobs) const {
  return set_text(section_prefs, "queuejobs", std::to_string(std::clamp(jobs, 1, 64)));
}
int prefs::get_host_jobs() const { return std::clamp(get_int("hostjobs", 2), 1, 16); }
int prefs::set_host_jobs(int jobs) const {
  return set_text(section_prefs, "hostjobs", std::to_string(std::clamp(jobs, 1, 16)));
}
int prefs::get_logo_align() const { return get_int("logoalign", 0) == 1 ? 1 : 0; }
int prefs::set_logo_align(int align) const { return set_text(section_prefs, "logoalign", std::to_string(align)); }

std::string prefs::get_font(int encoding, int kind) const {
  if (!valid_font(encoding, kind)) return default_font(kind);
  auto text = get_text(section_fonts, font_key(encoding, kind));
  if (!text || text->empty()) return default_font(kind);
  return *text;
}

int prefs::set_font(int encoding, int kind, const std::string& desc) const {
  if (!valid_font(encoding, kind)) return -1;
  return set_text(section_fonts, font_key(encoding, kind), desc);
}

int prefs::get_frame_pos(frame_rect& out) const {
  auto text = get_text(section_prefs, "framepos");
  if (!text) return -1;
  int values[4];
  std::string_view rest = *text;
  for (int i = 0; i < 4; ++i) {
    size_t comma = rest.find(',');
    if ((i < 3) != (comma != std::string_view::npos)) return -1;
    std::string_view field = rest.substr(0, comma);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    auto value = parse_int(field);
    if (!value) return -1;
    values[i] = *value;
    rest = i < 3 ? rest.substr(comma + 1) : std::string_view();
  }
  out = {values[0], values[1], values[2], values[3]};
  return 0;
}

int prefs::set_frame_pos(const frame_rect& r) const {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
  return set_text(section_prefs, "framepos", text);
}

}  // namespace vantrel
