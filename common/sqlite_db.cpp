#include "common/sqlite_db.h"

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "common/platform.h"

namespace vantrel {

sqlite_db::~sqlite_db() { close(); }

sqlite_db::sqlite_db(sqlite_db&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), cache_(std::move(other.cache_)) {}

sqlite_db& sqlite_db::operator=(sqlite_db&& other) noexcept {
  if (this != &other) {
    close();
    db_ = std::exchange(other.db_, nullptr);
    cache_ = std::move(other.cache_);
  }
  return *this;
}

status sqlite_status(int result_code, const std::string& message) {
  switch (result_code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return {};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return {status_code::damaged, message, result_code};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return {status_code::busy, message, result_code};
    case SQLITE_FULL:
      return {status_code::full, message, result_code};
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return {status_code::read_only, message, result_code};
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
      return {status_code::io_error, message, result_code};
    case SQLITE_INTERRUPT:
      return {status_code::stopped, message, result_code};
    default:
      return {status_code::invalid, message, result_code};
  }
}

namespace {

// A failure as the connection tells it. A write that found no room is said as such: SQLite
// reports some of those (its shared-memory file, its journal) as I/O errors.
status failure_of(sqlite3* db, int code, const std::string& message) {
  if ((code & 0xff) == SQLITE_IOERR && db != nullptr) {
    bool no_room = sqlite3_system_errno(db) == ENOSPC;
    if (!no_room) {
      // Not every such write keeps its errno: the room left tells.
      const char* file = sqlite3_db_filename(db, "main");
      const std::string folder = file != nullptr && *file ? std::filesystem::path(file).parent_path().string() : "";
      const auto left = folder.empty() ? std::nullopt : platform::free_space(folder);
      no_room = left && *left < 64 * 1024;
    }
    if (no_room) return {status_code::full, "the disk is full (" + message + ")", code};
  }
  return sqlite_status(code, message);
}

status last_status(sqlite3* db, int rc) {
  return failure_of(db, db != nullptr ? sqlite3_extended_errcode(db) : rc,
                    db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

}  // namespace

status sqlite_db::open(const std::string& path, bool create) {
  close();
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    status failure = last_status(db_, rc);
    close();
    return failure;
  }
  sqlite3_extended_result_codes(db_, 1);
  return {};
}

void sqlite_db::close() {
  cache_.clear();
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

status sqlite_db::exec(const std::string& sql) {
  if (db_ == nullptr) return {status_code::invalid, "the store is not open"};
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) return {};
  status failure = failure_of(db_, sqlite3_extended_errcode(db_), message != nullptr ? message : sqlite3_errmsg(db_));
  sqlite3_free(message);
  return failure;
}

sqlite_stmt sqlite_db::prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  if (db_ == nullptr) throw sqlite_error(status(status_code::invalid, "the store is not open"));
  const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) throw sqlite_error(last_status(db_, rc));
  return sqlite_stmt(stmt, db_);
}

sqlite_use sqlite_db::cached(const std::string& sql) {
  auto found = cache_.find(sql);
  if (found == cache_.end()) found = cache_.emplace(sql, prepare(sql)).first;
  return sqlite_use(found->second);
}

void sqlite_db::set_busy_timeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }
std::int64_t sqlite_db::last_insert_id() const { return sqlite3_last_insert_rowid(db_); }
int sqlite_db::changes() const { return sqlite3_changes(db_); }

sqlite_stmt::~sqlite_stmt() {
  if (stmt_ != nullptr) sqlite3_finalize(stmt_);
}

sqlite_stmt::sqlite_stmt(sqlite_stmt&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), db_(std::exchange(other.db_, nullptr)) {}

sqlite_stmt& sqlite_stmt::operator=(sqlite_stmt&& other) noexcept {
  if (this != &other) {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

sqlite_stmt& sqlite_stmt::bind(int index, std::int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

sqlite_stmt& sqlite_stmt::bind(int index, std::string_view text) {
  // SQLITE_TRANSIENT: SQLite copies the bytes, so the caller's buffer may go.
  sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  return *this;
}

sqlite_stmt& sqlite_stmt::bind(int index, const std::optional<std::string>& text) {
  if (text) return bind(index, std::string_view(*text));
  sqlite3_bind_null(stmt_, index);
  return *this;
}

sqlite_stmt& sqlite_stmt::bind_blob(int index, std::string_view bytes) {
  sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  return *this;
}

bool sqlite_stmt::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  status failure = last_status(db_, rc);
  sqlite3_reset(stmt_);
  throw sqlite_error(std::move(failure));
}

void sqlite_stmt::run() {
  while (step()) {
  }
  reset();
}

void sqlite_stmt::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t sqlite_stmt::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string sqlite_stmt::text(int column) const {
  // The bytes as stored, whatever they hold (also when they are no valid UTF-8).
  const void* bytes = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  return bytes != nullptr ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(size)) : std::string();
}

std::optional<std::string> sqlite_stmt::optional_text(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  return text(column);
}

}  // namespace vantrel
