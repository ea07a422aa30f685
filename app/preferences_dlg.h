#pragma once
// "Preferences": the Folders, Fonts, Reading and Debug pages. Every change is written at once; Close
// only closes. The ParseDef root is also written when its box loses the focus and when the
// dialog closes.
#include <wx/propdlg.h>

#include "common/prefs.h"

class wxChoice;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;

namespace vantrel {

class CPreferencesDlg : public wxPropertySheetDialog {
 public:
  enum {
    id_root = 1012,
    id_browse = 1043,
    id_trace = 1044,
    id_encoding = 1051,
    id_heading_text = 1052,
    id_heading_button = 1053,
    id_subheading_text = 1054,
    id_link_text = 1055,
    id_subheading_button = 1056,
    id_link_button = 1057,
    id_wrap = 1058,
    id_logo_align = 1059,
    id_keep_days = 1060,
    id_user_agent = 1064,
    id_auto_refresh = 1061,
    id_notify = 1062,
  };

  CPreferencesDlg(wxWindow* parent, const prefs& settings);

  // What the font buttons do once the user has chosen font for kind (0 heading, 1 subheading,
  // 2 link) of the selected encoding; also the tests' way in, past the font chooser.
  void store_font(int kind, const wxFont& font);
  // Writes the root box's text (as typed; empty falls back to the default at the next read).
  void store_root();

 private:
  wxWindow* folders_page(wxWindow* book);
  wxWindow* fonts_page(wxWindow* book);
  wxWindow* reading_page(wxWindow* book);
  wxWindow* debug_page(wxWindow* book);
  void refresh_font_texts();
  void choose_font(int kind);

  const prefs& prefs_;
  wxTextCtrl* root_ = nullptr;
  wxChoice* encoding_ = nullptr;
  wxStaticText* font_texts_[3] = {};
};

}  // namespace vantrel
