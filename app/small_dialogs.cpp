#include "app/small_dialogs.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/art.h"
#include "app/wx_support.h"
#include "vantrel_version.h"

namespace vantrel {

get_url_dialog::get_url_dialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Get URL") {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(this, wxID_ANY, "Enter URL:"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  url_ = new wxTextCtrl(this, id_url, "");
  url_->SetMinSize(wxSize(FromDIP(360), -1));
  sizer->Add(url_, 0, wxEXPAND | wxALL, 10);
  sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(sizer);
  url_->SetFocus();
}

std::string get_url_dialog::url() const { return from_wx(url_->GetValue()); }

std::string version_line() {
  char text[64];
  std::snprintf(text, sizeof text, "Version %u.%u (build %u)", unsigned(VANTREL_VERSION_MAJOR),
                unsigned(VANTREL_VERSION_MINOR), unsigned(VANTREL_VERSION_BUILD));
  return text;
}

about_dialog::about_dialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Vantrel") {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  const auto picture = wxBitmapBundle::FromSVG(art::program_svg().c_str(), wxSize(160, 160));
  sizer->Add(new wxStaticBitmap(this, wxID_ANY, picture), 0, wxALIGN_CENTER | wxALL, 14);
  auto* title = new wxStaticText(this, wxID_ANY, "Vantrel Tidewatch");
  title->SetFont(title->GetFont().Bold().Larger());
  sizer->Add(title, 0, wxALIGN_CENTER | wxLEFT | wxRIGHT, 14);
  sizer->Add(new wxStaticText(this, id_version, to_wx(version_line())), 0, wxALIGN_CENTER | wxALL, 6);
  sizer->Add(new wxStaticText(this, wxID_ANY, "Headlines from the sites you choose."), 0,
             wxALIGN_CENTER | wxLEFT | wxRIGHT, 14);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  sizer->Add(ok, 0, wxALIGN_CENTER | wxALL, 14);
  SetSizerAndFit(sizer);
}

}  // namespace vantrel
