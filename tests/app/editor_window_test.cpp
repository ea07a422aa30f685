// VantEdit's window: a ParseDef made from a template, saved as a package, opened by Tidewatch,
// installed and fetched from the local server; the window's layout and the New Channel dialog,
// with screenshots.
#include <gtest/gtest.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include "app/install_dlg.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "editor/document_editor.h"
#include "editor/editor_dlg.h"
#include "editor/new_channel_dlg.h"
#include "editor/preview_frame.h"
#include "tests/app/gui_support.h"
#include "tests/app/window_test_access.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"
#include "ui/wx_text.h"

namespace vantrel {
namespace {

// Answers the "Install ParseDef" dialog with OK, all boxes as they open (checked).
class accept_install : public wxExpectModalBase<CInstallDlg, accept_install> {
 protected:
  int OnInvoked(CInstallDlg*) const override { return wxID_OK; }
};

std::string sample(const std::string& name) { return testing::read_file(std::string(VANTREL_SAMPLES) + "/" + name); }

TEST(EditorWindow, AParseDefMadeHereInstallsAndYieldsHeadlinesInTidewatch) {
  testing::http_server server;
  server.route("/news/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, sample("harbour-gazette.html"), "Content-Type: text/html\r\n"));
  });
  testing::temp_dir dir;
  const prefs editor_settings(dir.file("vantedit.ini"));
  auto* editor = new CEditorDlg(editor_settings, "");
  editor->SetSize(20, 20, 700, 540);
  editor->Show();
  testing::pump();

  // New Channel with the Netscape RDF template, then the rules for the sample page typed in.
  auto* channel = new CNewChannelDlg(editor);
  channel->Show();
  dynamic_cast<wxTextCtrl*>(channel->FindWindow(CNewChannelDlg::id_name))->ChangeValue("Harbour Gazette");
  dynamic_cast<wxTextCtrl*>(channel->FindWindow(CNewChannelDlg::id_category))->ChangeValue("News");
  testing::screenshot(channel, "new-channel");
  ASSERT_TRUE(channel->accept());
  EXPECT_NE(channel->document().find("name=\"Harbour Gazette\""), std::string::npos);
  channel->Destroy();

  std::string xml = sample("harbour-gazette.xml");
  xml.replace(xml.find("http://gazette.example/news/"), 28, server.url("/news/"));
  editor->session().new_document(xml, dir.write("art/harbour-gazette.bmp", sample("harbour-gazette.bmp")));
  EXPECT_EQ(editor->GetTitle(), "(untitled)* - VantEdit");
  editor->choose_path = [&]() -> std::optional<std::string> { return dir.file("harbour-gazette.nov"); };
  ASSERT_TRUE(editor->session().save());
  EXPECT_FALSE(editor->session().dirty());
  EXPECT_EQ(editor->GetTitle(), wxString(dir.file("harbour-gazette.nov") + " - VantEdit"));
  testing::screenshot(editor, "vantedit");
  auto* about = new about_vantedit_dialog(editor);
  about->Show();
  testing::screenshot(about, "vantedit-about");
  about->Destroy();

  // The window keeps its layout when it grows: the text area takes the new width.
  const int text_width = editor->FindWindow(CEditorDlg::id_text)->GetSize().x;
  editor->SetSize(820, 540);
  testing::pump();
  EXPECT_EQ(editor->FindWindow(CEditorDlg::id_text)->GetSize().x, text_width + 120);

  // Tidewatch opens the package: it offers to install it, and then fetches its site.
  const prefs settings(dir.file("tidewatch.ini"));
  settings.set_parsedef_root(dir.file("library"));
  settings.set_headline_store_path(dir.file("headlines.db"));
  auto* frame = new CMainFrame(settings);
  frame->Show();
  wxTEST_DIALOG(frame->view().open_parsedef(dir.file("harbour-gazette.nov")), accept_install());
  EXPECT_TRUE(testing::file_exists(dir.file("library/News/harbour-gazette.nov")));
  EXPECT_EQ(frame->view().queue().count(), 1u);
  ASSERT_TRUE(testing::pump_until(
      [&] { return frame->view().controller().idle() && frame->view().controller().reading().size() > 0; }));
  EXPECT_EQ(frame->view().controller().reading().row(0).heading, "New ferry route opens to the islands");
  frame->Destroy();
  editor->Destroy();
  testing::pump();
}

// Rules from a headline: typed, or picked among the page's texts; what they yield shown beside
// what the document's rules yield; put into the document as one edit that Undo takes back.
TEST(EditorWindow, PreviewSuggestsRulesFromAHeadline) {
  testing::temp_dir dir;
  const prefs editor_settings(dir.file("vantedit.ini"));
  auto* editor = new CEditorDlg(editor_settings, "");
  editor->Show();
  const std::string bare =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<parsedef name=\"Harbour Gazette\" "
      "url=\"http://gazette.example/news/\" version=\"1\">\n  <section>\n    <start/>\n    <headline/>\n  </section>\n"
      "</parsedef>\n";
  editor->session().new_document(bare, "");
  CPreviewFrame& preview = editor->preview();
  preview.SetSize(20, 20, 1100, 640);
  preview.set_saved_page(std::string(VANTREL_SAMPLES) + "/harbour-gazette.html");
  preview.run();
  ASSERT_TRUE(testing::pump_until([&] { return !preview.running() && window_test_access::event_rows(preview) > 0; }));
  EXPECT_EQ(window_test_access::headline_rows(preview), 0u) << "the bare rules find nothing";

  window_test_access::set_example(preview, "storm ingrid: what to expect");
  preview.suggest();
  ASSERT_TRUE(testing::pump_until([&] { return !preview.suggesting(); }));
  EXPECT_EQ(window_test_access::suggested_rows(preview), 4u);
  testing::screenshot(&preview, "vantedit-suggest");

  // A text picked among the parse events does the same.
  ASSERT_TRUE(window_test_access::pick_event(preview, "Christmas market returns to Fish Square"));
  preview.suggest_from_selected_event();
  ASSERT_TRUE(testing::pump_until([&] { return !preview.suggesting(); }));
  EXPECT_EQ(window_test_access::suggested_rows(preview), 4u);

  preview.use_suggestion();
  CDocumentEditor& text = editor->editor();
  EXPECT_NE(text.document().find("<headline><a class=\"headline\"/></headline>"), std::string::npos) << text.document();
  EXPECT_NE(text.document().find("name=\"Harbour Gazette\""), std::string::npos) << "the root stays";
  ASSERT_TRUE(
      testing::pump_until([&] { return !preview.running() && window_test_access::headline_rows(preview) == 4; }));
  text.Undo();
  EXPECT_EQ(text.document(), bare) << "one edit, taken back whole";
  preview.Destroy();
  editor->Destroy();
  testing::pump();
}

TEST(EditorWindow, PreviewShowsWhatTheRulesFindWhileTheyAreWritten) {
  testing::temp_dir dir;
  const prefs editor_settings(dir.file("vantedit.ini"));
  auto* editor = new CEditorDlg(editor_settings, "");
  editor->Show();
  editor->session().new_document(sample("harbour-gazette.xml"), "");
  CPreviewFrame& preview = editor->preview();
  preview.SetSize(20, 20, 1100, 640);
  preview.set_saved_page(std::string(VANTREL_SAMPLES) + "/harbour-gazette.html");
  window_test_access::set_live_runs(preview, true);
  preview.run();
  ASSERT_TRUE(
      testing::pump_until([&] { return !preview.running() && window_test_access::headline_rows(preview) > 0; }));
  EXPECT_EQ(window_test_access::headline_rows(preview), 4u);
  EXPECT_GT(window_test_access::event_rows(preview), 40u);
  EXPECT_EQ(window_test_access::check_text(preview).rfind("Verdict: healthy", 0), 0u)
      << window_test_access::check_text(preview);
  testing::screenshot(&preview, "vantedit-preview");

  // A rule broken in the editor: the preview runs again by itself and says what broke.
  CDocumentEditor& text = editor->editor();
  std::string changed = text.document();
  const std::string stories = "class=\"stories\"";
  changed.replace(changed.find(stories), stories.size(), "class=\"articles\"");
  text.SetText(to_wx(changed));
  ASSERT_TRUE(testing::pump_until([&] {
    return window_test_access::check_text(preview).find("its start never matched") != std::string::npos;
  })) << window_test_access::check_text(preview);
  EXPECT_EQ(window_test_access::headline_rows(preview), 0u);

  // A character the document's encoding cannot hold: the preview says so and runs nothing.
  editor->session().open(
      dir.write("latin.xml", "<?xml version='1.0' encoding='ISO-8859-1'?><parsedef name='Caf\xE9'/>"));
  text.AppendText(wxString::FromUTF8("<!-- \xE6\x9D\xB1 -->"));
  preview.run();
  EXPECT_EQ(window_test_access::check_text(preview).rfind("The document cannot be written in its encoding: ", 0), 0u)
      << window_test_access::check_text(preview);
  EXPECT_FALSE(preview.running());
  editor->Destroy();  // with a run possibly still winding down: the preview waits for it
  testing::pump();
}

TEST(EditorWindow, TheCodeEditorColoursXmlAndMarksTheLineThatGoesWrong) {
  testing::temp_dir dir;
  const prefs editor_settings(dir.file("vantedit.ini"));
  auto* editor = new CEditorDlg(editor_settings, "");
  editor->SetSize(20, 20, 720, 520);
  editor->Show();
  std::string xml = sample("harbour-gazette.xml");
  xml.replace(xml.find("<start><div class=\"stories\"/></start>"), 36, "<start><div class=\"stories\"></start>");
  ASSERT_TRUE(editor->session().open(dir.write("broken.xml", xml)));
  CDocumentEditor& text = editor->editor();
  EXPECT_EQ(text.GetLexer(), wxSTC_LEX_XML);
  EXPECT_EQ(window_test_access::marked_lines(text), std::vector<long>{6}) << "the line of the first fault";
  EXPECT_EQ(text.AnnotationGetText(5), "Opening and ending tag mismatch: div line 6 and start");
  text.GotoPos(text.PositionFromLine(4) + 5);  // in "<section": its end tag is marked too
  testing::pump();
  testing::screenshot(editor, "vantedit-fault");

  // Find, forward and back, whole words in any letter case.
  window_test_access::set_find(text, "SECTION", wxFR_DOWN | wxFR_WHOLEWORD);
  text.GotoPos(0);
  ASSERT_TRUE(text.find_next(true));
  const int first = text.GetSelectionStart();
  EXPECT_EQ(text.GetSelectedText(), "section");
  ASSERT_TRUE(text.find_next(true));
  EXPECT_GT(text.GetSelectionStart(), first);
  ASSERT_TRUE(text.find_next(false));
  EXPECT_EQ(text.GetSelectionStart(), first);
  window_test_access::set_find(text, "no such words", wxFR_DOWN);
  EXPECT_FALSE(text.find_next(true));

  // Mended: the mark goes a moment after the change; undo brings the fault back.
  text.SetText(to_wx(sample("harbour-gazette.xml")));
  ASSERT_TRUE(testing::pump_until([&] { return window_test_access::marked_lines(text).empty(); }));
  EXPECT_TRUE(editor->session().dirty());
  text.Undo();
  text.Undo();
  EXPECT_NE(text.document().find("\"stories\"></start>"), std::string::npos);
  editor->session().new_document("", "");
  editor->Destroy();
  testing::pump();
}

}  // namespace
}  // namespace vantrel
