// The Preferences dialog writes each change at once, to the one key it concerns; screenshots
// of its three pages.
#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "app/preferences_dlg.h"
#include "common/ini_file.h"
#include "tests/app/gui_support.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

template <class T>
T* control(wxWindow& dialog, int id) {
  auto* window = dynamic_cast<T*>(dialog.FindWindow(id));
  EXPECT_NE(window, nullptr) << "control " << id;
  return window;
}

TEST(Preferences, ChangesAreStoredAtOnceAndPerEncoding) {
  testing::temp_dir dir;
  const prefs settings(dir.file("tidewatch.ini"));
  auto* dialog = new CPreferencesDlg(nullptr, settings);
  dialog->Move(20, 20);
  dialog->Show();
  testing::pump();

  std::printf("top level windows: %zu\n", wxTopLevelWindows.GetCount());
  for (auto* w : wxTopLevelWindows)
    std::printf("  %s shown %d\n", static_cast<const char*>(w->GetLabel().utf8_str()), w->IsShown());
  for (size_t page = 0; page < dialog->GetBookCtrl()->GetPageCount(); ++page) {
    dialog->GetBookCtrl()->SetSelection(page);
    testing::screenshot(dialog, "preferences-" + std::to_string(page + 1));
  }

  // The Fonts page opens on "Default"; choose Cyrillic and change its link font.
  auto* encoding = control<wxChoice>(*dialog, CPreferencesDlg::id_encoding);
  EXPECT_EQ(encoding->GetStringSelection(), "Default");
  encoding->SetSelection(2);
  wxCommandEvent chosen(wxEVT_CHOICE, CPreferencesDlg::id_encoding);
  chosen.SetInt(2);
  encoding->GetEventHandler()->ProcessEvent(chosen);
  dialog->store_font(2, wxFont(wxFontInfo(12).Bold().Italic().FaceName("DejaVu Serif")));
  const ini_file stored = ini_file::load(settings.path());
  const auto link = stored.get("fonts", "windows-1251:link");
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(parse_font_desc(*link).size, 12);
  EXPECT_TRUE(parse_font_desc(*link).bold());
  EXPECT_FALSE(stored.get("fonts", ":link").has_value());
  EXPECT_FALSE(stored.get("fonts", "windows-1257:link").has_value());
  EXPECT_EQ(control<wxStaticText>(*dialog, CPreferencesDlg::id_link_text)->GetLabel(),
            "DejaVu Serif 12 pt Bold Italic");

  // Check boxes and the alignment write at once.
  auto* wrap = control<wxCheckBox>(*dialog, CPreferencesDlg::id_wrap);
  wrap->SetValue(false);
  wxCommandEvent clicked(wxEVT_CHECKBOX, CPreferencesDlg::id_wrap);
  clicked.SetInt(0);
  wrap->GetEventHandler()->ProcessEvent(clicked);
  EXPECT_EQ(settings.get_wrap(), 0);
  for (int id : {CPreferencesDlg::id_auto_refresh, CPreferencesDlg::id_notify}) {
    EXPECT_TRUE(control<wxCheckBox>(*dialog, id)->GetValue()) << "on unless turned off";
    wxCommandEvent off(wxEVT_CHECKBOX, id);
    off.SetInt(0);
    control<wxCheckBox>(*dialog, id)->GetEventHandler()->ProcessEvent(off);
  }
  EXPECT_FALSE(settings.get_auto_refresh());
  EXPECT_FALSE(settings.get_notify());
  EXPECT_EQ(control<wxSpinCtrl>(*dialog, CPreferencesDlg::id_keep_days)->GetValue(), 30);
  wxSpinEvent kept(wxEVT_SPINCTRL, CPreferencesDlg::id_keep_days);
  kept.SetPosition(7);
  control<wxSpinCtrl>(*dialog, CPreferencesDlg::id_keep_days)->GetEventHandler()->ProcessEvent(kept);
  EXPECT_EQ(settings.get_keep_days(), 7);

  // An emptied root is stored empty and the next reader gets the default back.
  control<wxTextCtrl>(*dialog, CPreferencesDlg::id_root)->ChangeValue("");
  dialog->store_root();
  EXPECT_EQ(settings.get_parsedef_root(), default_parsedef_root());
  dialog->Destroy();
  testing::pump();
}

}  // namespace
}  // namespace vantrel
