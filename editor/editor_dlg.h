#pragma once
// CEditorDlg: VantEdit's window. The ParseDef document as text, its package's path, the logo
// that goes with it, and the commands New, Open, Save, Save As, Run, Import, Edit and About.
#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>

#include "common/parsedef_file.h"
#include "common/prefs.h"
#include "editor/document.h"
#include "editor/layout_manager.h"

class wxTextCtrl;

namespace vantrel {

class CPreviewFrame;

class CEditorDlg : public wxDialog, private layout_window {
 public:
  enum {
    id_text = 1000,
    id_open = 1001,
    id_save = 1002,
    id_file = 1003,
    id_logo = 1004,
    id_save_as = 1005,
    id_import = 1006,
    id_edit = 1007,
    id_run = 1008,
    id_new = 1009,
    id_parsedef_group = 1013,
    id_logo_group = 1014,
    id_about = 1015,
    id_preview = 1016,
  };

  // settings: VantEdit's own settings file (the window's place).
  CEditorDlg(const prefs& settings, const std::string& path);

  // Opens a document (".nov" package or ".xml"); false with a message shown when it cannot.
  bool open_file(const std::string& path);
  // Save and Save As; false when the document was not saved (the user was told why).
  bool save();
  bool save_as();
  // Save, then hand the package to Tidewatch.
  void run();
  // Shows the Preview window (made on first use), which runs the document as it stands.
  CPreviewFrame& preview();

  const std::string& path() const { return path_; }
  bool dirty() const { return dirty_; }
  std::string text() const;
  std::string logo() const;
  void set_logo(const std::string& path);
  // A new document's text (New Channel's result): untitled and changed.
  void new_document(const std::string& text, const std::string& logo_path);
  // Where the tests step in: the answer of the save question, and the file Save As chooses.
  std::function<save_answer()> ask_save;
  std::function<std::optional<std::string>()> choose_save_path;

 private:
  // layout_window
  bool control_rect(int id, pixel_rect& out) const override;
  void move_controls(const std::vector<std::pair<int, pixel_rect>>& moves) override;

  void make_controls();
  void update_title();
  bool write_package_to(const std::string& target);
  bool may_go_on();
  void cmd_new();
  void cmd_open();
  void cmd_edit_logo();
  void save_placement();

  const prefs& prefs_;
  CLayoutManager layout_;
  std::string path_;
  bool dirty_ = false;
  text_format format_;
  wxTextCtrl *text_ = nullptr, *file_ = nullptr, *logo_ = nullptr;
  CPreviewFrame* preview_ = nullptr;  // a child window: destroyed with this one
  wxTimer placement_timer_;
  std::unique_ptr<parsedef_file> opened_;  // the opened package: its logo lives in its unpack folder
};

// "About VantEdit": the version and a Close button.
class about_vantedit_dialog : public wxDialog {
 public:
  explicit about_vantedit_dialog(wxWindow* parent);
};

// The Tidewatch program beside this one, else the one on PATH; nullopt when there is none.
std::optional<std::string> find_tidewatch();

}  // namespace vantrel
