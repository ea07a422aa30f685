#include "common/headline_store.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "common/paths.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// How long a write waits for another program's: a site's run takes milliseconds to write.
constexpr int busy_timeout_ms = 5000;

constexpr const char* schema = R"sql(
CREATE TABLE sites (
  id INTEGER PRIMARY KEY,
  key TEXT NOT NULL UNIQUE,
  name TEXT,
  runs INTEGER NOT NULL DEFAULT 0,      -- runs that read a page: a headline is fresh when first seen in the latest
  last_good INTEGER,                    -- when the last run that read a page (or learned it had not changed) ended
  etag TEXT,
  last_modified TEXT,
  rules TEXT,                           -- the stamp of the rules that read the page the validators describe
  logo BLOB
);
CREATE TABLE headlines (
  id INTEGER PRIMARY KEY,
  site INTEGER NOT NULL REFERENCES sites(id),
  identity TEXT NOT NULL,
  heading TEXT NOT NULL,
  subheading TEXT,
  link TEXT NOT NULL,
  encoding INTEGER NOT NULL DEFAULT 0,
  first_seen INTEGER NOT NULL,
  last_seen INTEGER NOT NULL,
  first_run INTEGER NOT NULL,
  last_run INTEGER NOT NULL,
  position INTEGER NOT NULL,
  read INTEGER NOT NULL DEFAULT 0,
  UNIQUE (site, identity)
);
CREATE INDEX headlines_seen ON headlines(last_seen);
CREATE INDEX headlines_unread ON headlines(read) WHERE read = 0;
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
)sql";

// A transaction that is rolled back unless committed: any failure on the way leaves the store
// as it was. IMMEDIATE: the write lock is taken at once, so two writers queue at the start
// (the busy timeout) instead of one failing half-way.
class transaction {
 public:
  explicit transaction(sqlite_db& db) : db_(db) {
    std::string why;
    if (!db_.exec("BEGIN IMMEDIATE", &why)) throw sqlite_error(why);
  }
  ~transaction() {
    if (!done_) db_.exec("ROLLBACK");
  }
  void commit() {
    std::string why;
    if (!db_.exec("COMMIT", &why)) throw sqlite_error(why);
    done_ = true;
  }

 private:
  sqlite_db& db_;
  bool done_ = false;
};

int outcome_code(run_outcome o) { return static_cast<int>(o); }
run_outcome outcome_of(std::int64_t code) {
  return code >= 0 && code <= 3 ? static_cast<run_outcome>(code) : run_outcome::failed;
}

// Keeps a damaged store aside under a name of its own (with its journal), never deleting it.
std::string keep_aside(const std::string& path) {
  const std::string aside = path + ".damaged-" + std::to_string(std::time(nullptr));
  std::error_code ec;
  fs::rename(path, aside, ec);
  for (const char* part : {"-wal", "-shm"}) fs::rename(path + part, aside + part, ec);
  return aside;
}

// Turns the store's journal into a write-ahead log (once; the file keeps it). The change needs
// the file to itself and SQLite does not wait for that as it waits for other locks, so it is
// tried again while another program holds the file, for as long as a write would wait.
bool set_write_ahead_log(sqlite_db& db, std::string* why) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(busy_timeout_ms);
  for (;;) {
    if (db.exec("PRAGMA journal_mode=WAL", why)) return true;
    if (!db.last_was_busy() || std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Opens and checks the file: the pragmas, the schema version, and that it reads as a store.
// 1: fine; 0: damaged or not a store; -1: cannot be used (why).
int open_checked(const std::string& path, sqlite_db& db, std::string* why) {
  if (!db.open(path, true, why)) return -1;
  db.set_busy_timeout(busy_timeout_ms);
  try {
    // Not a database at all shows at the first read.
    auto version = db.prepare("PRAGMA user_version");
    if (!version.step()) return 0;
    const std::int64_t found = version.integer(0);
    version = sqlite_stmt();
    if (found > headline_store::schema_version) {
      if (why) *why = path + " was written by a newer Vantrel; it is left as it is";
      return -1;
    }
    auto check = db.prepare("PRAGMA quick_check");
    if (!check.step() || check.text(0) != "ok") return 0;
    check = sqlite_stmt();
    if (!set_write_ahead_log(db, why) || !db.exec("PRAGMA synchronous=NORMAL", why)) return -1;
    if (found == 0) {
      // Another program may be making the store this moment: the write lock decides who does,
      // and the other finds it made.
      transaction create(db);
      auto again = db.prepare("PRAGMA user_version");
      const bool made = again.step() && again.integer(0) != 0;
      again = sqlite_stmt();
      std::string failure;
      if (!made && (!db.exec(schema, &failure) ||
                    !db.exec("PRAGMA user_version=" + std::to_string(headline_store::schema_version), &failure))) {
        throw sqlite_error(failure);
      }
      create.commit();
    }
    return 1;
  } catch (const sqlite_error& e) {
    const std::string what = e.what();
    // "file is not a database", "database disk image is malformed": keep it aside.
    if (what.find("not a database") != std::string::npos || what.find("malformed") != std::string::npos) return 0;
    if (why) *why = path + ": " + what;
    return -1;
  }
}

}  // namespace

const char* run_outcome_name(run_outcome outcome) {
  switch (outcome) {
    case run_outcome::headlines:
      return "headlines";
    case run_outcome::nothing:
      return "nothing";
    case run_outcome::unchanged:
      return "unchanged";
    case run_outcome::failed:
      break;
  }
  return "failed";
}

std::string headline_store::identity(const std::string& link, const std::string& heading) {
  // A link-less headline is known by its heading; the mark keeps it apart from a link.
  return link.empty() ? "\x01" + heading : link;
}

std::unique_ptr<headline_store> headline_store::open(const std::string& path, std::string* why, std::string* notice) {
  if (make_path_dirs(path, 0) != 0) {
    if (why) *why = "no folder for " + path;
    return nullptr;
  }
  sqlite_db db;
  int state = open_checked(path, db, why);
  if (state == 0) {
    db.close();
    const std::string aside = keep_aside(path);
    if (notice)
      *notice = "The headline store " + path + " was damaged: it is kept as " + aside + " and a new one begun.";
    state = open_checked(path, db, why);
  }
  if (state != 1) return nullptr;
  return std::unique_ptr<headline_store>(new headline_store(std::move(db)));
}

std::optional<std::int64_t> headline_store::site_id(const std::string& site) {
  auto query = db_.prepare("SELECT id FROM sites WHERE key = ?");
  query.bind(1, std::string_view(site));
  if (!query.step()) return std::nullopt;
  return query.integer(0);
}

std::optional<site_run> headline_store::record(const run_record& record, std::string* why) {
  try {
    transaction write(db_);
    auto add_site = db_.prepare("INSERT INTO sites(key, name) VALUES(?, ?) ON CONFLICT(key) DO NOTHING");
    add_site.bind(1, std::string_view(record.site)).bind(2, std::string_view(record.site_name)).run();
    const std::int64_t site = *site_id(record.site);
    if (!record.site_name.empty()) {
      db_.prepare("UPDATE sites SET name = ? WHERE id = ?")
          .bind(1, std::string_view(record.site_name))
          .bind(2, site)
          .run();
    }
    if (record.logo)
      db_.prepare("UPDATE sites SET logo = ? WHERE id = ?").bind_blob(1, *record.logo).bind(2, site).run();

    site_run run = record.run;
    run.found = run.fresh = 0;
    const bool read_page = run.outcome == run_outcome::headlines || run.outcome == run_outcome::nothing;
    if (read_page || run.outcome == run_outcome::unchanged) {
      auto good = db_.prepare(
          "UPDATE sites SET last_good = ?, etag = ?, last_modified = ?, rules = ?, runs = runs + ? WHERE id = ? "
          "RETURNING runs");
      good.bind(1, run.when).bind(2, record.validators.etag).bind(3, record.validators.last_modified);
      good.bind(4, std::string_view(record.rules_stamp)).bind(5, std::int64_t{read_page ? 1 : 0}).bind(6, site);
      good.step();
      const std::int64_t number = good.integer(0);
      good = sqlite_stmt();
      if (run.outcome == run_outcome::headlines) {
        auto upsert = db_.prepare(
            "INSERT INTO headlines(site, identity, heading, subheading, link, encoding, first_seen, last_seen, "
            "first_run, last_run, position) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?7, ?8, ?8, ?9) "
            "ON CONFLICT(site, identity) DO UPDATE SET heading = excluded.heading, subheading = excluded.subheading, "
            "link = excluded.link, encoding = excluded.encoding, last_seen = excluded.last_seen, "
            "last_run = excluded.last_run, position = excluded.position RETURNING first_run");
        std::unordered_set<std::string> seen;
        std::int64_t position = 0;
        for (const found_headline& h : record.headlines) {
          std::string key = identity(h.link, h.heading);
          if (!seen.insert(key).second) continue;  // the same headline twice on the page
          upsert.bind(1, site).bind(2, std::string_view(key)).bind(3, std::string_view(h.heading));
          upsert.bind(4, h.subheading).bind(5, std::string_view(h.link)).bind(6, std::int64_t{h.encoding});
          upsert.bind(7, run.when).bind(8, number).bind(9, position++);
          if (upsert.step() && upsert.integer(0) == number) ++run.fresh;
          upsert.reset();
          ++run.found;
        }
      }
    }
    auto last = db_.prepare(
        "INSERT OR REPLACE INTO runs(site, time, outcome, found, fresh, reason, http_status, user_started) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    last.bind(1, site).bind(2, run.when).bind(3, std::int64_t{outcome_code(run.outcome)});
    last.bind(4, static_cast<std::int64_t>(run.found)).bind(5, static_cast<std::int64_t>(run.fresh));
    last.bind(6, std::string_view(run.reason)).bind(7, std::int64_t{run.http_status});
    last.bind(8, std::int64_t{run.user_started ? 1 : 0}).run();
    write.commit();
    return run;
  } catch (const sqlite_error& e) {
    if (why) *why = e.what();
    return std::nullopt;
  }
}

bool headline_store::load(unix_time since, const std::function<void(stored_headline&&)>& each, std::string* why) {
  return load_where(nullptr, since, each, why);
}

bool headline_store::load_site(const std::string& site, unix_time since,
                               const std::function<void(stored_headline&&)>& each, std::string* why) {
  return load_where(&site, since, each, why);
}

bool headline_store::load_where(const std::string* site, unix_time since,
                                const std::function<void(stored_headline&&)>& each, std::string* why) {
  try {
    auto query = db_.prepare(
        std::string("SELECT h.id, s.key, h.heading, h.subheading, h.link, h.encoding, h.first_seen, h.last_seen, "
                    "h.first_run = s.runs, h.read, h.last_run = s.runs AS current "
                    "FROM headlines h JOIN sites s ON s.id = h.site WHERE h.last_seen >= ?") +
        (site ? " AND s.key = ?" : "") +
        " ORDER BY s.last_good, s.id, current DESC, CASE WHEN current THEN h.position ELSE 0 END, h.last_seen DESC, "
        "h.position");
    query.bind(1, since);
    if (site) query.bind(2, std::string_view(*site));
    while (query.step()) {
      stored_headline h;
      h.id = query.integer(0);
      h.site = query.text(1);
      h.heading = query.text(2);
      h.subheading = query.optional_text(3);
      h.link = query.text(4);
      h.encoding = static_cast<int>(query.integer(5));
      h.first_seen = query.integer(6);
      h.last_seen = query.integer(7);
      h.fresh = query.integer(8) != 0;
      h.read = query.integer(9) != 0;
      each(std::move(h));
    }
    return true;
  } catch (const sqlite_error& e) {
    if (why) *why = e.what();
    return false;
  }
}

std::unordered_set<std::string> headline_store::identities(const std::string& site) {
  std::unordered_set<std::string> known;
  try {
    auto query = db_.prepare("SELECT identity FROM headlines h JOIN sites s ON s.id = h.site WHERE s.key = ?");
    query.bind(1, std::string_view(site));
    while (query.step()) known.insert(query.text(0));
  } catch (const sqlite_error&) {
  }
  return known;
}

bool headline_store::mark_read(std::int64_t id) {
  try {
    db_.prepare("UPDATE headlines SET read = 1 WHERE id = ?").bind(1, id).run();
    return true;
  } catch (const sqlite_error&) {
    return false;
  }
}

bool headline_store::mark_all_read() {
  try {
    db_.prepare("UPDATE headlines SET read = 1 WHERE read = 0").run();
    return true;
  } catch (const sqlite_error&) {
    return false;
  }
}

unsigned long headline_store::unread_count() {
  try {
    auto query = db_.prepare("SELECT count(*) FROM headlines WHERE read = 0");
    return query.step() ? static_cast<unsigned long>(query.integer(0)) : 0;
  } catch (const sqlite_error&) {
    return 0;
  }
}

std::optional<site_run> headline_store::last_run(const std::string& site) {
  try {
    auto query = db_.prepare(
        "SELECT r.time, r.outcome, r.found, r.fresh, r.reason, r.http_status, r.user_started "
        "FROM runs r JOIN sites s ON s.id = r.site WHERE s.key = ?");
    query.bind(1, std::string_view(site));
    if (!query.step()) return std::nullopt;
    site_run run;
    run.when = query.integer(0);
    run.outcome = outcome_of(query.integer(1));
    run.found = static_cast<unsigned long>(query.integer(2));
    run.fresh = static_cast<unsigned long>(query.integer(3));
    run.reason = query.text(4);
    run.http_status = static_cast<int>(query.integer(5));
    run.user_started = query.integer(6) != 0;
    return run;
  } catch (const sqlite_error&) {
    return std::nullopt;
  }
}

std::optional<unix_time> headline_store::last_good_run(const std::string& site) {
  try {
    auto query = db_.prepare("SELECT last_good FROM sites WHERE key = ? AND last_good IS NOT NULL");
    query.bind(1, std::string_view(site));
    if (!query.step()) return std::nullopt;
    return query.integer(0);
  } catch (const sqlite_error&) {
    return std::nullopt;
  }
}

page_validators headline_store::validators(const std::string& site, const std::string& rules_stamp) {
  page_validators v;
  if (rules_stamp.empty()) return v;
  try {
    auto query = db_.prepare("SELECT etag, last_modified FROM sites WHERE key = ? AND rules = ?");
    query.bind(1, std::string_view(site)).bind(2, std::string_view(rules_stamp));
    if (query.step()) {
      v.etag = query.optional_text(0);
      v.last_modified = query.optional_text(1);
    }
  } catch (const sqlite_error&) {
  }
  return v;
}

std::optional<std::string> headline_store::logo(const std::string& site) {
  try {
    auto query = db_.prepare("SELECT logo FROM sites WHERE key = ?");
    query.bind(1, std::string_view(site));
    if (query.step()) return query.optional_text(0);
  } catch (const sqlite_error&) {
  }
  return std::nullopt;
}

std::optional<std::string> headline_store::site_name(const std::string& site) {
  try {
    auto query = db_.prepare("SELECT name FROM sites WHERE key = ?");
    query.bind(1, std::string_view(site));
    if (query.step()) return query.optional_text(0);
  } catch (const sqlite_error&) {
  }
  return std::nullopt;
}

unsigned long headline_store::forget_before(unix_time time) {
  try {
    db_.prepare("DELETE FROM headlines WHERE last_seen < ?").bind(1, time).run();
    return static_cast<unsigned long>(db_.changes());
  } catch (const sqlite_error&) {
    return 0;
  }
}

}  // namespace vantrel
