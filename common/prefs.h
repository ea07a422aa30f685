#pragma once
// Tidewatch's persisted settings. Nothing is cached: every read goes to the settings file, so a
// value written by the Preferences dialog is in force for the next reader at once. Writers
// return 0, or -1 when the file cannot be written (the caller goes on; nothing is reported).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/encoding_table.h"
#include "common/font_desc.h"

namespace vantrel {

// The "User-Agent" of every request unless the preferences or the ParseDef name another.
inline constexpr const char* default_user_agent = "Vantrel/1.1 (Windows)";

enum font_kind { font_heading = 0, font_subheading = 1, font_link = 2 };
constexpr std::array<std::string_view, 3> font_kind_names = {"heading", "subheading", "link"};
constexpr std::array<std::string_view, 2> logo_align_names = {"Top", "Middle"};

struct frame_rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class prefs {
 public:
  // The settings file of Tidewatch; tests and other programs name their own.
  prefs();
  explicit prefs(std::string settings_path) : path_(std::move(settings_path)) {}
  const std::string& path() const { return path_; }

  // The ParseDef root; when the setting is empty, the default root, which is then stored.
  std::string get_parsedef_root() const;
  // The same without storing anything: for readers that must not write the settings (the
  // console tool beside a running window).
  std::string parsedef_root() const;
  int set_parsedef_root(const std::string& root) const;
  int get_trace() const;
  int set_trace(int on) const;
  int get_wrap() const;
  int set_wrap(int on) const;
  int get_logo_align() const;  // 0 top, 1 middle
  int set_logo_align(int align) const;
  // The stored description, or the kind's default when missing or empty.
  std::string get_font(int encoding, int kind) const;
  int set_font(int encoding, int kind, const std::string& desc) const;
  // The headline store's file: the setting "store" when there is one, else the data folder's
  // "headlines.db". Both programs read it, so they share one store.
  std::string headline_store_path() const;
  int set_headline_store_path(const std::string& path) const;
  // How many days the headline store keeps a headline after it was last seen: 30 unless set,
  // at least 1.
  int get_keep_days() const;
  int set_keep_days(int days) const;
  // The same in seconds: how far back the store's headlines are shown and kept.
  std::int64_t keep_seconds() const { return std::int64_t{get_keep_days()} * 86400; }
  // Whether due sites run by themselves while Tidewatch is open (1 unless set to 0).
  bool get_auto_refresh() const;
  int set_auto_refresh(int on) const;
  // Whether a run the user did not start tells of its new headlines on the desktop (1 unless 0).
  bool get_notify() const;
  int set_notify(int on) const;
  // What every request says it comes from (a ParseDef may name its own); the default when
  // none is set, or when the one set could break a header line.
  std::string get_user_agent() const;
  int set_user_agent(const std::string& agent) const;
  // How many sites a queue run fetches at once (16 unless set; 1 to 64), and how many of them
  // to one host (2 unless set; 1 to 16).
  int get_queue_jobs() const;
  int set_queue_jobs(int jobs) const;
  int get_host_jobs() const;
  int set_host_jobs(int jobs) const;
  // 0 when the setting holds four integers, else -1 (out is then untouched).
  int get_frame_pos(frame_rect& out) const;
  int set_frame_pos(const frame_rect& rect) const;

  // Any other setting of Tidewatch's file (nullopt when absent), for the few that are not
  // the dialog's.
  std::optional<std::string> get_text(std::string_view section, std::string_view key) const;
  int set_text(std::string_view section, std::string_view key, const std::string& value) const;

 private:
  int get_int(std::string_view key, int fallback) const;
  std::string path_;
};

// The default ParseDef root: the library folder under the user's data folder.
std::string default_parsedef_root();
// "heading" fonts default to bold, the others to regular, all "MS Sans Serif" 8 pt.
std::string default_font(int kind);

}  // namespace vantrel
