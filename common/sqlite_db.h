#pragma once
// The one adapter over SQLite: a database connection and its prepared statements, each a
// move-only handle that closes what it holds. Texts go in bound with their byte length, so
// bytes of any encoding come out as they went in. Nothing else includes sqlite3.h.
//
// A connection is used by one thread at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/status.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel {

class sqlite_stmt;
class sqlite_use;

class sqlite_db {
 public:
  sqlite_db() = default;
  ~sqlite_db();
  sqlite_db(sqlite_db&& other) noexcept;
  sqlite_db& operator=(sqlite_db&& other) noexcept;
  sqlite_db(const sqlite_db&) = delete;
  sqlite_db& operator=(const sqlite_db&) = delete;

  // Opens (creating when asked) the database at path.
  status open(const std::string& path, bool create);
  bool is_open() const { return db_ != nullptr; }
  void close();

  // Runs statements that return no rows.
  status exec(const std::string& sql);
  // A statement to bind and step; throws sqlite_error when it does not compile.
  sqlite_stmt prepare(std::string_view sql);
  // The same statement kept for the life of the connection, prepared on its first use (a store
  // runs the same few statements for every site); ready again when the use ends.
  sqlite_use cached(const std::string& sql);
  // How long a statement waits for another connection's write before it gives up.
  void set_busy_timeout(int milliseconds);
  std::int64_t last_insert_id() const;
  int changes() const;

 private:
  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, sqlite_stmt> cache_;  // finalized before the connection closes
};

// A failure the store cannot go on from (a full disk, a damaged file found while reading),
// thrown by prepare and step and caught inside the store's own functions, which return it as
// a status. It carries SQLite's result code.
class sqlite_error : public std::runtime_error {
 public:
  explicit sqlite_error(status failure) : std::runtime_error(failure.message()), status_(std::move(failure)) {}
  const status& as_status() const { return status_; }

 private:
  status status_;
};

// The status of a SQLite result code (extended or primary) with its message: damaged for a
// file that is no database or is malformed, busy for another connection's lock, full, read-only.
status sqlite_status(int result_code, const std::string& message);

class sqlite_stmt {
 public:
  sqlite_stmt() = default;
  ~sqlite_stmt();
  sqlite_stmt(sqlite_stmt&& other) noexcept;
  sqlite_stmt& operator=(sqlite_stmt&& other) noexcept;
  sqlite_stmt(const sqlite_stmt&) = delete;
  sqlite_stmt& operator=(const sqlite_stmt&) = delete;

  // Parameters count from 1. A none text binds NULL.
  sqlite_stmt& bind(int index, std::int64_t value);
  sqlite_stmt& bind(int index, std::string_view text);
  sqlite_stmt& bind(int index, const std::optional<std::string>& text);
  sqlite_stmt& bind_blob(int index, std::string_view bytes);
  // true while there is a row to read; false when done. Throws sqlite_error on failure.
  bool step();
  // Runs a statement that returns no rows (step, then reset for the next use).
  void run();
  // Ready for new bindings and another run.
  void reset();

  std::int64_t integer(int column) const;
  std::string text(int column) const;
  std::optional<std::string> optional_text(int column) const;  // NULL: none

 private:
  friend class sqlite_db;
  sqlite_stmt(sqlite3_stmt* stmt, sqlite3* db) : stmt_(stmt), db_(db) {}
  sqlite3_stmt* stmt_ = nullptr;
  sqlite3* db_ = nullptr;
};

// One use of a kept statement: reset, its bindings cleared, when the use ends.
class sqlite_use {
 public:
  explicit sqlite_use(sqlite_stmt& stmt) : stmt_(stmt) {}
  ~sqlite_use() { stmt_.reset(); }
  sqlite_use(const sqlite_use&) = delete;
  sqlite_use& operator=(const sqlite_use&) = delete;
  sqlite_stmt* operator->() { return &stmt_; }
  sqlite_stmt& operator*() { return stmt_; }

 private:
  sqlite_stmt& stmt_;
};

// A write transaction that is rolled back unless committed: any failure on the way leaves the
// database as it was. IMMEDIATE: the write lock is taken at once, so two writers queue at the start
// (the busy timeout) instead of one failing half-way.
class sqlite_transaction {
 public:
  explicit sqlite_transaction(sqlite_db& db) : db_(db) {
    if (status begun = db_.exec("BEGIN IMMEDIATE"); !begun.ok()) throw sqlite_error(begun);
  }
  ~sqlite_transaction() {
    if (!done_) (void)db_.exec("ROLLBACK");  // nothing more to do when even that fails
  }
  void commit() {
    if (status done = db_.exec("COMMIT"); !done.ok()) throw sqlite_error(done);
    done_ = true;
  }

 private:
  sqlite_db& db_;
  bool done_ = false;
};

}  // namespace vantrel
