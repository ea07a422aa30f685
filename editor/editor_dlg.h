#pragma once
// CEditorDlg: VantEdit's window. The ParseDef document in a code editor, its package's path,
// the logo that goes with it, and the commands New, Open, Save, Save As, Run, Preview, Import,
// Clear, Edit and About. Every decision about the document is the editor_session's: this window
// shows what it says, asks what it asks and forwards the commands.
#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/prefs.h"
#include "editor/editor_session.h"
#include "editor/layout_manager.h"

class wxTextCtrl;

namespace vantrel {

class CDocumentEditor;
class CPreviewFrame;

class CEditorDlg : public wxDialog, private layout_window, private editor_view {
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
    id_clear_logo = 1017,
  };

  // settings: VantEdit's own settings file (the window's place).
  CEditorDlg(const prefs& settings, const std::string& path);
  ~CEditorDlg() override;

  editor_session& session() { return session_; }
  CDocumentEditor& editor() { return *text_; }
  // Shows the Preview window (made on first use), which runs the document as it stands.
  CPreviewFrame& preview();
  // Puts rules in place of the document's sections, as one edit Undo takes back; false when
  // the document has no root element to hold them.
  bool put_rules(const std::string& sections);

  // Where the tests step in: the answers of the questions, and the file Save As chooses.
  std::function<save_answer()> answer_save;
  std::function<bool(const std::string& question)> answer;
  std::function<std::optional<std::string>()> choose_path;

 private:
  // layout_window
  bool control_rect(int id, pixel_rect& out) const override;
  void move_controls(const std::vector<std::pair<int, pixel_rect>>& moves) override;
  // editor_view
  std::string text() const override;
  void show_text(const std::string& text) override;
  void show_state(const std::string& title, const std::string& path, const std::string& logo) override;
  save_answer ask_save() override { return answer_save(); }
  bool ask(const std::string& question) override { return answer(question); }
  std::optional<std::string> choose_save_path() override { return choose_path(); }
  void message(const std::string& text) override;

  void make_controls();
  void set_constraints();
  void cmd_new();
  void cmd_open();
  void cmd_import();
  // The document's reading fault, checked a moment after the last change.
  void check_document();
  void save_placement();

  const prefs& prefs_;
  CLayoutManager layout_;
  editor_session session_;
  CDocumentEditor* text_ = nullptr;
  wxTextCtrl *file_ = nullptr, *logo_ = nullptr;
  CPreviewFrame* preview_ = nullptr;  // a child window: destroyed with this one
  wxTimer placement_timer_, check_timer_;
};

// "About VantEdit": the version and a Close button.
class about_vantedit_dialog : public wxDialog {
 public:
  explicit about_vantedit_dialog(wxWindow* parent);
};

}  // namespace vantrel
