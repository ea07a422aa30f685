#pragma once
// VantEdit's document and every decision about it, without a window: its path (empty while
// untitled), whether it changed, how its bytes are written (encoding, byte-order mark, line
// ends), its logo, and the commands New, Open, Save, Save As, Run, Import and Edit with the
// questions they ask. The window shows the text and forwards its commands here; `vantedit
// --pack` drives the same session without a window. Everything runs on one thread.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/parsedef_file.h"
#include "editor/document.h"

namespace vantrel {

// What the session needs of the window (or of the console, for --pack).
class editor_view {
 public:
  virtual ~editor_view() = default;
  // The text as the user sees it now: UTF-8, lines ending in "\n".
  virtual std::string text() const = 0;
  // Shows a document's text (Open, New); what could be undone before goes.
  virtual void show_text(const std::string& text) = 0;
  // The title, the document's path and the logo's, after every change of them.
  virtual void show_state(const std::string& title, const std::string& path, const std::string& logo) = 0;
  // "The file was changed. Save?"
  virtual save_answer ask_save() = 0;
  // A question with Yes and No; true for Yes.
  virtual bool ask(const std::string& question) = 0;
  // The Save As dialog: the name as the user gave it, or nullopt when cancelled.
  virtual std::optional<std::string> choose_save_path() = 0;
  virtual void message(const std::string& text) = 0;
};

// Starts a program (argument vector, no shell) without waiting; false when it could not.
using program_starter = std::function<bool(const std::vector<std::string>&)>;

class editor_session {
 public:
  // start runs Tidewatch for Run and the image editor for Edit.
  // app: the program whose private folder opened packages are unpacked in (paths.h).
  editor_session(editor_view& view, program_starter start, std::string app);
  editor_session(const editor_session&) = delete;
  editor_session& operator=(const editor_session&) = delete;

  // New Channel's document: untitled and changed.
  void new_document(const std::string& text, const std::string& logo);
  // Opens a package or an XML document (a ".xml" in any letter case stays untitled, so its
  // save never writes an archive over it), also one that is not well-formed, to be mended. On
  // failure the user was told why and the document open before (its text, its logo and the
  // package its logo lies in) stays as it was.
  bool open(const std::string& path);
  // Save writes to the document's package (Save As while untitled). Save As asks for a name
  // (".nov" is added when it has another ending) and asks before it replaces a file of that
  // name. Both refuse what the package reader would refuse, and say why.
  bool save();
  bool save_as();
  // Save As without the dialog: the package at path (--pack).
  bool save_to(const std::string& path);
  // Saves, then hands the package to Tidewatch.
  void run();
  // The logo that goes into the package: a file chosen with Import, or none.
  void import_logo(const std::string& path);
  void clear_logo();
  // Opens the logo in the desktop's editor for pictures.
  void edit_logo();
  // The text in the window changed.
  void text_changed();
  // Before New, Open or closing: asks about unsaved changes; whether to go on.
  bool may_discard();

  const std::string& path() const { return path_; }
  bool dirty() const { return dirty_; }
  const std::string& logo() const { return logo_; }
  std::string title() const { return editor_title(path_, dirty_); }
  // The bytes the document is saved as now (in the encoding its declaration names at this
  // moment), or why not ("line N: ...", with the line).
  result<std::string> encoded() const;

 private:
  bool write_to(const std::string& target);
  void show_state();

  editor_view& view_;
  program_starter start_;
  std::string path_;
  bool dirty_ = false;
  text_format format_;  // as the document was opened (or made)
  std::string logo_;
  std::unique_ptr<parsedef_package> package_;  // the opened package: its logo lies in its unpack folder
  std::string app_;
};

// The package name Save As writes for a name as the user gave it: ".nov" added unless the name
// already ends so (in any letter case).
std::string package_name_for(const std::string& chosen);
// The logo a document's logo attribute names beside it (folder: the document's, with its "/"),
// none when there is no (or an empty) attribute; invalid, saying it is left out, for one that
// is absolute or climbs out of the folder with "..".
result<std::optional<std::string>> logo_beside(const std::optional<std::string>& attribute, const std::string& folder);
// The command that edits a picture: the desktop's default application for BMP pictures, else
// the first of the well-known image editors on the PATH; nullopt when there is none.
std::optional<std::vector<std::string>> image_editor_command(const std::string& file);
// The Tidewatch program beside this one, else the one on PATH; nullopt when there is none.
std::optional<std::string> find_tidewatch();

}  // namespace vantrel
