// The main view's decisions without a window: which commands may run, Open with a cancelled
// ParseDef choice, Clear during a job, the hand-over of a second start, Stop.
#include "app/view_controller.h"

#include <gtest/gtest.h>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

class fake_display : public view_display {
 public:
  void set_status_text(const std::string& text) override { texts.push_back(text); }
  void set_progress(int) override {}
  void remove_progress() override {}
  void rebuild_list() override { ++rebuilds; }
  void list_cleared() override { ++clears; }
  void clear_source() override { lines = 0; }
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>& added) override { lines += added.size(); }

  std::vector<std::string> texts;
  int rebuilds = 0, clears = 0;
  size_t lines = 0;
};

class ViewController : public ::testing::Test {
 protected:
  ViewController() {
    controller_.jobs().set_report_pause(std::chrono::milliseconds(0));
    page_ = dir_.write("page.html",
                       "<html><body><div class=s><a href='/a'>First</a><a href='/b'>Second</a></div></body></html>");
    parsedef_ = dir_.write("site.xml",
                           "<parsedef name='Site' url='http://127.0.0.1:1/'><section match='substr'>"
                           "<start><div class='s'/></start><headline><a/></headline></section></parsedef>");
  }
  // Runs the worker's tasks until the job has ended and let go of its record.
  void finish() {
    for (int i = 0; i < 500 && !(controller_.idle() && !controller_.jobs().busy() && ui_.pending() == 0); ++i) {
      ui_.run_pending(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(controller_.idle());
    // The worker's last report may be posted just after it let go of the record.
    controller_.jobs().wait();
    ui_.run_pending();
  }

  testing::temp_dir dir_;
  std::string page_, parsedef_;
  queue_dispatcher ui_;
  fake_display display_;
  view_controller controller_{ui_, nullptr, display_, nullptr};
};

TEST_F(ViewController, OpenParsesThePageAndACancelledChoiceKeepsTheLastParseDef) {
  controller_.open_source(page_, parsedef_);
  EXPECT_FALSE(controller_.idle());
  EXPECT_TRUE(controller_.can_stop());
  EXPECT_FALSE(controller_.open_parsedef(parsedef_)) << "one job at a time";
  finish();
  ASSERT_EQ(controller_.reading().size(), 2u);
  EXPECT_EQ(controller_.reading().row(0).heading, "First");
  EXPECT_FALSE(controller_.reading().row(0).fresh) << "a saved page has nothing new";
  EXPECT_GT(display_.lines, 5u);

  controller_.open_source(page_, std::nullopt);
  finish();
  EXPECT_EQ(controller_.reading().size(), 2u) << "emptied first, then the same two from the earlier ParseDef";
  EXPECT_GE(display_.clears, 2);
  EXPECT_EQ(controller_.prompt("Ready"), "Ready");

  // A page that changed under the rules says so, instead of looking like a site without news.
  controller_.open_source(dir_.write("moved.html", "<div class=t><a href='/a'>First</a></div>"), std::nullopt);
  finish();
  EXPECT_EQ(controller_.prompt("Ready"),
            "No headlines: the start of section 1 never matched (START <div class=\"s\">)");
}

TEST_F(ViewController, ClearDuringAJobKeepsWhatArrivesLater) {
  controller_.open_source(page_, parsedef_);
  controller_.clear();
  EXPECT_FALSE(controller_.can_clear());
  finish();
  EXPECT_LE(controller_.reading().size(), 2u);
  controller_.clear();
  EXPECT_EQ(controller_.reading().size(), 0u);
}

TEST_F(ViewController, HandOverWaitsForDialogsAndForTheRunningJob) {
  controller_.hand_over(page_ + ".missing.xml");
  EXPECT_EQ(controller_.deliver_hand_overs(true), 0) << "a dialog is open";
  EXPECT_EQ(controller_.waiting_hand_overs(), 1u);
  EXPECT_EQ(controller_.deliver_hand_overs(false), 1) << "a missing file still starts a job, which fails";
  finish();
  EXPECT_EQ(controller_.reading().size(), 0u);
  EXPECT_NE(controller_.prompt("Ready").find(page_ + ".missing.xml"), std::string::npos)
      << "the failure stays in the message pane";

  controller_.open_source(page_, parsedef_);
  controller_.hand_over(parsedef_);
  controller_.hand_over(parsedef_);
  EXPECT_EQ(controller_.deliver_hand_overs(false), 0);
  EXPECT_EQ(controller_.waiting_hand_overs(), 2u) << "kept until the job has ended";
  finish();
  EXPECT_EQ(controller_.deliver_hand_overs(false), 1) << "one job at a time";
  EXPECT_EQ(controller_.waiting_hand_overs(), 1u);
  finish();
  EXPECT_EQ(controller_.deliver_hand_overs(false), 1);
  finish();
  EXPECT_EQ(controller_.waiting_hand_overs(), 0u);
}

TEST_F(ViewController, StopEndsAJobAndThePromptReturns) {
  controller_.open_url("http://127.0.0.1:1/");
  controller_.stop();
  EXPECT_FALSE(controller_.can_stop());
  finish();
  EXPECT_EQ(controller_.prompt("Ready"), "Ready");
  EXPECT_TRUE(controller_.open_parsedef(parsedef_)) << "idle again";
  finish();
}

}  // namespace
}  // namespace vantrel
