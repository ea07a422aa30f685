// The SQLite adapter: every failure comes back as a status whose code says what kind it was
// (a damaged file, another connection's lock, a statement that cannot compile), with SQLite's
// own result code beside it, so callers never read the message's words.
#include "common/sqlite_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

TEST(SqliteDb, ResultCodesMapToTheKindOfFailure) {
  const struct {
    int rc;
    status_code expected;
  } cases[] = {
      {SQLITE_OK, status_code::ok},
      {SQLITE_DONE, status_code::ok},
      {SQLITE_CORRUPT, status_code::damaged},
      {SQLITE_NOTADB, status_code::damaged},
      {SQLITE_CORRUPT_INDEX, status_code::damaged},
      {SQLITE_BUSY, status_code::busy},
      {SQLITE_BUSY_SNAPSHOT, status_code::busy},
      {SQLITE_LOCKED, status_code::busy},
      {SQLITE_FULL, status_code::full},
      {SQLITE_READONLY, status_code::read_only},
      {SQLITE_READONLY_DBMOVED, status_code::read_only},
      {SQLITE_CANTOPEN, status_code::io_error},
      {SQLITE_IOERR_WRITE, status_code::io_error},
      {SQLITE_INTERRUPT, status_code::stopped},
      {SQLITE_ERROR, status_code::invalid},
  };
  for (const auto& c : cases) {
    const status s = sqlite_status(c.rc, "what SQLite said");
    EXPECT_EQ(s.code(), c.expected) << c.rc;
    if (!s.ok()) {
      EXPECT_EQ(s.library_code(), c.rc) << "the extended code is kept";
      EXPECT_EQ(s.message(), "what SQLite said");
    }
  }
}

TEST(SqliteDb, FailuresCarryTheirCode) {
  testing::temp_dir dir;
  sqlite_db db;
  EXPECT_EQ(db.exec("SELECT 1").code(), status_code::invalid) << "not open";
  EXPECT_THROW(db.prepare("SELECT 1"), sqlite_error);

  const status missing = db.open(dir.file("none/at/all.db"), true);
  EXPECT_EQ(missing.code(), status_code::io_error) << missing.message();
  EXPECT_FALSE(db.is_open());
  EXPECT_EQ(db.open(dir.file("absent.db"), false).code(), status_code::io_error) << "not made unless asked";

  // A file that is no database opens; its first read says so, and that is damage.
  const std::string text = dir.write("text.db", std::string(2048, 'T'));
  ASSERT_TRUE(db.open(text, false).ok());
  try {
    auto stmt = db.prepare("PRAGMA user_version");
    stmt.step();
    ADD_FAILURE() << "a text file read as a database";
  } catch (const sqlite_error& e) {
    EXPECT_EQ(e.as_status().code(), status_code::damaged) << e.what();
    EXPECT_EQ(e.as_status().library_code(), SQLITE_NOTADB);
  }

  ASSERT_TRUE(db.open(dir.file("good.db"), true).ok());
  const status bad = db.exec("CREATE TABL oops");
  EXPECT_EQ(bad.code(), status_code::invalid);
  EXPECT_NE(bad.message().find("syntax error"), std::string::npos) << bad.message();
  ASSERT_TRUE(db.exec("CREATE TABLE t(x TEXT NOT NULL)").ok());
  auto insert = db.prepare("INSERT INTO t VALUES(?)");
  insert.bind(1, std::optional<std::string>());
  try {
    insert.run();
    ADD_FAILURE() << "NULL went into a NOT NULL column";
  } catch (const sqlite_error& e) {
    EXPECT_EQ(e.as_status().library_code(), SQLITE_CONSTRAINT_NOTNULL);
  }
  // The statement is reset after its failure: it can be used again.
  insert.bind(1, std::string_view("fine")).run();
  EXPECT_EQ(db.changes(), 1);
}

TEST(SqliteDb, AnotherConnectionsWriteLockIsBusy) {
  testing::temp_dir dir;
  const std::string path = dir.file("shared.db");
  sqlite_db first, second;
  ASSERT_TRUE(first.open(path, true).ok());
  ASSERT_TRUE(first.exec("CREATE TABLE t(x)").ok());
  ASSERT_TRUE(second.open(path, false).ok());
  second.set_busy_timeout(0);
  ASSERT_TRUE(first.exec("BEGIN IMMEDIATE").ok());
  const status locked = second.exec("BEGIN IMMEDIATE");
  EXPECT_EQ(locked.code(), status_code::busy) << locked.message();
  ASSERT_TRUE(first.exec("COMMIT").ok());
  EXPECT_TRUE(second.exec("BEGIN IMMEDIATE; COMMIT").ok()) << "free once the first let go";
}

TEST(SqliteDb, KeptStatementsAreReadyAgainAfterEachUse) {
  testing::temp_dir dir;
  sqlite_db db;
  ASSERT_TRUE(db.open(dir.file("k.db"), true).ok());
  ASSERT_TRUE(db.exec("CREATE TABLE t(k TEXT); INSERT INTO t VALUES('a'), ('b')").ok());
  for (const char* key : {"a", "b", "c"}) {
    auto use = db.cached("SELECT count(*) FROM t WHERE k = ?");
    use->bind(1, std::string_view(key));
    ASSERT_TRUE(use->step());
    EXPECT_EQ(use->integer(0), std::string(key) == "c" ? 0 : 1) << key;
  }  // each use leaves the statement mid-row: the end of the use resets it
}

}  // namespace
}  // namespace vantrel
