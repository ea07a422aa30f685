#include "common/store_file.h"

#include <chrono>
#include <ctime>
#include <thread>
#include <unordered_set>
#include <vector>

#include "common/platform.h"

namespace vantrel::store_file {

// How long a write waits for another program's: a site's run takes milliseconds to write.
constexpr int busy_timeout_ms = 5000;

// The headlines of version 2: version 1 kept each identity twice more (its own column and
// the unique index over it).
constexpr const char* headlines_table = R"sql(
CREATE TABLE headlines (
  id INTEGER PRIMARY KEY,
  site INTEGER NOT NULL REFERENCES sites(id),
  tag INTEGER NOT NULL,                 -- the identity in eight bytes: the link (or heading) is kept once, in its column
  heading TEXT NOT NULL,
  subheading TEXT,
  link TEXT NOT NULL,
  encoding INTEGER NOT NULL DEFAULT 0,
  first_seen INTEGER NOT NULL,
  last_seen INTEGER NOT NULL,
  first_run INTEGER NOT NULL,
  last_run INTEGER NOT NULL,
  position INTEGER NOT NULL,
  read INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX headline_of_site ON headlines(site, tag);
)sql";

constexpr const char* other_tables = R"sql(
CREATE TABLE sites (
  id INTEGER PRIMARY KEY,
  key TEXT NOT NULL UNIQUE,
  name TEXT,
  runs INTEGER NOT NULL DEFAULT 0,      -- runs that read a page: a headline is fresh when first seen in the latest
  last_good INTEGER,                    -- when the last run that read a page (or learned it had not changed) ended
  etag TEXT,
  last_modified TEXT,
  rules TEXT,                           -- the stamp of the rules that read the page the validators describe
  digest TEXT,                          -- of the headlines the last run that read a page found
  seen_at INTEGER,                      -- when the latest run's headlines last had last_seen set
  logo BLOB
);
CREATE TABLE runs (
  site INTEGER PRIMARY KEY REFERENCES sites(id),
  time INTEGER NOT NULL,
  outcome INTEGER NOT NULL,
  found INTEGER NOT NULL,
  fresh INTEGER NOT NULL,
  reason TEXT NOT NULL,
  http_status INTEGER NOT NULL,
  user_started INTEGER NOT NULL
);
CREATE TABLE checks (
  time INTEGER NOT NULL                 -- when the whole file was last read through and found sound
);
)sql";

// The columns each table must have for the store to be used; a table or column dropped by hand
// makes the file no store of ours (kept aside, a new one begun) instead of an error per site.
struct table_columns {
  const char* table;
  std::vector<const char*> columns;
};
static const std::vector<table_columns>& expected_tables() {
  static const std::vector<table_columns> tables = {
      {"sites", {"id", "key", "name", "runs", "last_good", "etag", "last_modified", "rules", "digest", "seen_at", "logo"}},
      {"headlines",
       {"id", "site", "tag", "heading", "subheading", "link", "encoding", "first_seen", "last_seen", "first_run",
        "last_run", "position", "read"}},
      {"runs", {"site", "time", "outcome", "found", "fresh", "reason", "http_status", "user_started"}},
      {"checks", {"time"}},
  };
  return tables;
}


// Keeps a damaged store aside under a name of its own (with its journal), never deleting it
// and never replacing another: two programs finding damage in the same second each keep theirs.
std::string keep_aside(const std::string& path) {
  const std::string stem = path + ".damaged-" + std::to_string(std::time(nullptr));
  std::string aside = stem;
  for (int n = 1; n < 1000; ++n) {
    const status kept = platform::rename_no_replace(path, aside);
    if (!kept.is(status_code::busy)) break;  // kept, or nothing more can be done
    aside = stem + "-" + std::to_string(n);
  }
  for (const char* part : {"-wal", "-shm"}) (void)platform::rename_no_replace(path + part, aside + part);
  return aside;
}

// Turns the store's journal into a write-ahead log (once; the file keeps it). The change needs
// the file to itself and SQLite does not wait for that as it waits for other locks, so it is
// tried again while another program holds the file, for as long as a write would wait.
static status set_write_ahead_log(sqlite_db& db) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(busy_timeout_ms);
  for (;;) {
    status set = db.exec("PRAGMA journal_mode=WAL");
    if (set.ok() || !set.is(status_code::busy) || std::chrono::steady_clock::now() > until) return set;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Whether every page of the file reads as it should (a damaged one throws or says so).
bool reads_whole(sqlite_db& db) {
  auto check = db.prepare("PRAGMA quick_check");
  return check.step() && check.text(0) == "ok";
}

// why: what was found, after the file's name ("the file does not read as it should").
std::string damaged_notice(const std::string& path, const std::string& aside, const status& why) {
  std::string found = why.message();
  if (found.rfind(path + ": ", 0) == 0) found.erase(0, path.size() + 2);
  return "The headline store " + path + " was damaged: it is kept as " + aside + " and a new one begun (" + found +
         ").";
}

static void fails_unless(status s) {
  if (!s.ok()) throw sqlite_error(std::move(s));
}

static std::int64_t schema_version_of(sqlite_db& db) {
  auto version = db.prepare("PRAGMA user_version");
  if (!version.step()) throw sqlite_error(status(status_code::damaged, "no schema version"));
  return version.integer(0);
}

static bool has_tables(sqlite_db& db) {
  auto any = db.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table'");
  return any.step() && any.integer(0) > 0;
}

// What of the tables is missing ("" when none is): a store whose schema was changed by hand.
static std::string missing_schema(sqlite_db& db, const std::vector<table_columns>& tables) {
  for (const table_columns& t : tables) {
    std::unordered_set<std::string> have;
    auto columns = db.prepare("SELECT name FROM pragma_table_info(?)");
    columns.bind(1, std::string_view(t.table));
    while (columns.step()) have.insert(columns.text(0));
    if (have.empty()) return std::string("it has no table ") + t.table;
    for (const char* column : t.columns)
      if (!have.contains(column)) return std::string("its table ") + t.table + " has no column " + column;
  }
  return {};
}

// Version 1 kept the identity as a text of its own.
static std::vector<table_columns> version_1_tables() {
  std::vector<table_columns> tables = expected_tables();
  tables.pop_back();  // no checks
  tables[1].columns[2] = "identity";
  return tables;
}

// Brings a version 1 store to this version in one transaction: the headlines move to a table
// that keeps their identity in eight bytes.
static void migrate_from_1(sqlite_db& db) {
  fails_unless(db.exec("ALTER TABLE headlines RENAME TO headlines_1"));
  fails_unless(db.exec(headlines_table));
  fails_unless(db.exec("CREATE TABLE checks (time INTEGER NOT NULL)"));
  auto copy = db.prepare(
      "INSERT INTO headlines(id, site, tag, heading, subheading, link, encoding, first_seen, last_seen, first_run, "
      "last_run, position, read) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13) "
      "ON CONFLICT(site, tag) DO NOTHING");
  auto old = db.prepare(
      "SELECT id, site, identity, heading, subheading, link, encoding, first_seen, last_seen, first_run, last_run, "
      "position, read FROM headlines_1");
  while (old.step()) {
    copy.bind(1, old.integer(0)).bind(2, old.integer(1)).bind(3, identity_tag(old.text(2)));
    copy.bind(4, std::string_view(old.text(3))).bind(5, old.optional_text(4)).bind(6, std::string_view(old.text(5)));
    for (int column = 6; column < 13; ++column) copy.bind(column + 1, old.integer(column));
    copy.run();
  }
  old = sqlite_stmt();
  copy = sqlite_stmt();
  fails_unless(db.exec("DROP TABLE headlines_1"));
  fails_unless(db.exec("PRAGMA user_version=" + std::to_string(schema_version)));
}

// How often the whole file is read through at open: a damaged page shows at its first read
// anyway, and reading a large store at every console run costs more than it finds.
constexpr unix_time full_check_interval = 24 * 3600;

static bool full_check_due(sqlite_db& db, unix_time now) {
  auto last = db.prepare("SELECT max(time) FROM checks");
  return !last.step() || last.integer(0) > now || last.integer(0) + full_check_interval <= now;
}

// Remembers a sound check; when another program holds the write lock, the next open checks again.
void note_checked(sqlite_db& db, unix_time now) {
  if (!db.exec("BEGIN IMMEDIATE").ok()) return;
  const bool noted = db.exec("DELETE FROM checks").ok() &&
                     db.exec("INSERT INTO checks(time) VALUES(" + std::to_string(now) + ")").ok();
  (void)db.exec(noted ? "COMMIT" : "ROLLBACK");
}

// Opens and checks the file: the pragmas, the schema version and tables, and (when due) that it
// reads as a store. damaged: not a store, one whose schema was changed by hand, or one that does
// not read as it should (the caller keeps it aside).
status open_checked(const std::string& path, sqlite_db& db, bool whole_file) {
  if (status opened = db.open(path, true); !opened.ok()) return opened.in(path);
  db.set_busy_timeout(busy_timeout_ms);
  const unix_time now = std::time(nullptr);
  try {
    // The version and the tables are read in one snapshot: another program may be making the
    // store this moment, and its tables without its version (read apart) would look damaged.
    // Not a database at all shows at the first read.
    std::int64_t found = 0;
    std::string fault;
    {
      fails_unless(db.exec("BEGIN"));
      struct end_read {
        sqlite_db& db;
        ~end_read() { (void)db.exec("COMMIT"); }  // a read: nothing to keep or lose
      } read_done{db};
      found = schema_version_of(db);
      if (found < 0) fault = "its schema version " + std::to_string(found) + " is none of ours";
      if (found == 0 && has_tables(db)) fault = "it has tables but no schema version";
      if (found == 1) fault = missing_schema(db, version_1_tables());
    }
    if (found > schema_version)
      return {status_code::too_new, path + " was written by a newer Vantrel; it is left as it is"};
    if (!fault.empty()) return {status_code::damaged, path + ": " + fault};
    const bool check_now = whole_file && found != 0 && (found < schema_version || full_check_due(db, now));
    if (check_now && !reads_whole(db)) return {status_code::damaged, path + ": the file does not read as it should"};
    fails_unless(set_write_ahead_log(db));
    fails_unless(db.exec("PRAGMA synchronous=NORMAL"));
    if (found < schema_version) {
      // Another program may be making or bringing up the store this moment: the write lock
      // decides who does, and the other finds it done.
      sqlite_transaction create(db);
      const std::int64_t again = schema_version_of(db);
      if (again == 0) {
        fails_unless(db.exec(headlines_table));
        fails_unless(db.exec(other_tables));
        fails_unless(db.exec("PRAGMA user_version=" + std::to_string(schema_version)));
        fails_unless(db.exec("INSERT INTO checks(time) VALUES(" + std::to_string(now) + ")"));
      } else if (again == 1) {
        migrate_from_1(db);
      }
      create.commit();
    }
    if (std::string missing = missing_schema(db, expected_tables()); !missing.empty())
      return {status_code::damaged, path + ": " + missing};
    if (check_now) note_checked(db, now);
    return {};
  } catch (const sqlite_error& e) {
    return e.as_status().in(path);
  }
}

// A headline's identity in the eight bytes the store keys it by. Two identities of one site
// meeting in them is as likely as a store of a billion headlines finding one pair: the later
// of the two is then left out, never written over the first.
std::int64_t identity_tag(std::string_view identity) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : identity) hash = (hash ^ c) * 0x100000001b3ull;
  return static_cast<std::int64_t>(hash);
}


}  // namespace vantrel::store_file
