#include "editor/editor_dlg.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "common/file_read.h"
#include "common/parsedef_file.h"
#include "common/platform.h"
#include "editor/new_channel_dlg.h"
#include "editor/package_save.h"
#include "editor/preview_frame.h"
#include "ui/wx_text.h"

namespace vantrel {

namespace {

constexpr const char* open_filter = "Vantrel ParseDef Files (*.nov)|*.nov;*.NOV|XML ParseDef Files (*.xml)|*.xml;*.XML";
constexpr const char* save_filter = "Vantrel ParseDef Files (*.nov)|*.nov;*.NOV";
constexpr const char* bitmap_filter = "Windows Bitmap Files (*.bmp)|*.bmp;*.BMP";

}  // namespace

std::optional<std::string> find_tidewatch() {
  const std::filesystem::path self = platform::executable_path();
  for (const auto& beside : {self.parent_path() / "tidewatch", self.parent_path().parent_path() / "app/tidewatch"}) {
    std::error_code ec;
    if (!self.empty() && std::filesystem::is_regular_file(beside, ec)) return beside.string();
  }
  return platform::find_program("tidewatch");
}

CEditorDlg::CEditorDlg(const prefs& settings, const std::string& path)
    : wxDialog(nullptr, wxID_ANY, "VantEdit", wxDefaultPosition, wxSize(720, 560),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX),
      prefs_(settings),
      placement_timer_(this) {
  ask_save = [this] {
    const int answer =
        wxMessageBox("The file was changed. Save?", "VantEdit", wxYES_NO | wxCANCEL | wxICON_QUESTION, this);
    return answer == wxYES ? save_answer::yes : answer == wxNO ? save_answer::no : save_answer::cancel;
  };
  choose_save_path = [this]() -> std::optional<std::string> {
    wxFileDialog chooser(this, "Save As", "", "", save_filter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    std::string chosen = from_wx(chooser.GetPath());
    if (std::filesystem::path(chosen).extension().empty()) chosen += ".nov";
    return chosen;
  };
  format_.crlf = true;
  make_controls();
  SetMinSize(wxSize(450, 300));
  frame_rect r;
  if (prefs_.get_frame_pos(r) == 0 && r.right - r.left >= 450 && r.bottom - r.top >= 300) {
    SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  layout_.attach(this);
  using L = CLayoutManager;
  // The groups and the text area stretch with the window; the buttons hang from the groups'
  // right edges; the text area takes the height that is left.
  layout_.set_constraint(id_parsedef_group, L::left, L::same_side, 11);
  layout_.set_constraint(id_parsedef_group, L::right, L::same_side, -11);
  layout_.set_constraint(id_file, L::left, L::same_side, 9, id_parsedef_group);
  layout_.set_constraint(id_file, L::right, L::same_side, -9, id_parsedef_group);
  layout_.set_constraint(id_run, L::right, L::same_side, -9, id_parsedef_group);
  layout_.set_constraint(id_save_as, L::right, L::opposite_side, -6, id_run);
  layout_.set_constraint(id_save, L::right, L::opposite_side, -6, id_save_as);
  layout_.set_constraint(id_open, L::right, L::opposite_side, -6, id_save);
  layout_.set_constraint(id_new, L::right, L::opposite_side, -6, id_open);
  layout_.set_constraint(id_preview, L::right, L::opposite_side, -6, id_new);
  layout_.set_constraint(id_logo_group, L::left, L::same_side, 11);
  layout_.set_constraint(id_logo_group, L::right, L::same_side, -11);
  layout_.set_constraint(id_logo, L::left, L::same_side, 9, id_logo_group);
  layout_.set_constraint(id_logo, L::right, L::same_side, -9, id_logo_group);
  layout_.set_constraint(id_edit, L::right, L::same_side, -9, id_logo_group);
  layout_.set_constraint(id_import, L::right, L::opposite_side, -6, id_edit);
  layout_.set_constraint(id_text, L::left, L::same_side, 11);
  layout_.set_constraint(id_text, L::right, L::same_side, -11);
  layout_.set_constraint(id_text, L::bottom, L::same_side, -11);
  layout_.set_constraint(id_text, L::top, L::opposite_side, 12, id_logo_group);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    const wxSize client = GetClientSize();
    layout_.layout(client.x, client.y);
    if (!IsIconized() && !IsMaximized()) placement_timer_.StartOnce(400);
    event.Skip(false);  // the manager places the controls, not the base class
  });
  Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
    if (!IsIconized() && !IsMaximized() && IsShown()) placement_timer_.StartOnce(400);
    event.Skip();
  });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { save_placement(); });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    if (event.CanVeto() && !may_go_on()) {
      event.Veto();
      return;
    }
    if (placement_timer_.IsRunning()) save_placement();
    placement_timer_.Stop();
    Destroy();
  });
  SetEscapeId(wxID_NONE);  // Escape closes through the close event, with its question
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      Close();
      return;
    }
    event.Skip();
  });
  const wxSize client = GetClientSize();
  layout_.layout(client.x, client.y);
  update_title();
  if (!path.empty()) open_file(path);
}

void CEditorDlg::make_controls() {
  const wxSize client = GetClientSize();
  const int w = client.x;
  const int edit_h = wxTextCtrl(this, wxID_ANY).GetBestSize().y;
  const int button_h = wxButton(this, wxID_ANY, "X").GetBestSize().y;
  for (wxWindow* child : GetChildren()) child->Destroy();  // the two probes above
  auto button = [this](int id, const char* label, int right, int y) {
    auto* b = new wxButton(this, id, label);
    const int bw = std::max(b->GetBestSize().x, FromDIP(84));
    b->SetSize(right - bw, y, bw, -1);
    return right - bw - 6;
  };
  int y = 8;
  const int group1_top = y;
  int top = y + 22;
  file_ = new wxTextCtrl(this, id_file, "", wxPoint(20, top), wxSize(w - 40, edit_h), wxTE_READONLY);
  top += edit_h + 6;
  int right = w - 20;
  for (auto [id, label] : {std::pair{id_run, "&Run"},
                           {id_save_as, "Save &As..."},
                           {id_save, "&Save"},
                           {id_open, "&Open..."},
                           {id_new, "&New..."},
                           {id_preview, "Pre&view..."}}) {
    right = button(id, label, right, top);
  }
  top += button_h + 10;
  new wxStaticBox(this, id_parsedef_group, "ParseDef", wxPoint(11, group1_top), wxSize(w - 22, top - group1_top));
  const int group2_top = top + 6;
  top = group2_top + 22;
  logo_ = new wxTextCtrl(this, id_logo, "", wxPoint(20, top), wxSize(w - 40, edit_h), wxTE_READONLY);
  top += edit_h + 6;
  right = w - 20;
  for (auto [id, label] : {std::pair{id_edit, "&Edit"}, {id_import, "&Import..."}})
    right = button(id, label, right, top);
  auto* about = new wxButton(this, id_about, "&About");
  about->SetSize(20, top, about->GetBestSize().x, -1);
  top += button_h + 10;
  new wxStaticBox(this, id_logo_group, "Logo", wxPoint(11, group2_top), wxSize(w - 22, top - group2_top));
  text_ = new wxTextCtrl(this, id_text, "", wxPoint(11, top + 12), wxSize(w - 22, client.y - top - 23),
                         wxTE_MULTILINE | wxTE_DONTWRAP | wxHSCROLL | wxTE_PROCESS_TAB);
  // The stored "Courier" is the desktop's monospaced face here.
  text_->SetFont(wxFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE)));
  text_->SetFocus();

  text_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    if (!dirty_) {
      dirty_ = true;
      update_title();
    }
    if (preview_ != nullptr) preview_->document_changed();
  });
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { cmd_new(); }, id_new);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { cmd_open(); }, id_open);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { save(); }, id_save);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { save_as(); }, id_save_as);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { run(); }, id_run);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { preview(); }, id_preview);
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        wxFileDialog chooser(this, "Import", "", "", bitmap_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
        if (chooser.ShowModal() == wxID_OK) set_logo(from_wx(chooser.GetPath()));
      },
      id_import);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { cmd_edit_logo(); }, id_edit);
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        about_vantedit_dialog dialog(this);
        dialog.ShowModal();
      },
      id_about);
}

about_vantedit_dialog::about_vantedit_dialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About VantEdit") {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* title = new wxStaticText(this, wxID_ANY, "VantEdit Version 1.0");
  title->SetFont(title->GetFont().Bold().Larger());
  sizer->Add(title, 0, wxALIGN_CENTER | wxLEFT | wxRIGHT | wxTOP, 20);
  sizer->Add(
      new wxStaticText(this, wxID_ANY, "The ParseDef editor of Vantrel.\nWrite the rules, save the package, Run it."),
      0, wxALIGN_CENTER | wxALL, 14);
  auto* close = new wxButton(this, wxID_OK, "Close");
  close->SetDefault();
  sizer->Add(close, 0, wxALIGN_CENTER | wxBOTTOM, 16);
  SetSizerAndFit(sizer);
}

bool CEditorDlg::control_rect(int id, pixel_rect& out) const {
  const wxWindow* w = FindWindow(id);
  if (w == nullptr) return false;
  const wxRect r = w->GetRect();
  out = {r.x, r.y, r.x + r.width, r.y + r.height};
  return true;
}

void CEditorDlg::move_controls(const std::vector<std::pair<int, pixel_rect>>& moves) {
  for (const auto& [id, r] : moves) {
    if (wxWindow* w = FindWindow(id)) w->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
}

std::string CEditorDlg::text() const { return from_wx(text_->GetValue()); }
std::string CEditorDlg::logo() const { return from_wx(logo_->GetValue()); }
void CEditorDlg::set_logo(const std::string& path) { logo_->ChangeValue(to_wx(path)); }

void CEditorDlg::update_title() {
  SetTitle(to_wx(editor_title(path_, dirty_)));
  file_->ChangeValue(to_wx(path_));
}

bool CEditorDlg::may_go_on() {
  return may_discard(dirty_, ask_save, [this] { return save(); });
}

void CEditorDlg::new_document(const std::string& text, const std::string& logo_path) {
  path_.clear();
  format_ = text_format{};
  format_.crlf = true;  // as the templates are written
  text_->ChangeValue(to_wx(text));
  set_logo(logo_path);
  dirty_ = true;
  update_title();
}

void CEditorDlg::cmd_new() {
  if (!may_go_on()) return;
  CNewChannelDlg dialog(this);
  if (dialog.ShowModal() != wxID_OK) return;
  new_document(dialog.document(), dialog.logo_path());
}

void CEditorDlg::cmd_open() {
  if (!may_go_on()) return;
  wxFileDialog chooser(this, "Open", "", "", open_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() == wxID_OK) open_file(from_wx(chooser.GetPath()));
}

bool CEditorDlg::open_file(const std::string& path) {
  namespace fs = std::filesystem;
  if (fs::path(path).extension().empty()) {
    wxMessageBox("Unknown file type.", "VantEdit", wxOK | wxICON_WARNING, this);
    return false;
  }
  // A package's logo lives in the unpack folder of the file that loaded it: the file is kept
  // while its document is open, and the one before is let go only when this open succeeds.
  auto file = std::make_unique<parsedef_file>();
  if (file->load(path) != 0 || !file->xml_path()) {
    wxMessageBox("Unknown file type.", "VantEdit", wxOK | wxICON_WARNING, this);
    return false;
  }
  std::string bytes, why;
  std::optional<decoded_text> decoded;
  if (read_whole_file(*file->xml_path(), 16u << 20, bytes, &why)) decoded = decode_document(bytes, &why);
  if (!decoded) {
    wxMessageBox("Unable to open file.", "VantEdit", wxOK | wxICON_WARNING, this);
    return false;
  }
  format_ = decoded->format;
  text_->ChangeValue(to_wx(decoded->text));
  set_logo(file->get_logo().value_or(""));
  opened_ = std::move(file);
  // A ".xml" document stays untitled, so its save never writes an archive over it.
  const std::string ext = fs::path(path).extension().string();
  path_ = (ext == ".xml" || ext == ".XML") ? "" : path;
  dirty_ = false;
  update_title();
  return true;
}

bool CEditorDlg::write_package_to(const std::string& target) {
  std::string why;
  auto bytes = encode_document(text(), format_, &why);
  if (!bytes || !write_package(target, *bytes, logo(), &why)) {
    wxMessageBox(to_wx("The ParseDef was not saved to " + target + ":\n" + why), "VantEdit", wxOK | wxICON_ERROR, this);
    return false;
  }
  return true;
}

bool CEditorDlg::save() {
  if (path_.empty()) return save_as();
  if (!write_package_to(path_)) return false;
  dirty_ = false;
  update_title();
  return true;
}

bool CEditorDlg::save_as() {
  auto chosen = choose_save_path();
  if (!chosen) return false;
  path_ = *chosen;
  update_title();
  if (!write_package_to(path_)) return false;
  dirty_ = false;
  update_title();
  return true;
}

void CEditorDlg::run() {
  if (!save() || path_.empty()) return;
  auto tidewatch = find_tidewatch();
  if (!tidewatch || !platform::start_program({*tidewatch, path_})) {
    wxMessageBox("Vantrel is not properly installed, please reinstall.", "VantEdit", wxOK | wxICON_ERROR, this);
  }
}

CPreviewFrame& CEditorDlg::preview() {
  if (preview_ == nullptr) {
    preview_ = new CPreviewFrame(this, [this](std::string* why) { return encode_document(text(), format_, why); });
  }
  preview_->Show();
  preview_->Raise();
  return *preview_;
}

void CEditorDlg::cmd_edit_logo() {
  const std::string file = logo();
  if (file.empty()) return;
  // The desktop opens images in viewers; an editor is looked for among the well-known ones.
  for (const char* editor : {"gimp", "krita", "pinta", "kolourpaint", "mtpaint", "drawing"}) {
    if (auto program = platform::find_program(editor); program && std::filesystem::exists(file)) {
      if (platform::start_program({*program, file})) return;
    }
  }
  wxMessageBox("No suitable program was found for logo editing.", "VantEdit", wxOK | wxICON_INFORMATION, this);
}

void CEditorDlg::save_placement() {
  if (IsIconized() || IsMaximized()) return;
  const wxRect r = GetRect();
  prefs_.set_frame_pos({r.x, r.y, r.x + r.width, r.y + r.height});
}

}  // namespace vantrel
