// The headline store: what a run adds and marks new, the identity of a headline, the order the
// list gets, bytes that come back as they went in, the runs that read no page, and damaged or
// newer files that are never overwritten.
#include "common/headline_store.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "common/sqlite_db.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

run_record run_of(const std::string& site, unix_time when, std::vector<headline> headlines,
                  run_outcome outcome = run_outcome::headlines) {
  run_record r;
  r.site = site;
  r.site_name = "Site " + site;
  r.run.when = when;
  r.run.outcome = outcome;
  r.headlines = std::move(headlines);
  return r;
}

headline h(const std::string& heading, const std::string& link) { return {heading, std::nullopt, link, 0}; }

std::vector<stored_headline> all(headline_store& store, unix_time since = 0) {
  std::vector<stored_headline> out;
  EXPECT_TRUE(store.load(since, [&](stored_headline&& s) { out.push_back(std::move(s)); }).ok());
  return out;
}

std::unique_ptr<headline_store> open_store(const std::string& path) {
  std::string notice;
  auto store = headline_store::open(path, &notice);
  EXPECT_TRUE(store) << store.message();
  EXPECT_EQ(notice, "");
  return store ? std::move(*store) : nullptr;
}

TEST(HeadlineStore, RunsAddHeadlinesAndMarkTheNewOnes) {
  testing::temp_dir dir;
  auto store = open_store(dir.file("store.db"));
  auto first = store->record(
      run_of("News/a.xml", 1000,
             {h("One", "http://a/1"), h("Two", "http://a/2"), h("Two again", "http://a/2"), h("No link", "")}));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->found, 3u) << "the same link twice on a page is one headline";
  EXPECT_EQ(first->fresh, 3u);
  auto second = store->record(run_of("News/a.xml", 2000, {h("Three", "http://a/3"), h("One, reworded", "http://a/1")}));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->found, 2u);
  EXPECT_EQ(second->fresh, 1u) << "a headline seen again is not new";
  ASSERT_TRUE(store->record(run_of("Tech/b.xml", 1400, {h("Other site", "http://a/1")})));
  // The same page again counts as one that did not change: its new marks stay.
  auto same = store->record(run_of("Tech/b.xml", 1500, {h("Other site", "http://a/1")}));
  ASSERT_TRUE(same);
  EXPECT_EQ(same->found, 1u);
  EXPECT_EQ(same->fresh, 0u);

  const auto list = all(*store);
  ASSERT_EQ(list.size(), 5u);
  // Sites in the order they were first kept; the latest run's headlines in page order, then
  // the older ones.
  const std::vector<std::string> headings = {"Three", "One, reworded", "Two", "No link", "Other site"};
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].heading, headings[i]) << i;
  for (const auto& one : list) EXPECT_TRUE(one.fresh) << one.heading << ": new until read, whatever ran since";
  EXPECT_EQ(list[1].first_seen, 1000);
  EXPECT_EQ(list[1].last_seen, 2000);
  EXPECT_EQ(list[3].link, "");

  EXPECT_EQ(store->unread_count().value_or(0), 5u);
  ASSERT_TRUE(store->mark_read(list[1].id).ok());
  EXPECT_EQ(store->unread_count().value_or(0), 4u);
  EXPECT_TRUE(all(*store)[1].read);
  EXPECT_FALSE(all(*store)[1].fresh);
  ASSERT_TRUE(store->mark_all_read().ok());
  EXPECT_EQ(store->unread_count().value_or(9), 0u);
  EXPECT_EQ(store->identities("News/a.xml").value_or({}).size(), 4u);
  EXPECT_EQ(store->site_name("News/a.xml").value_or(std::nullopt), "Site News/a.xml");
  std::vector<std::string> one_site;
  ASSERT_TRUE(store->load_site("Tech/b.xml", 0, [&](stored_headline&& s) { one_site.push_back(s.heading); }).ok());
  EXPECT_EQ(one_site, std::vector<std::string>{"Other site"});

  EXPECT_EQ(store->forget_before(1200).value_or(0), 2u) << "Two and No link were last seen at 1000";
  EXPECT_EQ(all(*store).size(), 3u);
}

TEST(HeadlineStore, RunsThatReadNoPageKeepWhatWasThere) {
  testing::temp_dir dir;
  auto store = open_store(dir.file("store.db"));
  auto with = run_of("s", 1000, {h("One", "http://s/1")});
  with.validators = {"\"abc\"", "Tue, 08 Dec 2026 10:00:00 GMT"};
  with.rules_stamp = "120:1";
  with.logo = std::string("\x89PNG\0\x01", 6);
  ASSERT_TRUE(store->record(with));
  EXPECT_EQ(*store->validators("s", "120:1"), with.validators);
  EXPECT_TRUE(store->validators("s", "121:2")->empty()) << "edited rules read the whole page";
  EXPECT_EQ(*store->logo("s"), with.logo);

  auto failed = run_of("s", 2000, {}, run_outcome::failed);
  failed.run.reason = "HTTP 404";
  failed.run.http_status = 404;
  failed.run.user_started = false;
  ASSERT_TRUE(store->record(failed));
  EXPECT_EQ(all(*store).at(0).last_seen, 1000) << "a failed run changes nothing of the headlines";
  EXPECT_EQ(*store->last_good_run("s"), 1000);
  const auto last = *store->last_run("s");
  ASSERT_TRUE(last);
  EXPECT_EQ(last->outcome, run_outcome::failed);
  EXPECT_EQ(last->reason, "HTTP 404");
  EXPECT_EQ(last->http_status, 404);
  EXPECT_FALSE(last->user_started);

  ASSERT_TRUE(store->record(run_of("s", 3000, {}, run_outcome::unchanged)));
  EXPECT_EQ(*store->last_good_run("s"), 3000) << "a page that did not change was read well";
  ASSERT_TRUE(store->record(run_of("s", 4000, {}, run_outcome::nothing)));
  EXPECT_EQ(all(*store).at(0).heading, "One") << "a page read with nothing on it forgets nothing";
  ASSERT_TRUE(store->last_run("missing"));
  EXPECT_FALSE(*store->last_run("missing")) << "a site that never ran is no failure";
  EXPECT_FALSE(*store->last_good_run("missing"));
}

TEST(HeadlineStore, BytesOfAnyKindComeBackAsTheyWentIn) {
  testing::temp_dir dir;
  auto store = open_store(dir.file("store.db"));
  const std::string odd = std::string("caf\xE9 \xFF\xFE", 8) + std::string("with a NUL\0inside", 17);
  headline a{odd, std::string("sub \xC0\xC1"), "http://s/\xE9", 2};
  ASSERT_TRUE(store->record(run_of(odd, 1000, {a})));
  const auto list = all(*store);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].site, odd);
  EXPECT_EQ(list[0].heading, odd);
  EXPECT_EQ(list[0].subheading, a.subheading);
  EXPECT_EQ(list[0].link, a.link);
  EXPECT_EQ(list[0].encoding, 2);
}

TEST(HeadlineStore, DamagedAndNewerFilesAreNeverOverwritten) {
  testing::temp_dir dir;
  const std::string garbage = std::string(4096, 'G');
  const std::string path = dir.write("store.db", garbage);
  std::string notice;
  auto opened = headline_store::open(path, &notice);
  ASSERT_TRUE(opened) << opened.message();
  auto store = std::move(*opened);
  EXPECT_NE(notice.find("was damaged: it is kept as " + path + ".damaged-"), std::string::npos) << notice;
  ASSERT_TRUE(store->record(run_of("s", 1, {h("One", "http://s/1")})));
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().rfind("store.db.damaged-", 0) == 0) {
      ++kept;
      EXPECT_EQ(testing::read_file(entry.path().string()), garbage);
    }
  }
  EXPECT_EQ(kept, 1);
  store.reset();

  {
    sqlite_db db;
    ASSERT_TRUE(db.open(path, false).ok());
    ASSERT_TRUE(db.exec("PRAGMA user_version=99").ok());
  }
  auto newer = headline_store::open(path, &notice);
  ASSERT_FALSE(newer);
  EXPECT_EQ(newer.error().code(), status_code::too_new);
  EXPECT_NE(newer.message().find("newer Vantrel"), std::string::npos) << newer.message();
  {
    sqlite_db db;
    ASSERT_TRUE(db.open(path, false).ok());
    auto count = db.prepare("SELECT count(*) FROM headlines");
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.integer(0), 1) << "left as it was";
  }
  // A page damaged inside a sound-looking file: found by the whole-file check when asked for it.
  {
    auto made = open_store(dir.file("later.db"));
    for (int i = 0; i < 50; ++i)
      ASSERT_TRUE(made->record(run_of("s" + std::to_string(i), 1, {h(std::string(3000, 'x'), "http://s/")})));
  }
  std::string bytes = testing::read_file(dir.file("later.db"));
  for (size_t at = bytes.size() / 2; at < bytes.size() / 2 + 8192; ++at) bytes[at] = '\x5a';
  dir.write("later.db", bytes);
  auto later = headline_store::open(dir.file("later.db"), &notice, headline_store::check_time::later);
  ASSERT_TRUE(later) << later.message();
  EXPECT_EQ((*later)->check().code(), status_code::damaged);
  notice = (*later)->set_aside();
  EXPECT_NE(notice.find("later.db was damaged: it is kept as"), std::string::npos) << notice;
  EXPECT_FALSE(testing::file_exists(dir.file("later.db"))) << "kept aside, to begin anew";

  const std::string plain = dir.write("plain", "x");
  EXPECT_EQ(headline_store::open(plain + "/store.db", &notice).error().code(), status_code::io_error)
      << "no folder under a file";
}

// Damage found in the same second as another program's (or a kept file of that name already
// there): each damaged file is kept under a name of its own, and none replaces another.
TEST(HeadlineStore, AKeptFileIsNeverReplaced) {
  testing::temp_dir dir;
  const std::string path = dir.write("store.db", std::string(4096, 'G'));
  const auto now = std::time(nullptr);
  for (auto t = now; t <= now + 2; ++t) dir.write("store.db.damaged-" + std::to_string(t), "earlier");
  std::string notice;
  auto store = headline_store::open(path, &notice);
  ASSERT_TRUE(store) << store.message();
  EXPECT_NE(notice.find(".damaged-"), std::string::npos) << notice;
  int earlier = 0, garbage = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string text = testing::read_file(entry.path().string());
    if (text == "earlier") ++earlier;
    if (text == std::string(4096, 'G')) {
      ++garbage;
      EXPECT_NE(notice.find(entry.path().filename().string()), std::string::npos) << "the notice names it";
    }
  }
  EXPECT_EQ(earlier, 3) << "kept files are left as they were";
  EXPECT_EQ(garbage, 1) << "the damaged store is kept too";
}

}  // namespace
}  // namespace vantrel
