// A site's run as the store keeps it: how a job's end becomes a run, which headlines are new,
// what is asked for conditionally, and the tally of a queue run.
#include "engine/run_recorder.h"

#include <gtest/gtest.h>

#include "common/queue_policy.h"
#include "engine/rule_check.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

headline_item item(const std::string& heading, const std::string& link) {
  headline_item i;
  i.heading = heading;
  i.link = link;
  i.fields_set = all_fields;
  return i;
}

TEST(RunRecorder, AJobsEndBecomesARun) {
  auto empty_report = std::make_shared<rule_report>();
  struct {
    job_outcome outcome;
    unsigned long found;
    run_outcome expected;
    std::string text;
  } cases[] = {
      {{-1, {status_code::unavailable, "http://x/: Could not resolve host"}, nullptr, 0, false, {}, ""},
       0,
       run_outcome::failed,
       "http://x/: Could not resolve host"},
      {{0, {}, empty_report, 304, true, {}, ""}, 0, run_outcome::unchanged, "Unchanged since the last run"},
      {{0, {}, empty_report, 404, false, {}, ""},
       0,
       run_outcome::nothing,
       "No headlines: the rules found nothing on the page (HTTP 404)"},
      {{0, {}, nullptr, 200, false, {}, ""}, 0, run_outcome::nothing, "No headlines: the page was empty"},
      {{0, {}, empty_report, 200, false, {}, ""}, 3, run_outcome::headlines, "3 headlines, 0 new"},
      {{-1, status::stopped(), nullptr, 0, false, {}, ""}, 0, run_outcome::failed, "stopped"},
  };
  for (const auto& c : cases) {
    const site_run run = run_of(c.outcome, c.found, 100, false);
    EXPECT_EQ(run.outcome, c.expected) << c.text;
    EXPECT_EQ(run_text(run), c.text);
    EXPECT_EQ(run.when, 100);
    EXPECT_FALSE(run.user_started);
    EXPECT_EQ(run.unreachable, c.text.find("resolve") != std::string::npos) << "no reply came: " << c.text;
  }
}

TEST(RunRecorder, TellsNewHeadlinesAndAsksConditionallyOnlyWithTheSameRules) {
  testing::temp_dir dir;
  std::string notice;
  auto opened = headline_store::open(dir.file("store.db"), &notice);
  ASSERT_TRUE(opened) << opened.message();
  auto store = std::move(*opened);
  const std::string rules = dir.write("site.xml", "<rules/>");
  job_outcome read{0, {}, std::make_shared<rule_report>(), 200, false, {"\"e1\"", std::nullopt}, ""};

  run_recorder first(store.get(), "site.xml", "Site", rules_stamp(rules));
  EXPECT_TRUE(first.validators().empty());
  EXPECT_TRUE(first.add(item("One", "http://s/1")));
  EXPECT_FALSE(first.add(item("One again", "http://s/1"))) << "the same link twice on a page";
  EXPECT_TRUE(first.add(item("Two", "http://s/2")));
  site_run run = first.finish(read, 1000, true).run;
  EXPECT_EQ(run.found, 2u);
  EXPECT_EQ(run.fresh, 2u);

  run_recorder second(store.get(), "site.xml", "Site", rules_stamp(rules));
  EXPECT_EQ(second.validators().etag, "\"e1\"");
  EXPECT_FALSE(second.add(item("One", "http://s/1")));
  EXPECT_TRUE(second.add(item("Three", "http://s/3")));
  job_outcome stopped = read;
  stopped.failure = status::stopped();
  stopped.ret = -1;
  EXPECT_EQ(second.finish(stopped, 2000, true).run.outcome, run_outcome::failed);
  EXPECT_EQ((*store->last_run("site.xml"))->when, 1000) << "a stopped run is not kept";

  dir.write("site.xml", "<rules>edited</rules>");
  run_recorder edited(store.get(), "site.xml", "Site", rules_stamp(rules));
  EXPECT_TRUE(edited.validators().empty());

  run_recorder without(nullptr, "site.xml", "Site", rules_stamp(rules));
  EXPECT_TRUE(without.add(item("One", "http://s/1"))) << "without a store every headline is new";
  EXPECT_EQ(without.finish(read, 3000, true).run.fresh, 1u);
}

TEST(RunRecorder, AQueueRunIsTalliedWithItsProblems) {
  run_tally tally;
  EXPECT_TRUE(tally.empty());
  site_run good{1, run_outcome::headlines, 10, 4, "", 200, true};
  site_run same{1, run_outcome::unchanged, 0, 0, "", 304, true};
  site_run none{1, run_outcome::nothing, 0, 0, "No headlines: the rules found nothing on the page", 404, true};
  site_run bad{1, run_outcome::failed, 0, 0, "Could not resolve host", 0, true};
  for (const site_run& r : {good, good, same, none, bad, bad})
    tally.add(r.outcome == run_outcome::failed ? "Down" : "Up", r);
  EXPECT_EQ(tally.summary(), "6 sites: 3 with headlines (8 new), 1 with none, 2 failed");
  EXPECT_EQ(tally.problems(),
            (std::vector<std::string>{"Up: No headlines: the rules found nothing on the page (HTTP 404)",
                                      "Down: Could not resolve host", "Down: Could not resolve host"}));
  run_tally one;
  one.add("A", good);
  EXPECT_EQ(one.summary(), "1 site: 1 with headlines (4 new)");

  // Offline: not one site answered, and the summary says what to do.
  site_run unreachable = bad;
  unreachable.unreachable = true;
  run_tally offline;
  for (int i = 0; i < 9; ++i) offline.add("Site " + std::to_string(i), unreachable);
  EXPECT_EQ(offline.summary().rfind("9 sites: none could be reached. Check the network connection", 0), 0u)
      << offline.summary();
  offline.add("Up", good);
  EXPECT_EQ(offline.summary(), "10 sites: 1 with headlines (4 new), 9 failed") << "one answered: the network is up";
}

}  // namespace
}  // namespace vantrel
