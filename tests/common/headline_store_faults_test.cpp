// The headline store against what hand edits, hostile pages and other programs do to it: a
// schema changed by hand, an older store brought up to date, a page of hostile size, and two
// connections keeping the same page at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/headline_store.h"
#include "common/sqlite_db.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

run_record page_run(const std::string& site, unix_time when, std::vector<headline> headlines) {
  run_record r;
  r.site = site;
  r.run.when = when;
  r.run.outcome = run_outcome::headlines;
  r.headlines = std::move(headlines);
  return r;
}

std::vector<headline> numbered(int count, const std::string& prefix = "http://s/") {
  std::vector<headline> out;
  for (int i = 0; i < count; ++i) out.push_back({"News " + std::to_string(i), std::nullopt, prefix + std::to_string(i)});
  return out;
}

void exec_on(const std::string& path, const std::string& sql) {
  sqlite_db db;
  ASSERT_TRUE(db.open(path, true).ok());
  ASSERT_TRUE(db.exec(sql).ok()) << sql;
}

size_t kept_files(const testing::temp_dir& dir) {
  size_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    kept += entry.path().filename().string().find(".damaged-") != std::string::npos &&
            entry.path().extension() != ".db-wal" && entry.path().extension() != ".db-shm";
  return kept;
}

// A schema changed by hand is found at open, once: the file is kept aside with a message, and
// the new store works (no error per site forever after).
TEST(HeadlineStoreFaults, ASchemaChangedByHandIsKeptAsideOnce) {
  const std::vector<std::pair<const char*, std::string>> edits = {
      {"a table dropped", "DROP TABLE runs"},
      {"a column gone", "ALTER TABLE headlines DROP COLUMN position"},
      {"version 0 with the tables there", "PRAGMA user_version=0"},
      {"a negative version", "PRAGMA user_version=-3"},
  };
  for (const auto& [what, sql] : edits) {
    SCOPED_TRACE(what);
    testing::temp_dir dir;
    const std::string path = dir.file("store.db");
    {
      std::string notice;
      auto made = headline_store::open(path, &notice);
      ASSERT_TRUE(made) << made.message();
      ASSERT_TRUE((*made)->record(page_run("s", 1000, numbered(3))));
    }
    exec_on(path, sql);
    for (int open = 0; open < 2; ++open) {
      std::string notice;
      auto store = headline_store::open(path, &notice);
      ASSERT_TRUE(store) << store.message();
      EXPECT_EQ(notice.empty(), open == 1) << notice;
      if (open == 0) {
        EXPECT_NE(notice.find("was damaged: it is kept as"), std::string::npos) << notice;
      }
      auto run = (*store)->record(page_run("s", 2000 + open, numbered(3)));
      ASSERT_TRUE(run) << run.message();
      EXPECT_EQ(run->fresh, open == 0 ? 3u : 0u);
    }
    EXPECT_EQ(kept_files(dir), 1u) << "the edited file is kept, and only it";
  }
}

// A store of the first version is brought up to date at open with what it held: its headlines
// stay the same headlines (not new again), read or not.
TEST(HeadlineStoreFaults, AnOlderStoreIsBroughtUpToDate) {
  testing::temp_dir dir;
  const std::string path = dir.file("store.db");
  exec_on(path,
          "CREATE TABLE sites (id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, name TEXT, runs INTEGER NOT NULL "
          "DEFAULT 0, last_good INTEGER, etag TEXT, last_modified TEXT, rules TEXT, digest TEXT, seen_at INTEGER, "
          "logo BLOB);"
          "CREATE TABLE headlines (id INTEGER PRIMARY KEY, site INTEGER NOT NULL REFERENCES sites(id), identity TEXT "
          "NOT NULL, heading TEXT NOT NULL, subheading TEXT, link TEXT NOT NULL, encoding INTEGER NOT NULL DEFAULT 0, "
          "first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL, first_run INTEGER NOT NULL, last_run INTEGER NOT "
          "NULL, position INTEGER NOT NULL, read INTEGER NOT NULL DEFAULT 0, UNIQUE (site, identity));"
          "CREATE TABLE runs (site INTEGER PRIMARY KEY REFERENCES sites(id), time INTEGER NOT NULL, outcome INTEGER NOT "
          "NULL, found INTEGER NOT NULL, fresh INTEGER NOT NULL, reason TEXT NOT NULL, http_status INTEGER NOT NULL, "
          "user_started INTEGER NOT NULL);"
          "INSERT INTO sites(id, key, name, runs, last_good) VALUES(1, 's', 'Site', 1, 500);"
          "INSERT INTO headlines VALUES(1, 1, 'http://s/0', 'News 0', NULL, 'http://s/0', 0, 500, 500, 1, 1, 0, 1);"
          "INSERT INTO headlines VALUES(2, 1, X'014C696E6B6C657373', 'Linkless', NULL, '', 0, 500, 500, 1, 1, 1, 0);"
          "PRAGMA user_version=1;");
  std::string notice;
  auto store = headline_store::open(path, &notice);
  ASSERT_TRUE(store) << store.message();
  EXPECT_EQ(notice, "");
  auto page = numbered(2);
  page.push_back({"Linkless", std::nullopt, ""});
  std::vector<kept_headline> kept;
  auto run = (*store)->record(page_run("s", 1000, page), &kept);
  ASSERT_TRUE(run) << run.message();
  EXPECT_EQ(run->fresh, 1u) << "only News 1 is new";
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].first_seen, 500);
  EXPECT_FALSE(kept[0].fresh);
  EXPECT_TRUE(kept[1].fresh);
  EXPECT_EQ(kept[1].first_seen, 1000);
  EXPECT_EQ(kept[2].first_seen, 500);
  EXPECT_EQ((*store)->unread_count().value_or(0), 2u) << "what was read stays read";
  EXPECT_EQ((*store)->site_name("s").value_or(std::nullopt), "Site");
}

// What a hostile page may cost: links of a megabyte are left out, headings cut at a character,
// a run keeps its first headlines up to the limit and a site its most recently seen.
TEST(HeadlineStoreFaults, APageOfHostileSizeCostsWhatTheLimitsAllow) {
  testing::temp_dir dir;
  const std::string path = dir.file("store.db");
  std::string notice;
  auto opened = headline_store::open(path, &notice);
  ASSERT_TRUE(opened) << opened.message();
  std::unique_ptr<headline_store> store = std::move(*opened);

  std::vector<headline> hostile;
  for (int i = 0; i < 5; ++i) hostile.push_back({"Long link", std::nullopt, "http://s/" + std::string(1 << 20, 'a' + i)});
  // A heading of three-byte characters, so a cut at the byte limit would fall inside one.
  std::string wide;
  while (wide.size() < 1 << 20) wide += "\xE2\x82\xAC";
  hostile.push_back({wide, std::string(1 << 20, 's'), "http://s/wide"});
  auto run = store->record(page_run("s", 1000, hostile));
  ASSERT_TRUE(run) << run.message();
  EXPECT_EQ(run->found, 1u);
  std::vector<stored_headline> rows;
  ASSERT_TRUE(store->load(0, [&](stored_headline&& h) { rows.push_back(std::move(h)); }).ok());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_LE(rows[0].heading.size(), headline_store::max_heading);
  EXPECT_EQ(rows[0].heading.size() % 3, 0u) << "cut between characters";
  EXPECT_EQ(rows[0].subheading->size(), headline_store::max_subheading);
  store.reset();
  std::error_code no_log;
  const auto log = std::filesystem::file_size(path + "-wal", no_log);
  EXPECT_LT(std::filesystem::file_size(path) + (no_log ? 0 : log), 1u << 20) << "five links of a megabyte cost nothing";

  auto again = headline_store::open(path, &notice);
  ASSERT_TRUE(again) << again.message();
  store = std::move(*again);
  run = store->record(page_run("many", 2000, numbered(3000)));
  ASSERT_TRUE(run);
  EXPECT_EQ(run->found, headline_store::max_run_headlines) << "the first of the page";
  for (int r = 1; r <= 5; ++r)
    ASSERT_TRUE(store->record(page_run("many", 2000 + r, numbered(2000, "http://s/" + std::to_string(r) + "/"))));
  EXPECT_EQ(store->identities("many").value_or({}).size(), headline_store::max_site_headlines);
  EXPECT_TRUE(store->identities("many").value_or({}).contains("http://s/5/0")) << "the latest are kept";
  EXPECT_FALSE(store->identities("many").value_or({}).contains("http://s/0")) << "the oldest go";
}

// Two connections (as two programs) keeping runs of the same page at once: each headline is
// new to exactly one of them.
TEST(HeadlineStoreFaults, RunsAtOnceCallEachHeadlineNewOnce) {
  testing::temp_dir dir;
  const std::string path = dir.file("store.db");
  std::string notice;
  ASSERT_TRUE(headline_store::open(path, &notice));
  constexpr int writers = 3, runs = 20;
  std::vector<unsigned long> fresh(writers, 0);
  std::vector<std::thread> threads;
  for (int w = 0; w < writers; ++w) {
    threads.emplace_back([&, w] {
      std::string told;
      auto store = headline_store::open(path, &told);
      ASSERT_TRUE(store) << store.message();
      for (int r = 0; r < runs; ++r) {
        // Each run's page holds the headlines of every run so far and ten of its own.
        auto run = (*store)->record(page_run("s", 1000 + r, numbered(10 * (r + 1))));
        ASSERT_TRUE(run) << run.message();
        fresh[static_cast<size_t>(w)] += run->fresh;
      }
    });
  }
  for (auto& t : threads) t.join();
  unsigned long total = 0;
  for (unsigned long f : fresh) total += f;
  EXPECT_EQ(total, 10u * runs);
}

// Programs starting at once on a store that is not there yet: one makes it, the others find it
// made; none takes the half-made store for a damaged one.
TEST(HeadlineStoreFaults, ProgramsMakingTheStoreAtOnceNeverTakeItForDamaged) {
  for (int round = 0; round < 40; ++round) {
    testing::temp_dir dir;
    const std::string path = dir.file("store.db");
    std::vector<std::string> notices(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < notices.size(); ++t) {
      threads.emplace_back([&, t] {
        auto store = headline_store::open(path, &notices[t]);
        EXPECT_TRUE(store) << store.message();
      });
    }
    for (auto& t : threads) t.join();
    for (const std::string& notice : notices) ASSERT_EQ(notice, "") << "round " << round;
    ASSERT_EQ(kept_files(dir), 0u) << "round " << round;
  }
}

}  // namespace
}  // namespace vantrel
