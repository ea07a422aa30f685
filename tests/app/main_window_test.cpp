// The real window: a site fetched from the local server, its rows, status texts, command
// states, the Parsed Source lines, Clear, the links, and screenshots to look at.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/srchctrl.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include "app/commands.h"
#include "app/headline_list.h"
#include "app/help_viewer.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/small_dialogs.h"
#include "app/source_window.h"
#include "tests/app/gui_support.h"
#include "tests/app/window_test_access.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"
#include "tests/helpers/zip_builder.h"

namespace vantrel {
namespace {

using testing::pump_until;
using testing::screenshot;

std::string sample(const std::string& name) { return testing::read_file(std::string(VANTREL_SAMPLES) + "/" + name); }

// The sample ParseDef pointed at the local server, with its logo beside it.
std::string local_parsedef(const testing::temp_dir& dir, const std::string& url) {
  std::string xml = sample("harbour-gazette.xml");
  const std::string old_url = "http://gazette.example/news/";
  xml.replace(xml.find(old_url), old_url.size(), url);
  dir.write("harbour-gazette.bmp", sample("harbour-gazette.bmp"));
  return dir.write("harbour-gazette.xml", xml);
}

bool enabled(CMainFrame& frame, int id) {
  frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  return frame.GetMenuBar()->IsEnabled(id);
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.set_parsedef_root(dir_.file("library"));
    settings_.set_headline_store_path(dir_.file("headlines.db"));
    frame_ = new CMainFrame(settings_);
    frame_->SetSize(700, 560);
    frame_->Show();
    pump_until([&] { return frame_->IsShown(); });
  }
  void TearDown() override {
    frame_->Destroy();
    testing::pump();
  }

  testing::temp_dir dir_;
  prefs settings_{dir_.file("tidewatch.ini")};
  CMainFrame* frame_ = nullptr;
};

TEST_F(MainWindow, FetchesASiteShowsItsRowsAndOpensLinks) {
  testing::http_server server;
  std::atomic<bool> release{false};
  // Let go of the held reply whatever happens, or the server could never stop.
  struct releaser {
    std::atomic<bool>& flag;
    ~releaser() { flag = true; }
  } release_at_end{release};
  server.route("/news/", [&](testing::http_connection& c, const testing::http_request&) {
    // Held until the test has seen the job running.
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    c.send(testing::http_server::reply(200, sample("harbour-gazette.html"), "Content-Type: text/html\r\n"));
  });
  CMainView& view = frame_->view();
  view.open_parsedef(local_parsedef(dir_, server.url("/news/")));

  ASSERT_TRUE(pump_until([&] {
    return frame_->view().controller().status_text().find("Sending request") != std::string::npos;
  })) << frame_->view().controller().status_text();
  EXPECT_FALSE(enabled(*frame_, cmd::open));
  EXPECT_FALSE(enabled(*frame_, cmd::load_parsedef));
  EXPECT_TRUE(enabled(*frame_, cmd::stop));
  // The prompt rule: the job's text stays while the pointer moves over the menus.
  frame_->DoGiveHelp("Remove all headlines", true);
  EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(0), wxString(frame_->view().controller().status_text()));
  release = true;

  ASSERT_TRUE(pump_until([&] { return view.controller().idle() && view.controller().reading().size() > 0; }));
  CHeadlineList& list = view.list();
  const size_t rows = view.controller().reading().size();
  EXPECT_EQ(list.GetItemCount(), rows);
  EXPECT_GE(rows, 3u);
  EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(0), "Ready");
  EXPECT_FALSE(window_test_access::has_progress(*frame_));
  EXPECT_TRUE(enabled(*frame_, cmd::open));
  EXPECT_TRUE(enabled(*frame_, cmd::clear));
  EXPECT_FALSE(enabled(*frame_, cmd::stop));

  // The page's events, in order, with the element pictures.
  CParsedSourceWnd& source = view.source_window();
  ASSERT_GT(window_test_access::line_count(source), 10u);
  EXPECT_EQ(window_test_access::line_text(source, 0), "html");
  EXPECT_EQ(window_test_access::line_icon(source, 0), 15);
  size_t first_text = 0;
  while (first_text < window_test_access::line_count(source) && !window_test_access::line_bold(source, first_text))
    ++first_text;
  ASSERT_LT(first_text, window_test_access::line_count(source));
  EXPECT_EQ(window_test_access::line_icon(source, first_text), -1);
  EXPECT_EQ(window_test_access::first_visible_line(source), 0u);
  // The element where the block's start rule fired says so.
  size_t marked = 0;
  while (marked < window_test_access::line_count(source) && window_test_access::line_rules(source, marked).empty())
    ++marked;
  ASSERT_LT(marked, window_test_access::line_count(source));
  EXPECT_EQ(window_test_access::line_text(source, marked), "div");
  EXPECT_EQ(window_test_access::line_rules(source, marked), "START");

  // Enter and double-click open the selected row's link.
  std::vector<std::string> opened;
  list.set_link_opener([&](const std::string& link) {
    opened.push_back(link);
    return true;
  });
  wxKeyEvent enter(wxEVT_KEY_DOWN);
  enter.m_keyCode = WXK_RETURN;
  list.GetEventHandler()->ProcessEvent(enter);
  EXPECT_TRUE(opened.empty()) << "no row selected";
  list.SetSelection(1);
  list.GetEventHandler()->ProcessEvent(enter);
  wxCommandEvent dclick(wxEVT_LISTBOX_DCLICK, list.GetId());
  list.GetEventHandler()->ProcessEvent(dclick);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], view.controller().reading().row(1).link);
  EXPECT_TRUE(view.controller().reading().row(1).read) << "an opened headline is read";

  screenshot(frame_, "main-window");
  frame_->ProcessCommand(cmd::source);
  EXPECT_TRUE(view.source_visible());
  EXPECT_TRUE(source.IsShown());
  screenshot(&source, "parsed-source");
  dynamic_cast<wxVListBox*>(source.FindWindow(CParsedSourceWnd::list_id))->ScrollToRow(marked - 2);
  screenshot(&source, "parsed-source-rules");
  // Its close box hides it, and the Source command's check follows.
  source.Close();
  EXPECT_FALSE(source.IsShown());
  EXPECT_FALSE(view.source_visible());

  frame_->ProcessCommand(cmd::clear);
  EXPECT_EQ(list.GetItemCount(), 0u);
  EXPECT_EQ(view.controller().reading().total(), 0u);
  EXPECT_FALSE(enabled(*frame_, cmd::clear));
}

TEST_F(MainWindow, ResizeEndSavesPlacementAndOpenURLOfADeadAddressEmptiesTheSource) {
  frame_->SetSize(60, 70, 820, 600);
  ASSERT_TRUE(pump_until([&] {
    frame_rect r;
    return settings_.get_frame_pos(r) == 0 && r.right - r.left == 820;
  }));
  CMainView& view = frame_->view();
  view.open_url("http://127.0.0.1:1/");
  ASSERT_TRUE(pump_until([&] { return view.controller().idle() && !view.controller().jobs().busy(); }));
  EXPECT_EQ(window_test_access::line_count(view.source_window()), 0u);
  EXPECT_EQ(view.list().GetItemCount(), 0u);
}

TEST_F(MainWindow, StartQueueFetchesEverySiteInTurn) {
  EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(CMainFrame::pane_queue), " Queue empty") << "from the start";
  // The keys a reader's hands know: F5 refreshes, Ctrl+Q quits.
  const struct {
    int id;
    int flags, key;
  } keys[] = {{cmd::start_queue, wxACCEL_NORMAL, WXK_F5}, {cmd::exit, wxACCEL_CTRL, 'Q'}};
  for (const auto& k : keys) {
    const wxMenuItem* item = frame_->GetMenuBar()->FindItem(k.id);
    ASSERT_NE(item, nullptr) << k.id;
    std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
    ASSERT_NE(accel, nullptr) << k.id;
    EXPECT_EQ(accel->GetFlags(), k.flags) << k.id;
    EXPECT_EQ(accel->GetKeyCode(), k.key) << k.id;
  }
  testing::http_server server;
  server.route("/news/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, sample("harbour-gazette.html"), "Content-Type: text/html\r\n"));
  });
  testing::temp_dir lib;
  settings_.set_parsedef_root(lib.path());
  std::string xml = testing::read_file(local_parsedef(dir_, server.url("/news/")));
  lib.write("News/one.xml", xml);
  lib.write("News/two.xml", xml);
  lib.write("queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='News/one.xml'>One</SITE>"
            "<SITE fname='News/two.xml'>Two</SITE></VANTREL_SITE_QUEUE>");
  // A window made after the root changed loads that root's queue.
  frame_->Destroy();
  frame_ = new CMainFrame(settings_);
  frame_->Show();
  CMainView& view = frame_->view();
  ASSERT_EQ(view.queue().count(), 2u);
  ASSERT_TRUE(enabled(*frame_, cmd::start_queue));
  frame_->ProcessCommand(cmd::start_queue);
  EXPECT_TRUE(view.runner().running());
  EXPECT_EQ(frame_->GetTitle(), "0% - Vantrel");
  EXPECT_FALSE(enabled(*frame_, cmd::queue));
  EXPECT_FALSE(enabled(*frame_, cmd::start_queue)) << "Stop ends a running queue";
  EXPECT_TRUE(enabled(*frame_, cmd::stop));
  ASSERT_TRUE(pump_until([&] { return !view.runner().running(); }, std::chrono::seconds(20)));
  // The last site's rows come once its worker has let go and the store has kept them.
  EXPECT_TRUE(pump_until([&] { return view.controller().reading().size() == 8u; })) << "four headlines from each site";
  EXPECT_EQ(frame_->GetTitle(), "Vantrel");
  EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(CMainFrame::pane_queue), " Idle");
}

// A day's reading: a queue run that keeps its headlines, marks them new and sums up what
// failed; the filter; read headlines and new marks across a restart; a scheduled refresh that
// tells the desktop and gives way to the user's Start queue.
TEST_F(MainWindow, HeadlinesPersistShowWhatIsNewAndWhatFailed) {
  testing::http_server server;
  server.route("/news/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, sample("harbour-gazette.html"), "Content-Type: text/html\r\n"));
  });
  testing::temp_dir lib;
  settings_.set_parsedef_root(lib.path());
  settings_.set_auto_refresh(0);  // the schedule is started by hand below
  lib.write("News/gazette.xml", testing::read_file(local_parsedef(dir_, server.url("/news/"))));
  lib.write("harbour-gazette.bmp", sample("harbour-gazette.bmp"));
  lib.write("News/harbour-gazette.bmp", sample("harbour-gazette.bmp"));
  // A site that answers with an error page of its usual layout.
  server.route("/gone/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(404, sample("harbour-gazette.html"), "Content-Type: text/html\r\n"));
  });
  lib.write("News/down.xml", "<parsedef name='Down Daily' url='" + server.url("/gone/") +
                                 "'><section><start><div/></start><headline><a/></headline></section></parsedef>");
  lib.write("queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='News/gazette.xml'>Harbour Gazette</SITE>"
            "<SITE fname='News/down.xml'>Down Daily</SITE></VANTREL_SITE_QUEUE>");
  frame_->Destroy();
  frame_ = new CMainFrame(settings_);
  frame_->SetSize(720, 600);
  frame_->Show();
  CMainView* view = &frame_->view();
  wxStatusBar* bar = frame_->GetStatusBar();
  frame_->ProcessCommand(cmd::start_queue);
  auto run_done = [&] {
    return !view->runner().running() && view->controller().idle() && !view->controller().jobs().busy();
  };
  ASSERT_TRUE(pump_until(run_done, std::chrono::seconds(20)));
  ASSERT_TRUE(pump_until([&] { return bar->GetStatusText(CMainFrame::pane_message).StartsWith("2 sites"); }));
  EXPECT_EQ(bar->GetStatusText(CMainFrame::pane_message), "2 sites: 1 with headlines (4 new), 1 failed");
  ASSERT_EQ(view->controller().last_tally().problems().size(), 1u);
  EXPECT_EQ(view->controller().last_tally().problems()[0].rfind("Down Daily: ", 0), 0u);
  EXPECT_TRUE(enabled(*frame_, cmd::failures));
  const reading_list& rows = view->controller().reading();
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_TRUE(rows.row(i).fresh) << i;
  EXPECT_EQ(bar->GetStatusText(CMainFrame::pane_unread), " 4 unread");

  // A headline no browser could open stays unread, and the user is told; opening one reads it.
  view->list().set_link_opener([](const std::string&) { return false; });
  view->list().SetSelection(0);
  view->list().open_selected_link();
  EXPECT_EQ(bar->GetStatusText(CMainFrame::pane_unread), " 4 unread");
  EXPECT_NE(view->controller().status_text().find("No web browser could be started for "), std::string::npos)
      << view->controller().status_text();
  view->list().set_link_opener([](const std::string&) { return true; });
  view->list().open_selected_link();
  EXPECT_EQ(bar->GetStatusText(CMainFrame::pane_unread), " 3 unread");
  view->filter_box().SetFocus();
  view->filter_box().SetValue("FERRY");  // letter case does not matter
  view->apply_filter();
  EXPECT_EQ(view->list().GetItemCount(), 1u) << "only the ferry's story";
  view->filter_box().SetValue("Gazette");
  view->apply_filter();
  EXPECT_EQ(view->list().GetItemCount(), 4u) << "the site's name matches every one of its headlines";
  view->filter_box().SetValue("");
  view->apply_filter();
  EXPECT_EQ(view->list().GetItemCount(), 4u);
  view->filter_box().SetValue("ma");
  view->apply_filter();
  EXPECT_EQ(view->list().GetItemCount(), 2u) << "the masts and the market";
  screenshot(frame_, "reading");

  // The next start shows the same day: read stays read, new stays marked.
  frame_->Destroy();
  frame_ = new CMainFrame(settings_);
  frame_->SetSize(720, 600);
  frame_->Show();
  view = &frame_->view();
  ASSERT_EQ(view->controller().reading().size(), 4u);
  EXPECT_TRUE(view->controller().reading().row(0).read);
  EXPECT_TRUE(view->controller().reading().row(1).fresh);
  EXPECT_NE(view->controller().reading().row(1).first_seen, 0) << "its row tells when it was first seen";
  EXPECT_EQ(frame_->GetStatusBar()->GetStatusText(CMainFrame::pane_unread), " 3 unread");

  // The site that answers 404 fails as such; the Gazette's block stays as it was, marks and all.
  ASSERT_TRUE(view->controller().open_parsedef(lib.file("News/down.xml")));
  ASSERT_TRUE(pump_until([&] { return view->controller().idle() && view->controller().history_writes_waiting() == 0; }));
  EXPECT_TRUE(pump_until([&] {
    return frame_->GetStatusBar()->GetStatusText(CMainFrame::pane_message).Contains("HTTP 404 Not Found");
  })) << frame_->GetStatusBar()->GetStatusText(CMainFrame::pane_message);
  ASSERT_EQ(view->controller().reading().size(), 4u) << "no headlines from an error page";
  EXPECT_TRUE(view->controller().reading().row(1).fresh);
  view->list().rebuild();
  // The panes fit their texts: none is cut off.
  for (int pane : {CMainFrame::pane_queue, CMainFrame::pane_unread}) {
    wxRect field;
    wxStatusBar* status = frame_->GetStatusBar();
    ASSERT_TRUE(status->GetFieldRect(pane, field));
    EXPECT_GE(field.GetWidth(), status->GetTextExtent(status->GetStatusText(pane)).GetWidth() + 8) << pane;
  }
  screenshot(frame_, "error-reply-dates-new");

  // A site with an interval that never ran is due: the schedule runs it and tells the desktop.
  std::vector<std::string> told;
  view->set_notifier([&](const std::string& text) { told.push_back(text); });
  lib.write("News/third.xml", testing::read_file(lib.file("News/gazette.xml")));
  lib.write("News/fourth.xml", testing::read_file(lib.file("News/gazette.xml")));
  for (const char* name : {"third", "fourth"}) {
    auto entry = std::make_unique<queue_site>();
    entry->fname = std::string("News/") + name + ".xml";
    entry->name = name;
    entry->refresh = 30;
    entry->enabled = name == std::string("third") ? 1 : 0;
    view->queue().add(std::move(entry));
  }
  EXPECT_FALSE(view->check_schedule()) << "off in the preferences";
  settings_.set_auto_refresh(1);
  ASSERT_TRUE(view->check_schedule());
  EXPECT_TRUE(view->runner().automatic());
  EXPECT_TRUE(enabled(*frame_, cmd::start_queue)) << "the user may still start the queue";
  ASSERT_TRUE(pump_until([&] { return !told.empty(); }, std::chrono::seconds(20)));
  EXPECT_EQ(told, std::vector<std::string>{"4 new headlines from third"});
  ASSERT_TRUE(pump_until(run_done));
  EXPECT_FALSE(view->check_schedule()) << "ran a moment ago";

  // The user's Start queue stops a scheduled refresh and runs the whole queue after it.
  view->queue()[3].enabled = 1;
  ASSERT_TRUE(view->check_schedule());
  frame_->ProcessCommand(cmd::start_queue);
  EXPECT_FALSE(view->runner().automatic());
  ASSERT_TRUE(pump_until([&] { return view->runner().running() && !view->runner().automatic(); }));
  ASSERT_TRUE(pump_until(run_done, std::chrono::seconds(20)));
  settings_.set_auto_refresh(0);
}

TEST_F(MainWindow, AHandOverWaitsForAnyModalDialogAndForTheRunningJob) {
  CMainView& view = frame_->view();
  const std::string missing = dir_.file("missing.xml");
  bool checked = false;
  // About, and a message box, are modal dialogs the view does not open itself.
  for (const bool message_box : {false, true}) {
    std::unique_ptr<wxDialog> dialog;
    if (message_box) {
      dialog = std::make_unique<wxMessageDialog>(frame_, "A message");
    } else {
      dialog = std::make_unique<about_dialog>(frame_);
    }
    frame_->CallAfter([&] {
      EXPECT_TRUE(view.modal_open());
      view.hand_over(missing);
      testing::pump();
      EXPECT_EQ(view.controller().waiting_hand_overs(), 1u) << "waits while the dialog is open";
      checked = true;
      // A message box is the desktop's own dialog: answered from the keyboard.
      if (message_box) {
        wxUIActionSimulator().Char(WXK_RETURN);
      } else {
        dialog->EndModal(wxID_OK);
      }
    });
    dialog->ShowModal();
    ASSERT_TRUE(checked);
    ASSERT_TRUE(pump_until([&] { return view.controller().waiting_hand_overs() == 0; }));
    ASSERT_TRUE(pump_until([&] { return view.controller().idle(); }));
    checked = false;
  }
  // A path that comes during a job is opened after it.
  view.open_url("http://127.0.0.1:1/");
  view.hand_over(missing);
  testing::pump();
  ASSERT_TRUE(pump_until([&] { return view.controller().waiting_hand_overs() == 0; }));
}

// A package handed over by a second start: Enter in the Install dialog installs it, and "Open"
// then runs the installed copy.
TEST_F(MainWindow, EnterInTheInstallDialogOfAHandOverInstalls) {
  CMainView& view = frame_->view();
  dir_.write("Downloads/readme", "");
  const std::string package = dir_.file("Downloads/gazette.nov");
  testing::write_zip(package, {{"site.xml", "<parsedef name='Gazette' url='http://127.0.0.1:1/' category='News' "
                                            "version='2'><section><start><div/></start><headline><a/></headline>"
                                            "</section></parsedef>"}});
  wxTimer press;
  int pressed = 0;
  press.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    for (wxWindow* window : wxTopLevelWindows) {
      if (window->GetLabel() != "Install ParseDef" || !window->IsShown()) continue;
      // Without a window manager the keyboard goes to the window under the pointer.
      wxUIActionSimulator keys;
      const wxRect place = window->GetScreenRect();
      keys.MouseMove(place.GetLeft() + 5, place.GetTop() + 5);
      wxYield();
      keys.Char(WXK_RETURN);
      ++pressed;
      return;
    }
  });
  press.Start(300);
  view.hand_over(package);
  ASSERT_TRUE(pump_until([&] { return pressed > 0 && !view.modal_open(); }, std::chrono::seconds(10)));
  press.Stop();
  EXPECT_TRUE(testing::file_exists(dir_.file("library/News/gazette.nov"))) << "installed";
  ASSERT_EQ(view.queue().count(), 1u);
  EXPECT_EQ(view.queue()[0].fname, "News/gazette.nov");
  EXPECT_TRUE(pump_until([&] { return view.controller().last_run("News/gazette.nov").has_value(); }))
      << "the installed copy ran, under its library key";
  EXPECT_FALSE(view.controller().last_run(package)) << "not the downloaded one";
}

TEST_F(MainWindow, ManualOpensAtEveryHelpContext) {
  help_viewer help;
  ASSERT_FALSE(help_viewer::book_path().empty());
  for (int context : {0, 30, 49}) EXPECT_TRUE(help.show(frame_, context)) << context;
  testing::pump();
  for (wxWindow* window : wxTopLevelWindows) {
    if (window->GetLabel().StartsWith("Tidewatch Help")) {
      screenshot(window, "manual");
      window->Close(true);
    }
  }
}

}  // namespace
}  // namespace vantrel
