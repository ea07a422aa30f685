// The Site Selector and the "Install ParseDef" dialog as windows: driven by their controls'
// identifiers, with screenshots.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
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
  // How the sites last ran, as the headline store would say.
  site_run good{1'800'000'000, run_outcome::headlines, 12, 3, "", 200, true};
  site_run bad{1'800'000'000, run_outcome::failed, 0, 0, "http://x/: Could not resolve host: x", 0, false};
  auto last_run = [&](const std::string& key) -> std::optional<site_run> {
    if (key == "News/Harbour Gazette.xml") return good;
    if (key == "Weather/Coast.xml") return bad;
    return std::nullopt;
  };
  auto* dialog = new CSiteSelectorDlg(
      nullptr, dir.file("lib"), queue, [&] { ++help_shown; }, last_run);
  dialog->Move(10, 10);
  dialog->Show();
  testing::pump();
  auto* list = dynamic_cast<wxListCtrl*>(dialog->FindWindow(CSiteSelectorDlg::id_list));
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(dialog->FindWindow(CSiteSelectorDlg::id_add)->IsEnabled());
  EXPECT_TRUE(dialog->FindWindow(CSiteSelectorDlg::id_add_all)->IsEnabled());

  dialog->command(CSiteSelectorDlg::id_add_all);
  ASSERT_EQ(list->GetItemCount(), 4);
  EXPECT_EQ(queue.count(), 4u);
  EXPECT_TRUE(list->IsItemChecked(0));
  // Each row says how its site last ran.
  for (int row = 0; row < 4; ++row) {
    const std::string name = queue_name(queue[static_cast<size_t>(row)]);
    const std::string text = list->GetItemText(row, 2).utf8_string();
    const std::string expected = name == "Harbour Gazette" ? ": 12 headlines, 3 new"
                                 : name == "Coast"         ? ": http://x/: Could not resolve host: x"
                                 : name == "Wire"          ? "Never run"
                                                           : "";
    EXPECT_NE(text.find(expected), std::string::npos) << name << ": " << text;
    EXPECT_EQ(list->GetItemText(row, 1), "Manual");
  }
  // The check box of the second entry, clicked while the first is selected.
  list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  list->CheckItem(1, false);
  EXPECT_EQ(queue[0].enabled, 1);
  EXPECT_EQ(queue[1].enabled, 0);

  // The refresh interval of the selected site.
  auto* refresh = dynamic_cast<wxSpinCtrl*>(dialog->FindWindow(CSiteSelectorDlg::id_refresh));
  ASSERT_NE(refresh, nullptr);
  EXPECT_TRUE(refresh->IsEnabled());
  refresh->SetValue(90);
  wxSpinEvent spun(wxEVT_SPINCTRL, CSiteSelectorDlg::id_refresh);
  spun.SetPosition(90);
  refresh->GetEventHandler()->ProcessEvent(spun);
  EXPECT_EQ(queue[0].refresh, 90);
  EXPECT_EQ(list->GetItemText(0, 1), "Every 90 min");

  list->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  EXPECT_FALSE(dialog->FindWindow(CSiteSelectorDlg::id_move_down)->IsEnabled());
  dialog->command(CSiteSelectorDlg::id_move_up);
  EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 2);
  EXPECT_EQ(queue[2].enabled, 1) << "moving keeps the switches";
  EXPECT_EQ(queue[1].enabled, 0);
  testing::screenshot(dialog, "site-selector");
  // The columns grow with the dialog and fill the list.
  const int last_run_width = list->GetColumnWidth(2);
  dialog->SetSize(dialog->GetSize() + wxSize(300, 0));
  dialog->Layout();
  testing::pump();
  EXPECT_GT(list->GetColumnWidth(2), last_run_width);
  EXPECT_EQ(list->GetColumnWidth(0) + list->GetColumnWidth(1) + list->GetColumnWidth(2),
            list->GetClientSize().GetWidth());
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
