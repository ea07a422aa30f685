#include "app/preferences_dlg.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/fontdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/art.h"
#include "app/wx_support.h"
#include "common/paths.h"

namespace vantrel {

CPreferencesDlg::CPreferencesDlg(wxWindow* parent, const prefs& settings) : prefs_(settings) {
  SetSheetStyle(wxPROPSHEET_LISTBOOK);
  Create(parent, wxID_ANY, "Preferences");
  CreateButtons(wxCLOSE);
  wxBookCtrlBase* book = GetBookCtrl();
  wxVector<wxBitmapBundle> images;
  images.push_back(art::page_icon(art::page::folders));
  images.push_back(art::page_icon(art::page::debug));
  images.push_back(art::page_icon(art::page::fonts));
  images.push_back(art::page_icon(art::page::reading));
  book->SetImages(images);
  book->AddPage(folders_page(book), "Folders", true, 0);
  book->AddPage(fonts_page(book), "Fonts", false, 2);
  book->AddPage(reading_page(book), "Reading", false, 3);
  book->AddPage(debug_page(book), "Debug", false, 1);
  // Tall enough for every page's icon and name in the list beside the pages.
  book->SetMinSize(wxSize(-1, FromDIP(340)));
  LayoutDialog();
  SetMinSize(GetSize());
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent& event) {
        store_root();
        event.Skip();
      },
      wxID_CLOSE);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    store_root();
    event.Skip();
  });
}

wxWindow* CPreferencesDlg::folders_page(wxWindow* book) {
  auto* page = new wxPanel(book);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(page, wxID_ANY, "ParseDef root path:"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  root_ = new wxTextCtrl(page, id_root, to_wx(prefs_.get_parsedef_root()));
  root_->SetMinSize(wxSize(FromDIP(320), -1));
  row->Add(root_, 1, wxALIGN_CENTER_VERTICAL);
  auto* browse = new wxButton(page, id_browse, "Browse...");
  row->Add(browse, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 6);
  sizer->Add(row, 0, wxEXPAND | wxALL, 10);
  sizer->Add(new wxStaticText(page, wxID_ANY,
                              "ParseDefs are kept here, one folder per category; the site queue\n"
                              "is the file queue.xml in this folder."),
             0, wxLEFT | wxRIGHT, 10);
  page->SetSizer(sizer);
  root_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    store_root();
    event.Skip();
  });
  browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxDirDialog chooser(this, "ParseDef root path", root_->GetValue(), wxDD_DEFAULT_STYLE);
    if (chooser.ShowModal() != wxID_OK) return;
    prefs_.set_parsedef_root(from_wx(chooser.GetPath()));
    root_->ChangeValue(chooser.GetPath());
  });
  return page;
}

wxWindow* CPreferencesDlg::fonts_page(wxWindow* book) {
  auto* page = new wxPanel(book);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* group = new wxStaticBoxSizer(wxVERTICAL, page, "Character set fonts");
  wxWindow* box = group->GetStaticBox();
  auto* grid = new wxFlexGridSizer(3, 6, 8);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(box, wxID_ANY, "Encoding:"), 0, wxALIGN_CENTER_VERTICAL);
  encoding_ = new wxChoice(box, id_encoding);
  for (const auto& row : encoding_table) encoding_->Append(to_wx(std::string(row.display_name)));
  encoding_->SetSelection(0);
  grid->Add(encoding_, 0, wxEXPAND);
  grid->AddSpacer(0);
  const char* labels[3] = {"Headline:", "Subheading:", "Link:"};
  const int text_ids[3] = {id_heading_text, id_subheading_text, id_link_text};
  const int button_ids[3] = {id_heading_button, id_subheading_button, id_link_button};
  for (int kind = 0; kind < 3; ++kind) {
    grid->Add(new wxStaticText(box, wxID_ANY, labels[kind]), 0, wxALIGN_CENTER_VERTICAL);
    font_texts_[kind] = new wxStaticText(box, text_ids[kind], "", wxDefaultPosition, wxSize(FromDIP(260), -1),
                                         wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE | wxBORDER_SUNKEN);
    grid->Add(font_texts_[kind], 1, wxEXPAND | wxALIGN_CENTER_VERTICAL);
    auto* button = new wxButton(box, button_ids[kind], "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    button->SetToolTip("Choose the font");
    button->Bind(wxEVT_BUTTON, [this, kind](wxCommandEvent&) { choose_font(kind); });
    grid->Add(button, 0, wxALIGN_CENTER_VERTICAL);
  }
  group->Add(grid, 0, wxEXPAND | wxALL, 8);
  sizer->Add(group, 0, wxEXPAND | wxALL, 10);
  auto* wrap = new wxCheckBox(page, id_wrap, "&Wrap headlines");
  wrap->SetValue(prefs_.get_wrap() != 0);
  wrap->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { prefs_.set_wrap(event.IsChecked() ? 1 : 0); });
  sizer->Add(wrap, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  auto* align_row = new wxBoxSizer(wxHORIZONTAL);
  align_row->Add(new wxStaticText(page, wxID_ANY, "Logo picture alignment:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* align = new wxChoice(page, id_logo_align);
  for (auto name : logo_align_names) align->Append(to_wx(std::string(name)));
  align->SetSelection(prefs_.get_logo_align());
  align->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
    if (event.GetSelection() != wxNOT_FOUND) prefs_.set_logo_align(event.GetSelection());
  });
  align_row->Add(align, 0, wxLEFT, 8);
  sizer->Add(align_row, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  page->SetSizer(sizer);
  encoding_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { refresh_font_texts(); });
  refresh_font_texts();
  return page;
}

wxWindow* CPreferencesDlg::reading_page(wxWindow* book) {
  auto* page = new wxPanel(book);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* keep_row = new wxBoxSizer(wxHORIZONTAL);
  keep_row->Add(new wxStaticText(page, wxID_ANY, "&Keep headlines for"), 0, wxALIGN_CENTER_VERTICAL);
  auto* keep = new wxSpinCtrl(page, id_keep_days, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 1, 3650,
                              prefs_.get_keep_days());
  keep_row->Add(keep, 0, wxLEFT | wxRIGHT, 6);
  keep_row->Add(new wxStaticText(page, wxID_ANY, "days after they were last seen"), 0, wxALIGN_CENTER_VERTICAL);
  sizer->Add(keep_row, 0, wxALL, 10);
  keep->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent& event) { prefs_.set_keep_days(event.GetPosition()); });
  auto* refresh = new wxCheckBox(page, id_auto_refresh, "&Refresh sites by themselves while Tidewatch is open");
  refresh->SetValue(prefs_.get_auto_refresh());
  refresh->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { prefs_.set_auto_refresh(event.IsChecked() ? 1 : 0); });
  sizer->Add(refresh, 0, wxLEFT | wxRIGHT, 10);
  sizer->Add(new wxStaticText(page, wxID_ANY,
                              "Each site refreshes at the interval set for it in the Site Selector; a\n"
                              "site without one runs only when you start the queue."),
             0, wxLEFT | wxRIGHT | wxTOP, 10);
  auto* notify = new wxCheckBox(page, id_notify, "&Tell me on the desktop when a refresh finds new headlines");
  notify->SetValue(prefs_.get_notify());
  notify->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { prefs_.set_notify(event.IsChecked() ? 1 : 0); });
  sizer->Add(notify, 0, wxALL, 10);
  // What the sites are told the requests come from; a ParseDef may name its own.
  auto* agent_row = new wxBoxSizer(wxHORIZONTAL);
  agent_row->Add(new wxStaticText(page, wxID_ANY, "&User-Agent:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* agent = new wxTextCtrl(page, id_user_agent, to_wx(prefs_.get_user_agent()));
  agent->Bind(wxEVT_TEXT, [this, agent](wxCommandEvent&) { prefs_.set_user_agent(from_wx(agent->GetValue())); });
  agent_row->Add(agent, 1, wxLEFT, 6);
  sizer->Add(agent_row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  page->SetSizer(sizer);
  return page;
}

wxWindow* CPreferencesDlg::debug_page(wxWindow* book) {
  auto* page = new wxPanel(book);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* trace = new wxCheckBox(page, id_trace, "&Trace to file (Vantrace.txt)");
  trace->SetValue(prefs_.get_trace() != 0);
  trace->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { prefs_.set_trace(event.IsChecked() ? 1 : 0); });
  sizer->Add(trace, 0, wxALL, 10);
  sizer->Add(new wxStaticText(page, wxID_ANY,
                              "The trace records what each job did, for finding out why a site\n"
                              "yields no headlines. It is written to Vantrace.txt in\n" +
                                  to_wx(trace_file_path().substr(0, trace_file_path().rfind('/'))) + "."),
             0, wxLEFT | wxRIGHT, 10);
  page->SetSizer(sizer);
  return page;
}

void CPreferencesDlg::refresh_font_texts() {
  const int encoding = encoding_->GetSelection();
  if (encoding == wxNOT_FOUND) return;
  for (int kind = 0; kind < 3; ++kind) {
    font_texts_[kind]->SetLabel(to_wx(font_display_text(parse_font_desc(prefs_.get_font(encoding, kind)))));
  }
}

void CPreferencesDlg::choose_font(int kind) {
  const int encoding = encoding_->GetSelection();
  if (encoding == wxNOT_FOUND) return;
  wxFontData data;
  data.SetInitialFont(font_from_desc(parse_font_desc(prefs_.get_font(encoding, kind))));
  wxFontDialog chooser(this, data);
  if (chooser.ShowModal() != wxID_OK) return;
  store_font(kind, chooser.GetFontData().GetChosenFont());
}

void CPreferencesDlg::store_font(int kind, const wxFont& font) {
  const int encoding = encoding_->GetSelection();
  if (encoding == wxNOT_FOUND || !font.IsOk()) return;
  const font_desc base = parse_font_desc(prefs_.get_font(encoding, kind));
  prefs_.set_font(encoding, kind, format_font_desc(desc_from_font(font, base)));
  refresh_font_texts();
}

void CPreferencesDlg::store_root() {
  if (root_ != nullptr) prefs_.set_parsedef_root(from_wx(root_->GetValue()));
}

}  // namespace vantrel
