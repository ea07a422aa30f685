#include "editor/editor_session.h"

#include <filesystem>

#include "common/desktop_apps.h"
#include "common/file_read.h"
#include "common/parsedef_package.h"
#include "common/platform.h"
#include "common/text_util.h"
#include "common/xml_support.h"
#include "editor/package_save.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* unknown_file_type = "Unknown file type.";                                // 102
constexpr const char* unable_to_open = "Unable to open file.";                                 // 104
constexpr const char* not_installed = "Vantrel is not properly installed, please reinstall.";  // 108
constexpr const char* no_logo_editor = "No suitable program was found for logo editing.";      // 109

// A ParseDef is a few kilobytes; a larger file is not one.
constexpr unsigned long long max_document_bytes = 16ull << 20;

bool is_xml_name(const std::string& path) { return iequals(fs::path(path).extension().string(), ".xml"); }

}  // namespace

std::string package_name_for(const std::string& chosen) {
  return iequals(fs::path(chosen).extension().string(), ".nov") ? chosen : chosen + ".nov";
}

result<std::optional<std::string>> logo_beside(const std::optional<std::string>& attribute, const std::string& folder) {
  if (!attribute || attribute->empty()) return std::optional<std::string>();
  // The same rule as for package members: a name below the document's folder, nothing else.
  if (!safe_member_path(*attribute)) {
    return status(status_code::invalid, "The logo attribute \"" + *attribute +
                                            "\" names a file outside the document's folder: it is left out.");
  }
  std::string name = *attribute;
  for (char& c : name)
    if (c == '\\') c = '/';
  return std::optional<std::string>(folder + name);
}

std::optional<std::vector<std::string>> image_editor_command(const std::string& file) {
  if (auto command = default_application("image/bmp", file)) return command;
  // The desktop may know no editor for pictures (only viewers, or nothing): the well-known ones.
  for (const char* editor : {"gimp", "krita", "pinta", "kolourpaint", "mtpaint", "drawing"}) {
    if (auto program = platform::find_program(editor)) return std::vector<std::string>{*program, file};
  }
  return std::nullopt;
}

std::optional<std::string> find_tidewatch() {
  const fs::path self = platform::executable_path();
  for (const auto& beside : {self.parent_path() / "tidewatch", self.parent_path().parent_path() / "app/tidewatch"}) {
    std::error_code ec;
    if (!self.empty() && fs::is_regular_file(beside, ec)) return beside.string();
  }
  return platform::find_program("tidewatch");
}

editor_session::editor_session(editor_view& view, program_starter start, std::string app)
    : view_(view), start_(std::move(start)), app_(std::move(app)) {
  format_.crlf = true;  // as the templates are written
}

void editor_session::show_state() { view_.show_state(title(), path_, logo_); }

void editor_session::new_document(const std::string& text, const std::string& logo) {
  path_.clear();
  format_ = text_format{};
  format_.crlf = true;
  view_.show_text(text);
  logo_ = logo;
  package_.reset();
  dirty_ = true;
  show_state();
}

bool editor_session::open(const std::string& path) {
  if (fs::path(path).extension().empty()) {
    view_.message(unknown_file_type);
    return false;
  }
  // A package is unpacked into a folder of its own: the document open now, and the package its
  // logo lies in, stay as they are until this one has opened.
  std::unique_ptr<parsedef_package> package;
  std::string xml_path = path;
  if (is_package_name(path)) {
    package = std::make_unique<parsedef_package>(app_);
    if (package->open_package(path) != 0) {
      view_.message(std::string(unknown_file_type) + "\n\n" + path + ": " + package->last_error());
      return false;
    }
    xml_path = package->xml_path().value_or("");
  }
  auto read = read_whole_file(xml_path, max_document_bytes);
  auto decoded = read ? decode_document(*read) : result<decoded_text>(read.error());
  if (!decoded) {
    view_.message(std::string(unable_to_open) + "\n\n" + path + ": " + decoded.message());
    return false;
  }
  const std::string& bytes = *read;
  // The logo its root's attribute names (read from the root's tag alone: a document that goes
  // wrong further on opens all the same, to be mended here); without one, a package's picture.
  std::string left_out;
  const auto attribute = root_element_attribute(bytes, "logo");
  const std::string folder = fs::path(xml_path).parent_path().string() + "/";
  if (attribute) {
    auto beside = logo_beside(attribute, folder);
    if (!beside) left_out = beside.message();
    logo_ = beside ? beside->value_or("") : std::string();
  } else {
    logo_ = package ? package->logo_path().value_or("") : "";
  }
  format_ = decoded->format;
  view_.show_text(decoded->text);
  package_ = std::move(package);
  path_ = is_xml_name(path) ? "" : path;
  dirty_ = false;
  show_state();
  if (!left_out.empty()) view_.message(left_out);
  return true;
}

result<std::string> editor_session::encoded() const {
  const std::string text = view_.text();
  return encode_document(text, format_for(text, format_));
}

bool editor_session::write_to(const std::string& target) {
  auto fail = [&](const std::string& why) {
    view_.message("The ParseDef was not saved to " + target + ":\n" + why);
    return false;
  };
  std::error_code ec;
  const auto target_state = fs::status(target, ec);
  if (fs::is_directory(target_state)) return fail(target + " is a folder");
  const auto bytes = encoded();
  if (!bytes) return fail(bytes.message());
  std::string logo = logo_;
  if (!logo.empty()) {
    std::string unreadable;
    const auto logo_status = fs::status(logo, ec);
    if (!fs::exists(logo_status)) {
      unreadable = "it does not exist";
    } else if (!fs::is_regular_file(logo_status)) {
      unreadable = "it is not a file";
    }
    if (!unreadable.empty()) {
      // A logo that went away must not make every save fail.
      if (!view_.ask("The logo " + logo + " cannot be packed: " + unreadable + ".\nSave the ParseDef without a logo?"))
        return false;
      logo.clear();
    }
  }
  if (fs::exists(target_state) && (target_state.permissions() & fs::perms::owner_write) == fs::perms::none &&
      !view_.ask(target + " is read-only.\nReplace it anyway? It stays read-only.")) {
    return false;
  }
  if (status written = write_package(target, *bytes, logo); !written.ok()) return fail(written.message());
  if (logo != logo_) {
    logo_ = logo;
    show_state();
  }
  return true;
}

bool editor_session::save() {
  if (path_.empty()) return save_as();
  if (!write_to(path_)) return false;
  dirty_ = false;
  show_state();
  return true;
}

bool editor_session::save_as() {
  const auto chosen = view_.choose_save_path();
  if (!chosen) return false;
  // The name the package gets is the one asked about, also when ".nov" was added to it.
  const std::string target = package_name_for(*chosen);
  std::error_code ec;
  const auto status = fs::status(target, ec);
  if (fs::exists(status) && !fs::is_directory(status) &&
      !view_.ask(target + " already exists.\nDo you want to replace it?")) {
    return false;
  }
  return save_to(target);
}

bool editor_session::save_to(const std::string& path) {
  if (!write_to(path)) return false;
  path_ = path;
  dirty_ = false;
  show_state();
  return true;
}

void editor_session::run() {
  if (!save() || path_.empty()) return;
  const auto tidewatch = find_tidewatch();
  if (!tidewatch || !start_({*tidewatch, path_})) view_.message(not_installed);
}

void editor_session::import_logo(const std::string& path) {
  logo_ = path;
  show_state();
}

void editor_session::clear_logo() {
  logo_.clear();
  show_state();
}

void editor_session::edit_logo() {
  if (logo_.empty()) return;
  std::error_code ec;
  const auto command = fs::is_regular_file(logo_, ec) ? image_editor_command(logo_) : std::nullopt;
  if (!command || !start_(*command)) view_.message(no_logo_editor);
}

void editor_session::text_changed() {
  if (dirty_) return;
  dirty_ = true;
  show_state();
}

bool editor_session::may_discard() {
  return vantrel::may_discard(
      dirty_, [this] { return view_.ask_save(); }, [this] { return save(); });
}

}  // namespace vantrel
