#include "editor/new_channel_dlg.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "editor/document.h"
#include "ui/wx_text.h"

namespace vantrel {

CNewChannelDlg::CNewChannelDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "New Channel") {
  auto* grid = new wxFlexGridSizer(2, 8, 8);
  grid->AddGrowableCol(1);
  auto row = [&](const char* label, wxWindow* control) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 1, wxEXPAND);
  };
  name_ = new wxTextCtrl(this, id_name, "");
  name_->SetMinSize(wxSize(FromDIP(320), -1));
  url_ = new wxTextCtrl(this, id_url, "http://");
  auto* logo_row = new wxBoxSizer(wxHORIZONTAL);
  logo_ = new wxTextCtrl(this, id_logo, "");
  auto* browse = new wxButton(this, id_browse, "Browse...");
  logo_row->Add(logo_, 1, wxALIGN_CENTER_VERTICAL);
  logo_row->Add(browse, 0, wxLEFT, 6);
  category_ = new wxTextCtrl(this, id_category, "");
  version_ =
      new wxTextCtrl(this, id_version, "1", wxDefaultPosition, wxDefaultSize, 0, wxTextValidator(wxFILTER_DIGITS));
  template_ = new wxChoice(this, id_template);
  for (const auto& t : template_table) template_->Append(t.title);
  template_->SetSelection(0);
  row("Name:", name_);
  row("URL:", url_);
  grid->Add(new wxStaticText(this, wxID_ANY, "Logo:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(logo_row, 1, wxEXPAND);
  row("Category:", category_);
  row("Version:", version_);
  row("Template:", template_);
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(grid, 1, wxEXPAND | wxALL, 12);
  outer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
  SetSizerAndFit(outer);

  browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxFileDialog chooser(this, "Logo", "", "", "Windows Bitmap Files (*.bmp)|*.bmp;*.BMP",
                         wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (chooser.ShowModal() != wxID_OK) return;
    browsed_path_ = from_wx(chooser.GetPath());
    logo_->ChangeValue(chooser.GetFilename());
  });
  logo_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { browsed_path_.clear(); });  // typed: its own path
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent& event) {
        if (accept()) event.Skip();
      },
      wxID_OK);
}

bool CNewChannelDlg::accept() {
  const int selected = template_->GetSelection();
  if (selected == wxNOT_FOUND) {
    wxMessageBox("Unable to process template selection", "New Channel", wxOK, this);
    return false;
  }
  long version = 0;
  if (!version_->GetValue().ToLong(&version)) {
    wxMessageBox("Please enter an integer.", "New Channel", wxOK | wxICON_WARNING, this);
    return false;
  }
  auto document = make_document(selected, from_wx(name_->GetValue()), from_wx(url_->GetValue()),
                                from_wx(logo_->GetValue()), from_wx(category_->GetValue()), static_cast<int>(version));
  if (!document) {
    wxMessageBox("Selected template does not exist", "New Channel", wxOK, this);
    return false;
  }
  document_ = *document;
  logo_path_ = browsed_path_.empty() ? from_wx(logo_->GetValue()) : browsed_path_;
  return true;
}

}  // namespace vantrel
