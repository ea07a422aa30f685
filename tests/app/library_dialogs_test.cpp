// The Site Selector and the "Install ParseDef" dialog as windows: driven by their controls'
// identifiers, with screenshots.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/treectrl.h>

#include "app/install_dlg.h"
#include "app/site_selector_dlg.h"
#include "tests/app/gui_support.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

TEST(SiteSelectorDialog, ComposesTheQueue) {
  testing::temp_dir dir;
  for (const char* f : {"News/Harbour Gazette.xml", "News/Evening Post.xml", "Weather/Coast.xml", "Tech/Wire.xml"}) {
    std::string name(f);
    name = name.substr(name.find('/') + 1);
    name = name.substr(0, name.size() - 4);
    dir.write(std::string("lib/") + f, "<parsedef name='" + name + "' url='http://x/'/>");
  }
  site_queue queue;
  int help_shown = 0;
  auto* dialog = new CSiteSelectorDlg(nullptr, dir.file("lib"), queue, [&] { ++help_shown; });
  dialog->Move(10, 10);
  dialog->Show();
  testing::pump();
  auto* list = dynamic_cast<wxCheckListBox*>(dialog->FindWindow(CSiteSelectorDlg::id_list));
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(dialog->FindWindow(CSiteSelectorDlg::id_add)->IsEnabled());
  EXPECT_TRUE(dialog->FindWindow(CSiteSelectorDlg::id_add_all)->IsEnabled());

  dialog->command(CSiteSelectorDlg::id_add_all);
  ASSERT_EQ(list->GetCount(), 4u);
  EXPECT_EQ(queue.count(), 4u);
  EXPECT_TRUE(list->IsChecked(0));
  // The check box of the second entry, clicked while the first is selected.
  list->SetSelection(0);
  list->Check(1, false);
  wxCommandEvent toggled(wxEVT_CHECKLISTBOX, CSiteSelectorDlg::id_list);
  toggled.SetInt(1);
  list->GetEventHandler()->ProcessEvent(toggled);
  EXPECT_EQ(queue[0].enabled, 1);
  EXPECT_EQ(queue[1].enabled, 0);

  list->SetSelection(3);
  wxCommandEvent selected(wxEVT_LISTBOX, CSiteSelectorDlg::id_list);
  selected.SetInt(3);
  list->GetEventHandler()->ProcessEvent(selected);
  EXPECT_FALSE(dialog->FindWindow(CSiteSelectorDlg::id_move_down)->IsEnabled());
  dialog->command(CSiteSelectorDlg::id_move_up);
  EXPECT_EQ(list->GetSelection(), 2);
  testing::screenshot(dialog, "site-selector");
  dialog->command(CSiteSelectorDlg::id_help);
  wxCommandEvent help(wxEVT_BUTTON, CSiteSelectorDlg::id_help);
  dialog->FindWindow(CSiteSelectorDlg::id_help)->GetEventHandler()->ProcessEvent(help);
  EXPECT_EQ(help_shown, 1);
  dialog->Destroy();
  testing::pump();
}

TEST(InstallDialog, AddToQueueFollowsInstall) {
  auto* dialog = new CInstallDlg(nullptr, "/home/someone/Downloads/harbour-gazette.nov", "AT&T Harbour Gazette",
                                 "News & Views", 3, nullptr);
  dialog->Move(10, 10);
  dialog->Show();
  testing::pump();
  auto* add = dynamic_cast<wxCheckBox*>(dialog->FindWindow(CInstallDlg::id_add_to_queue));
  ASSERT_NE(add, nullptr);
  EXPECT_TRUE(dialog->install() && dialog->add_to_queue() && dialog->open_after());
  // Names are text, not labels with keyboard mnemonics: every "&" shows.
  EXPECT_EQ(static_cast<wxControl*>(dialog->FindWindow(CInstallDlg::id_name))->GetLabelText(), "AT&T Harbour Gazette");
  EXPECT_EQ(static_cast<wxControl*>(dialog->FindWindow(CInstallDlg::id_category))->GetLabelText(), "[ News & Views ]");
  testing::screenshot(dialog, "install-parsedef");
  dialog->set_install(false);
  EXPECT_FALSE(add->IsEnabled());
  EXPECT_FALSE(dialog->add_to_queue());
  dialog->set_install(true);
  EXPECT_TRUE(add->IsEnabled());
  EXPECT_TRUE(add->GetValue());
  dialog->Destroy();
  testing::pump();
}

}  // namespace
}  // namespace vantrel
