#include "editor/editor_dlg.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/iconbndl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "common/paths.h"
#include "common/platform.h"
#include "editor/document_editor.h"
#include "editor/new_channel_dlg.h"
#include "editor/preview_frame.h"
#include "editor/section_splice.h"
#include "ui/wx_text.h"
#include "vantedit_icon.h"

namespace vantrel {

namespace {

constexpr const char* open_filter = "Vantrel ParseDef Files (*.nov)|*.nov;*.NOV|XML ParseDef Files (*.xml)|*.xml;*.XML";
constexpr const char* save_filter = "Vantrel ParseDef Files (*.nov)|*.nov;*.NOV";
constexpr const char* bitmap_filter = "Windows Bitmap Files (*.bmp)|*.bmp;*.BMP|PNG Pictures (*.png)|*.png;*.PNG";
constexpr int placement_timer_id = 1, check_timer_id = 2;

}  // namespace

CEditorDlg::CEditorDlg(const prefs& settings, const std::string& path)
    : wxDialog(nullptr, wxID_ANY, "VantEdit", wxDefaultPosition, wxSize(720, 560),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX),
      prefs_(settings),
      session_(static_cast<editor_view&>(*this), platform::start_program, vantedit_folder),
      placement_timer_(this, placement_timer_id),
      check_timer_(this, check_timer_id) {
  answer_save = [this] {
    const int reply =
        wxMessageBox("The file was changed. Save?", "VantEdit", wxYES_NO | wxCANCEL | wxICON_QUESTION, this);
    return reply == wxYES ? save_answer::yes : reply == wxNO ? save_answer::no : save_answer::cancel;
  };
  answer = [this](const std::string& question) {
    return wxMessageBox(to_wx(question), "VantEdit", wxYES_NO | wxICON_QUESTION, this) == wxYES;
  };
  // The session asks before it replaces a file, about the name the package really gets.
  choose_path = [this]() -> std::optional<std::string> {
    wxFileDialog chooser(this, "Save As", "", "", save_filter, wxFD_SAVE);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    return from_wx(chooser.GetPath());
  };
  wxIconBundle icons;
  for (int size : {16, 32, 48, 64}) {
    icons.AddIcon(wxBitmapBundle::FromSVG(vantedit_program_svg, wxSize(size, size)).GetIcon(wxSize(size, size)));
  }
  SetIcons(icons);
  make_controls();
  SetMinSize(wxSize(450, 300));
  frame_rect r;
  if (prefs_.get_frame_pos(r) == 0 && r.right - r.left >= 450 && r.bottom - r.top >= 300) {
    SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  layout_.attach(this);
  set_constraints();
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
  Bind(
      wxEVT_TIMER, [this](wxTimerEvent&) { save_placement(); }, placement_timer_id);
  Bind(
      wxEVT_TIMER, [this](wxTimerEvent&) { check_document(); }, check_timer_id);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    if (event.CanVeto() && !session_.may_discard()) {
      event.Veto();
      return;
    }
    if (placement_timer_.IsRunning()) save_placement();
    placement_timer_.Stop();
    check_timer_.Stop();
    Destroy();
  });
  SetEscapeId(wxID_NONE);  // Escape closes through the close event, with its question
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
      Close();
    } else if (event.GetModifiers() == wxMOD_CONTROL && (key == 'F' || key == 'H')) {
      text_->show_find(key == 'H');
    } else if (key == WXK_F3 && (event.GetModifiers() & ~wxMOD_SHIFT) == 0) {
      text_->find_next(!event.ShiftDown());
    } else {
      event.Skip();
    }
  });
  const wxSize client = GetClientSize();
  layout_.layout(client.x, client.y);
  show_state(session_.title(), session_.path(), session_.logo());
  if (!path.empty()) session_.open(path);
}

CEditorDlg::~CEditorDlg() {
  placement_timer_.Stop();
  check_timer_.Stop();
}

void CEditorDlg::set_constraints() {
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
  layout_.set_constraint(id_clear_logo, L::right, L::opposite_side, -6, id_import);
  layout_.set_constraint(id_text, L::left, L::same_side, 11);
  layout_.set_constraint(id_text, L::right, L::same_side, -11);
  layout_.set_constraint(id_text, L::bottom, L::same_side, -11);
  layout_.set_constraint(id_text, L::top, L::opposite_side, 12, id_logo_group);
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
  for (auto [id, label] : {std::pair{id_edit, "&Edit"}, {id_import, "&Import..."}, {id_clear_logo, "&Clear"}})
    right = button(id, label, right, top);
  auto* about = new wxButton(this, id_about, "&About");
  about->SetSize(20, top, about->GetBestSize().x, -1);
  top += button_h + 10;
  new wxStaticBox(this, id_logo_group, "Logo", wxPoint(11, group2_top), wxSize(w - 22, top - group2_top));
  text_ = new CDocumentEditor(this, id_text);
  text_->SetSize(11, top + 12, w - 22, client.y - top - 23);
  text_->SetFocus();
  text_->set_change_listener([this] {
    session_.text_changed();
    text_->mark_faults(CDocumentEditor::fault_kind::rules, {});  // they were a run of the text before
    check_timer_.StartOnce(600);
    if (preview_ != nullptr) preview_->document_changed();
  });
  const std::pair<int, std::function<void()>> commands[] = {
      {id_new, [this] { cmd_new(); }},
      {id_open, [this] { cmd_open(); }},
      {id_save, [this] { session_.save(); }},
      {id_save_as, [this] { session_.save_as(); }},
      {id_run, [this] { session_.run(); }},
      {id_preview, [this] { preview(); }},
      {id_import, [this] { cmd_import(); }},
      {id_clear_logo, [this] { session_.clear_logo(); }},
      {id_edit, [this] { session_.edit_logo(); }},
      {id_about,
       [this] {
         about_vantedit_dialog dialog(this);
         dialog.ShowModal();
       }},
  };
  for (const auto& [id, command] : commands) {
    Bind(
        wxEVT_BUTTON, [command = command](wxCommandEvent&) { command(); }, id);
  }
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

std::string CEditorDlg::text() const { return text_->document(); }

void CEditorDlg::show_text(const std::string& text) {
  text_->set_document(text);
  check_document();
}

void CEditorDlg::show_state(const std::string& title, const std::string& path, const std::string& logo) {
  SetTitle(to_wx(title));
  file_->ChangeValue(to_wx(path));
  logo_->ChangeValue(to_wx(logo));
}

void CEditorDlg::message(const std::string& text) {
  wxMessageBox(to_wx(text), "VantEdit", wxOK | wxICON_WARNING, this);
}

void CEditorDlg::cmd_new() {
  if (!session_.may_discard()) return;
  CNewChannelDlg dialog(this);
  if (dialog.ShowModal() != wxID_OK) return;
  session_.new_document(dialog.document(), dialog.logo_path());
}

void CEditorDlg::cmd_open() {
  if (!session_.may_discard()) return;
  wxFileDialog chooser(this, "Open", "", "", open_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() == wxID_OK) session_.open(from_wx(chooser.GetPath()));
}

void CEditorDlg::cmd_import() {
  wxFileDialog chooser(this, "Import", "", "", bitmap_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() == wxID_OK) session_.import_logo(from_wx(chooser.GetPath()));
}

void CEditorDlg::check_document() {
  std::vector<document_fault> faults;
  if (const auto bytes = session_.encoded()) {
    if (auto fault = first_fault(*bytes)) faults.push_back(*fault);
  } else {
    // "line N: a character ... cannot be written in ...": marked on that line, without its number.
    const std::string& why = bytes.message();
    const size_t colon = why.find(": ");
    faults.push_back({bytes.error().line() > 0 ? bytes.error().line() : 1,
                      bytes.error().line() > 0 && colon != std::string::npos ? why.substr(colon + 2) : why});
  }
  text_->mark_faults(CDocumentEditor::fault_kind::reading, faults);
}

bool CEditorDlg::put_rules(const std::string& sections) {
  const std::string text = text_->document();
  const auto place = sections_splice(text, sections);
  if (!place) return false;
  // One edit: Undo takes the suggested rules out and the old ones back in.
  text_->BeginUndoAction();
  text_->SetTargetStart(static_cast<int>(place->from));
  text_->SetTargetEnd(static_cast<int>(place->to));
  text_->ReplaceTarget(to_wx(place->text));
  text_->EndUndoAction();
  return true;
}

CPreviewFrame& CEditorDlg::preview() {
  if (preview_ == nullptr) {
    preview_ = new CPreviewFrame(this, [this] { return session_.encoded(); });
    preview_->set_rule_fault_listener(
        [this](std::vector<document_fault> faults) { text_->mark_faults(CDocumentEditor::fault_kind::rules, faults); });
    preview_->set_rules_user([this](const std::string& sections) { return put_rules(sections); });
  }
  preview_->Show();
  preview_->Raise();
  return *preview_;
}

void CEditorDlg::save_placement() {
  if (IsIconized() || IsMaximized()) return;
  const wxRect r = GetRect();
  prefs_.set_frame_pos({r.x, r.y, r.x + r.width, r.y + r.height});
}

}  // namespace vantrel
