// The history writer: runs are kept in the order handed over and answered on the interface
// thread with the site's rows; a store that cannot be had answers every run with why; a writer
// that goes keeps every run it was handed first.
#include "app/history_writer.h"

#include <gtest/gtest.h>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

run_record run_of(const std::string& site, unix_time when, std::vector<std::string> headings) {
  run_record r;
  r.site = site;
  r.site_name = "Site " + site;
  r.run.when = when;
  r.run.outcome = run_outcome::headlines;
  for (const std::string& h : headings) r.headlines.push_back({h, std::nullopt, "http://s/" + h});
  return r;
}

void run_until(queue_dispatcher& ui, const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i) ui.run_pending(std::chrono::milliseconds(25));
}

TEST(HistoryWriter, RunsAreKeptInOrderAndAnsweredWithTheSitesRows) {
  testing::temp_dir dir;
  queue_dispatcher ui;
  history_writer writer(ui, dir.file("store.db"));
  std::vector<history_writer::written> answers;
  auto keep = [&answers](history_writer::written&& w) { answers.push_back(std::move(w)); };
  writer.write(run_of("a.xml", 1000, {"One", "Two"}), 0, keep);
  writer.write(run_of("a.xml", 2000, {"Three", "One"}), 0, keep);
  writer.write(run_of("b.xml", 2000, {"Other"}), 0, keep);
  EXPECT_EQ(writer.waiting(), 3u);
  run_until(ui, [&] { return answers.size() == 3; });
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(writer.waiting(), 0u);
  for (const auto& a : answers) EXPECT_TRUE(a.kept.ok()) << a.kept;
  EXPECT_EQ(answers[0].run.fresh, 2u);
  EXPECT_EQ(answers[1].run.fresh, 1u) << "kept after the first: One is known";
  ASSERT_EQ(answers[1].rows.size(), 3u) << "the site's rows as the store has them";
  EXPECT_EQ(answers[1].rows[0].heading, "Three");
  EXPECT_EQ(answers[1].rows[0].first_seen, 2000);
  EXPECT_EQ(answers[1].rows[2].heading, "Two");
  ASSERT_EQ(answers[2].rows.size(), 1u);
  EXPECT_EQ(answers[2].rows[0].site, "b.xml");
}

TEST(HistoryWriter, AStoreThatCannotBeHadAnswersEveryRunWithWhy) {
  testing::temp_dir dir;
  const std::string file = dir.write("plain", "x");
  queue_dispatcher ui;
  history_writer writer(ui, file + "/store.db");  // no folder can be made under a file
  std::vector<history_writer::written> answers;
  for (int i = 0; i < 2; ++i)
    writer.write(run_of("a.xml", 1000 + i, {"One"}), 0,
                 [&answers](history_writer::written&& w) { answers.push_back(std::move(w)); });
  run_until(ui, [&] { return answers.size() == 2; });
  ASSERT_EQ(answers.size(), 2u);
  for (size_t i = 0; i < answers.size(); ++i) {
    EXPECT_EQ(answers[i].kept.code(), status_code::io_error) << answers[i].kept;
    EXPECT_EQ(answers[i].run.when, static_cast<unix_time>(1000 + i)) << "the run as it would have been";
    EXPECT_TRUE(answers[i].rows.empty());
  }
}

TEST(HistoryWriter, AWriterThatGoesKeepsEveryRunItWasHanded) {
  testing::temp_dir dir;
  const std::string path = dir.file("store.db");
  queue_dispatcher ui;
  int answered = 0;
  {
    history_writer writer(ui, path);
    for (int i = 0; i < 40; ++i)
      writer.write(run_of("s" + std::to_string(i) + ".xml", 1000, {"One", "Two", "Three"}), 0,
                   [&answered](history_writer::written&&) { ++answered; });
  }
  ui.run_pending();
  EXPECT_EQ(answered, 0) << "nobody is left to hear them";
  std::string notice;
  auto store = headline_store::open(path, &notice);
  ASSERT_TRUE(store) << store.message();
  auto keys = (*store)->site_keys();
  ASSERT_TRUE(keys);
  EXPECT_EQ(keys->size(), 40u);
  EXPECT_EQ((*store)->unread_count().value_or(0), 120u);
}

}  // namespace
}  // namespace vantrel
