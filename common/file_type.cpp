#include "common/file_type.h"

#include "common/file_read.h"
#include "common/ini_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/text_util.h"

namespace vantrel {

namespace {

// 1 when the file was written, 0 when it already held contents or could not be written.
int write_if_changed(const std::string& path, const std::string& contents) {
  if (auto held = read_whole_file(path, contents.size()); held && *held == contents) return 0;
  if (make_path_dirs(path, 0) != 0) return 0;
  return platform::replace_file(path, contents).ok() ? 1 : 0;
}

std::string user_data_folder() {
  if (auto home = platform::env("XDG_DATA_HOME")) return *home;
  return platform::home_folder() + "/.local/share";
}

std::string user_config_folder() {
  if (auto home = platform::env("XDG_CONFIG_HOME")) return *home;
  return platform::home_folder() + "/.config";
}

}  // namespace

std::string mime_package_xml(const std::string& description) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" +
         std::string(parsedef_mime_type) +
         "\">\n"
         "    <comment>" +
         xml_escape(description) +
         "</comment>\n"
         "    <sub-class-of type=\"application/zip\"/>\n"
         "    <glob pattern=\"*.nov\"/>\n"
         "    <glob pattern=\"*.NOV\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string desktop_exec_quote(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  // The whole value is a desktop-entry string, where a backslash is escaped once more.
  std::string escaped;
  for (char c : out) {
    if (c == '\\') escaped += '\\';
    if (c == '%') escaped += '%';
    escaped += c;
  }
  return escaped;
}

std::string desktop_entry(const file_type_program& p, int flags) {
  const std::string exec = desktop_exec_quote(p.program_path) + " %f";
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=" +
      p.title + "\nComment=" + p.comment + "\nIcon=" + p.icon_name + "\nExec=" + exec +
      "\nTerminal=false\nCategories=Network;News;\nMimeType=" + parsedef_mime_type + ";\n";
  if ((flags & file_type_edit) != 0) {
    text += "Actions=Edit;\n\n[Desktop Action Edit]\nName=Edit\nExec=" + exec + "\n";
  }
  return text;
}

int register_file_type(const file_type_program& program, const std::string& description, int flags, int* changed) {
  const std::string data = user_data_folder();
  int written = 0;
  if ((flags & file_type_icon) != 0) {
    const int mime = write_if_changed(data + "/mime/packages/vantrel-parsedef.xml", mime_package_xml(description));
    if (!program.icon_svg.empty()) {
      written += write_if_changed(data + "/icons/hicolor/scalable/mimetypes/application-x-vantrel-parsedef.svg",
                                  program.icon_svg);
    }
    if (mime != 0) platform::run_program({"update-mime-database", data + "/mime"});
    written += mime;
  }
  if ((flags & (file_type_open | file_type_edit)) != 0) {
    const int entry = write_if_changed(data + "/applications/" + program.desktop_name, desktop_entry(program, flags));
    if (entry != 0) platform::run_program({"update-desktop-database", data + "/applications"});
    written += entry;
  }
  if ((flags & file_type_open) != 0) {
    const std::string list_path = user_config_folder() + "/mimeapps.list";
    ini_file list = ini_file::load(list_path);
    if (!list.get("Default Applications", parsedef_mime_type)) {
      list.set("Default Applications", parsedef_mime_type, program.desktop_name);
      written += list.save(list_path).ok() ? 1 : 0;
    }
  }
  if (changed != nullptr) *changed = written;
  return 1;
}

}  // namespace vantrel
