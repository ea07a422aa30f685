#pragma once
// Registers the ParseDef package type with the desktop: a MIME type for "*.nov" files with its
// icon, Tidewatch as the program that opens them, VantEdit as one that edits them. Files are
// written into the user's data folder only when missing or changed, the MIME database is
// updated only after a change, and a default program the user chose is never replaced.
#include <string>

namespace vantrel {

constexpr const char* parsedef_mime_type = "application/x-vantrel-parsedef";

// Flags of register_file_type.
enum file_type_flags { file_type_icon = 1, file_type_open = 2, file_type_edit = 4 };

struct file_type_program {
  std::string program_path;  // absolute path of the program to register
  std::string desktop_name;  // "tidewatch.desktop"
  std::string title;         // "Tidewatch"
  std::string comment;       // what the desktop shows under the title
  std::string icon_name;     // icon of the program in the hicolor theme
  std::string icon_svg;      // the type's icon, installed as application-x-vantrel-parsedef
};

// The freedesktop files, for tests and the installed copies.
std::string mime_package_xml(const std::string& description);
std::string desktop_entry(const file_type_program& program, int flags);
// A desktop entry's Exec argument for path: quoted, with the characters the Exec key reserves
// escaped.
std::string desktop_exec_quote(const std::string& path);

// Writes what flags ask for (file_type_icon: MIME type and icon; file_type_open: the program's
// desktop entry, made the default for the type unless the user chose another; file_type_edit:
// a desktop entry with an "Edit" action, listed but not the default). Failures are ignored, as
// the desktop works without them: always returns 1. The number of files changed is put in
// changed when it is not null.
int register_file_type(const file_type_program& program, const std::string& description, int flags,
                       int* changed = nullptr);

}  // namespace vantrel
