#include "app/install_dlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/art.h"
#include "app/wx_support.h"

namespace vantrel {

CInstallDlg::CInstallDlg(wxWindow* parent, const std::string& path, const std::string& name,
                         const std::string& category, int version, std::function<void()> show_help)
    : wxDialog(parent, wxID_ANY, "Install ParseDef") {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(
      new wxStaticBitmap(this, wxID_ANY, wxBitmapBundle::FromSVG(art::parsedef_file_svg().c_str(), wxSize(48, 48))), 0,
      wxALL, 10);
  auto* facts = new wxBoxSizer(wxVERTICAL);
  facts->Add(new wxStaticText(this, wxID_ANY, "This ParseDef file is not installed. Do you want to install it now?"), 0,
             wxBOTTOM, 8);
  // The texts come from the package: shown as they are, never read as labels whose "&" marks
  // a keyboard shortcut.
  auto text = [this](int id, const std::string& value, wxSize size = wxDefaultSize, long style = 0) {
    auto* control = new wxStaticText(this, id, wxEmptyString, wxDefaultPosition, size, style);
    control->SetLabelText(to_wx(value));
    return control;
  };
  auto* site = text(id_name, name);
  site->SetFont(site->GetFont().Bold());
  facts->Add(site, 0, wxBOTTOM, 2);
  facts->Add(text(id_category, "[ " + (category.empty() ? std::string("No category") : category) + " ]"), 0, wxBOTTOM,
             2);
  facts->Add(text(id_version, "Version " + std::to_string(version)), 0, wxBOTTOM, 6);
  auto* file = text(id_fname, path, wxSize(FromDIP(360), -1), wxST_ELLIPSIZE_MIDDLE);
  file->SetToolTip(to_wx(path));
  facts->Add(file, 0, wxEXPAND);
  top->Add(facts, 1, wxEXPAND | wxTOP | wxRIGHT, 10);

  install_ = new wxCheckBox(this, id_install, "&Install");
  add_ = new wxCheckBox(this, id_add_to_queue, "&Add to queue");
  open_ = new wxCheckBox(this, id_open, "&Open");
  for (auto* box : {install_, add_, open_}) box->SetValue(true);
  install_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { set_install(event.IsChecked()); });
  auto* boxes = new wxBoxSizer(wxHORIZONTAL);
  boxes->Add(install_, 0, wxRIGHT, 16);
  boxes->Add(add_, 0, wxRIGHT, 16);
  boxes->Add(open_);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* help = new wxButton(this, id_help, "&Help");
  help->Bind(wxEVT_BUTTON, [show_help](wxCommandEvent&) {
    if (show_help) show_help();
  });
  buttons->Add(help);
  buttons->AddStretchSpacer();
  buttons->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL));

  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(top, 0, wxEXPAND);
  outer->Add(boxes, 0, wxALL, 12);
  outer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(outer);
  // Enter installs, wherever the focus was put when the dialog came up (a second start hands
  // the file over to a window that may not have had it).
  if (auto* ok = FindWindow(wxID_OK)) {
    SetAffirmativeId(wxID_OK);
    static_cast<wxButton*>(ok)->SetDefault();
    ok->SetFocus();
  }
}

void CInstallDlg::set_install(bool on) {
  install_->SetValue(on);
  add_->Enable(on);
  add_->SetValue(on);
}

bool CInstallDlg::install() const { return install_->GetValue(); }
bool CInstallDlg::add_to_queue() const { return install_->GetValue() && add_->GetValue(); }
bool CInstallDlg::open_after() const { return open_->GetValue(); }

}  // namespace vantrel
