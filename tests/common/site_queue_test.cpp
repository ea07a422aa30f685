// The queue file: round trips, what older or hand-made files hold, and a file that cannot be
// read is never silently replaced.
#include "common/site_queue.h"

#include <gtest/gtest.h>

#include "common/queue_policy.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

std::unique_ptr<queue_site> site(std::optional<std::string> fname, std::optional<std::string> name, int enabled = 1) {
  auto s = std::make_unique<queue_site>();
  s->fname = std::move(fname);
  s->name = std::move(name);
  s->enabled = enabled;
  return s;
}

TEST(SiteQueue, RoundTrips) {
  testing::temp_dir dir;
  const std::string path = dir.file("queue.xml");
  site_queue q;
  ASSERT_GT(q.save(path), 0) << "an empty queue is a root element only";
  ASSERT_EQ(q.load(path), 0);
  EXPECT_TRUE(q.empty());

  q.add(site("News/gazette.nov", "Harbour Gazette"));
  q.add(site(std::nullopt, std::nullopt, 0));
  q.add(site("Tech/a&b.xml", "AT&T <News> \"daily\""));
  q.add(site("Русские/новости.nov", "Новости дня"));
  q[0].refresh = -5;
  q[0].last_refresh = 1234567;
  ASSERT_GT(q.save(path), 0);
  site_queue back;
  ASSERT_EQ(back.load(path), 0);
  ASSERT_EQ(back.count(), 4u);
  EXPECT_EQ(back[0].fname, "News/gazette.nov");
  EXPECT_EQ(back[0].refresh, -5);
  EXPECT_EQ(back[0].last_refresh, 1234567);
  EXPECT_EQ(back[1].fname, "NULL") << "a missing text is written as NULL and read back as such";
  EXPECT_EQ(back[1].name, "NULL");
  EXPECT_EQ(back[1].enabled, 0);
  EXPECT_EQ(back[2].name, "AT&T <News> \"daily\"");
  EXPECT_EQ(back[2].fname, "Tech/a&b.xml");
  EXPECT_EQ(back[3].name, "Новости дня");
  EXPECT_EQ(testing::list_files(dir.path()), "queue.xml\n") << "no temporary file left";
}

TEST(SiteQueue, ReadsOtherLetterCasesAndBareEntries) {
  testing::temp_dir dir;
  const std::string path = dir.write("queue.xml",
                                     "<?xml version=\"1.0\"?>\n<vantrel_site_queue><site>Bare</site>"
                                     "<other fname=\"x\"/><Site fname=\"a.nov\" enabled=\"0\" refresh=\"x\"/>"
                                     "</vantrel_site_queue>");
  site_queue q;
  ASSERT_EQ(q.load(path), 0);
  ASSERT_EQ(q.count(), 2u);
  EXPECT_EQ(q[0].name, "Bare");
  EXPECT_FALSE(q[0].fname);
  EXPECT_EQ(q[0].enabled, 1);
  EXPECT_EQ(q[1].enabled, 0);
  EXPECT_EQ(q[1].refresh, 0);
}

TEST(SiteQueue, AnUnreadableFileIsKeptBeforeTheFirstSave) {
  for (const char* broken : {"<VANTREL_SITE_QUEUE><SITE fname='a.nov'>", "<other_root/>"}) {
    testing::temp_dir dir;
    const std::string path = dir.write("queue.xml", broken);
    site_queue q;
    EXPECT_EQ(q.load(path), -1) << broken;
    EXPECT_TRUE(q.empty());
    q.add(site("b.nov", "B"));
    ASSERT_GT(q.save(path), 0);
    EXPECT_EQ(testing::read_file(path + ".bak"), broken);
    q.add(site("c.nov", "C"));
    ASSERT_GT(q.save(path), 0);
    EXPECT_EQ(testing::read_file(path + ".bak"), broken) << "kept once, not replaced by later saves";
  }
  site_queue q;
  EXPECT_EQ(q.load("/nonexistent/queue.xml"), -1);
  EXPECT_EQ(q.save("/nonexistent/queue.xml"), -1);
}

TEST(SiteQueue, FindRemoveAndMove) {
  site_queue q;
  q.add(site("News/A.nov", "A"));
  q.add(site("news/a.nov", "a"));
  q.add(site("B.nov", "B"));
  EXPECT_EQ(q.find("news/a.nov")->name, "a") << "an exact match first";
  EXPECT_EQ(q.find("NEWS/A.NOV")->name, "A") << "then ignoring case";
  EXPECT_EQ(q.find("missing"), nullptr);
  EXPECT_EQ(q.remove("b.NOV"), 0);
  EXPECT_EQ(q.remove("b.nov"), -1);
  EXPECT_TRUE(q.move(1, -1));
  EXPECT_EQ(q[0].name, "a");
  EXPECT_FALSE(q.move(0, -1));
  EXPECT_FALSE(q.move(1, 1));
  q.remove_index(7);
  q.remove_index(0);
  ASSERT_EQ(q.count(), 1u);
  EXPECT_EQ(q[0].name, "A");
}

TEST(SiteQueue, ASwitchThatIsNoNumberIsOff) {
  testing::temp_dir dir;
  const std::string path = dir.write("queue.xml",
                                     "<VANTREL_SITE_QUEUE><SITE fname='a' enabled='no'/><SITE fname='b' enabled=''/>"
                                     "<SITE fname='c' enabled=' 2x'/><SITE fname='d' refresh='+15' last_refresh='x'/>"
                                     "</VANTREL_SITE_QUEUE>");
  site_queue q;
  ASSERT_EQ(q.load(path), 0);
  ASSERT_EQ(q.count(), 4u);
  EXPECT_EQ(q[0].enabled, 0);
  EXPECT_EQ(q[1].enabled, 0);
  EXPECT_NE(q[2].enabled, 0);
  EXPECT_EQ(q[3].enabled, 1) << "absent: unchanged";
  EXPECT_EQ(q[3].refresh, 15);
  EXPECT_EQ(q[3].last_refresh, 0);
}

TEST(SiteQueue, ASaveThatWouldNotReadBackLeavesTheFileAlone) {
  testing::temp_dir dir;
  site_queue q;
  q.add(site("News/a.xml", "A"));
  const std::string path = dir.file("queue.xml");
  ASSERT_GT(q.save(path), 0);
  const std::string before = testing::read_file(path);
  for (const char* fname : {"News/caf\xE9.xml", "News/bell\x07.xml", "News/x\xEF\xBF\xBF.xml"}) {
    EXPECT_TRUE(queue_name_problem(fname));
    q.add(site(fname, "Broken"));
    EXPECT_EQ(q.save(path), -1);
    EXPECT_EQ(testing::read_file(path), before);
    q.remove_index(1);
  }
  EXPECT_FALSE(queue_name_problem("Новости/a b.xml"));
  site_queue back;
  ASSERT_EQ(back.load(path), 0);
  EXPECT_EQ(back.count(), 1u);
}

TEST(QueuePolicy, TheFileAnEntryRuns) {
  testing::temp_dir dir;
  dir.write("lib/News/a.xml", "x");
  dir.write("lib/NULL", "a file named like the placeholder is no entry's file");
  const std::string lib = dir.file("lib");
  struct {
    std::optional<std::string> fname;
    int enabled;
    std::optional<std::string> runs;
  } cases[] = {
      {"News/a.xml", 1, lib + "/News/a.xml"},  {"news/A.XML", 1, lib + "/News/a.xml"},
      {"News\\a.xml", 1, lib + "/News/a.xml"}, {"News/a.xml", 0, std::nullopt},
      {"News/b.xml", 1, std::nullopt},         {"News", 1, std::nullopt},
      {std::nullopt, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    auto entry = site(c.fname, "A", c.enabled);
    EXPECT_EQ(queued_site_file(lib, *entry), c.runs) << c.fname.value_or("(none)") << " " << c.enabled;
  }
}

TEST(QueuePolicy, AnEntryIsKeptUnderTheNameItsFileHas) {
  testing::temp_dir dir;
  dir.write("lib/News/a.xml", "x");
  const std::string lib = dir.file("lib");
  EXPECT_EQ(queued_site_key(lib, *site("NEWS/A.XML", "A", 0)), "News/a.xml") << "disabled entries have a key too";
  EXPECT_EQ(queued_site_key(lib, *site("News/gone.xml", "A", 1)), "News/gone.xml");
  EXPECT_EQ(site_key_for(lib, lib + "/News/./a.xml"), "News/a.xml");
  EXPECT_EQ(site_key_for(lib, dir.file("elsewhere.xml")), dir.file("elsewhere.xml"));

  const std::string stamp = rules_stamp(lib + "/News/a.xml");
  EXPECT_FALSE(stamp.empty());
  dir.write("lib/News/a.xml", "edited");
  EXPECT_NE(rules_stamp(lib + "/News/a.xml"), stamp);
  EXPECT_EQ(rules_stamp(lib + "/News/gone.xml"), "");
}

TEST(QueuePolicy, ASiteIsDueItsIntervalAfterItsLastRun) {
  const std::int64_t now = 1'800'000'000;
  struct {
    long refresh;
    int enabled;
    long last_refresh;                     // the queue file's
    std::optional<std::int64_t> last_run;  // the store's
    bool due;
  } cases[] = {
      {0, 1, 0, std::nullopt, false},  // only when the user runs the queue
      {-5, 1, 0, std::nullopt, false},
      {30, 0, 0, std::nullopt, false},  // disabled
      {30, 1, 0, std::nullopt, true},   // never ran
      {30, 1, 0, now - 29 * 60, false},
      {30, 1, 0, now - 30 * 60, true},
      {30, 1, now - 10 * 60, now - 40 * 60, false},  // the later of the two counts
      {30, 1, now - 40 * 60, now - 10 * 60, false},
      {30, 1, 0, now + 31 * 60, true},  // the clock went back past the interval
      {30, 1, 0, now + 10 * 60, false},
      {0x7fffffffL, 1, 0, now - 1, false},  // an interval beyond any clock
      {30, 1, 0x7fffffffffffffffL, std::nullopt, true},
  };
  for (const auto& c : cases) {
    queue_site entry;
    entry.fname = "a.xml";
    entry.refresh = c.refresh;
    entry.enabled = c.enabled;
    entry.last_refresh = c.last_refresh;
    EXPECT_EQ(refresh_due(entry, c.last_run, now), c.due)
        << c.refresh << " " << c.enabled << " " << c.last_refresh << " " << c.last_run.value_or(-1);
  }
}

// The schedule's pick: due entries in queue order; entries without an interval, or disabled,
// are not even looked up in the store.
TEST(QueuePolicy, DueEntriesAreTheEnabledOnesWhoseIntervalPassedInQueueOrder) {
  const std::int64_t now = 1'800'000'000;
  site_queue queue;
  const struct {
    const char* fname;
    long refresh;
    int enabled;
  } entries[] = {{"a.xml", 10, 1}, {"b.xml", 0, 1}, {"c.xml", 10, 0}, {"d.xml", 10, 1}, {"e.xml", 60, 1}};
  for (const auto& e : entries) {
    auto site = std::make_unique<queue_site>();
    site->fname = e.fname;
    site->refresh = e.refresh;
    site->enabled = e.enabled;
    queue.add(std::move(site));
  }
  std::vector<std::string> asked;
  const auto last_run = [&](const queue_site& site) -> std::optional<std::int64_t> {
    asked.push_back(queue_fname(site));
    if (queue_fname(site) == "d.xml") return now - 5 * 60;  // ran five minutes ago
    if (queue_fname(site) == "e.xml") return now - 61 * 60;
    return std::nullopt;
  };
  EXPECT_EQ(due_entries(queue, last_run, now), (std::vector<size_t>{0, 4}));
  EXPECT_EQ(asked, (std::vector<std::string>{"a.xml", "d.xml", "e.xml"}));
  EXPECT_TRUE(due_entries(site_queue(), last_run, now).empty());
}

}  // namespace
}  // namespace vantrel
