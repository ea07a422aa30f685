#include "common/sqlite_db.h"

#include <sqlite3.h>

#include <utility>

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

bool sqlite_db::open(const std::string& path, bool create, std::string* why) {
  close();
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    if (why) *why = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    close();
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  return true;
}

void sqlite_db::close() {
  cache_.clear();
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool sqlite_db::exec(const std::string& sql, std::string* why) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  if (why) *why = message != nullptr ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return false;
}

sqlite_stmt sqlite_db::prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
    throw sqlite_error(sqlite3_errmsg(db_));
  }
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
bool sqlite_db::last_was_busy() const { return db_ != nullptr && (sqlite3_errcode(db_) & 0xff) == SQLITE_BUSY; }
std::string sqlite_db::last_error() const { return db_ != nullptr ? sqlite3_errmsg(db_) : "not open"; }

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
  const std::string why = sqlite3_errmsg(db_);
  sqlite3_reset(stmt_);
  throw sqlite_error(why);
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
