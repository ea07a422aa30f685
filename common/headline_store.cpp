#include "common/headline_store.h"

#include <cstdio>
#include <ctime>
#include <deque>

#include "common/paths.h"
#include "common/store_file.h"
#include "common/text_util.h"
#include "common/trace_log.h"

namespace vantrel {

namespace {

int outcome_code(run_outcome o) { return static_cast<int>(o); }

// What a page's headlines were, in a few bytes: a page found as it was the last time is
// kept like one the server says has not changed.
class digest_of {
 public:
  void add(std::string_view text) {
    for (unsigned char c : text) hash_ = (hash_ ^ c) * 0x100000001b3ull;
    hash_ = (hash_ ^ 0xff) * 0x100000001b3ull;  // ends each text, so "ab" + "c" is not "a" + "bc"
  }
  std::string text() const {
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash_));
    return out;
  }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

// What one headline and one site may cost the store: a page of hostile size (a heading of a
// megabyte, three hundred thousand links) is cut to a size any real page stays under, and the
// trace says so.
struct bounded_run {
  std::vector<const headline*> found;  // each once, in page order, at most max_run_headlines
  std::vector<size_t> at;              // each one's place in the run's headlines
  std::deque<headline> cut;            // copies of those whose texts were cut (they stay where they are)
};

std::string cut_text(std::string_view text, size_t max) { return std::string(text.substr(0, utf8_prefix_length(text, max))); }

// How long the headlines' last_seen may lag while their page stays the same (rewriting it at
// every run would cost each run a write per headline; keeping them is counted in days).
constexpr unix_time seen_lag = 3600;
run_outcome outcome_of(std::int64_t code) {
  return code >= 0 && code <= 3 ? static_cast<run_outcome>(code) : run_outcome::failed;
}

// Runs a read or write of the store, turning SQLite's failures into the caller's result.
template <typename F>
auto guarded(F&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const sqlite_error& e) {
    return e.as_status();
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

result<std::unique_ptr<headline_store>> headline_store::open(const std::string& path, std::string* notice,
                                                             check_time when) {
  if (make_path_dirs(path, 0) != 0) return status(status_code::io_error, "no folder for " + path);
  sqlite_db db;
  status opened = store_file::open_checked(path, db, when == check_time::now);
  if (opened.is(status_code::damaged)) {
    trace("headline_store: %s", opened.message().c_str());
    db.close();
    const std::string aside = store_file::keep_aside(path);
    if (notice) *notice = store_file::damaged_notice(path, aside, opened);
    opened = store_file::open_checked(path, db, true);
  }
  if (!opened.ok()) return opened;
  return std::unique_ptr<headline_store>(new headline_store(std::move(db), path));
}

status headline_store::check() {
  try {
    if (store_file::reads_whole(db_)) {
      store_file::note_checked(db_, std::time(nullptr));
      return {};
    }
  } catch (const sqlite_error& e) {
    // Only damage counts: a store another program holds this moment is no damaged store.
    if (!e.as_status().is(status_code::damaged)) return {};
  }
  return {status_code::damaged, path_ + ": the file does not read as it should"};
}

std::string headline_store::set_aside() {
  db_.close();
  return store_file::damaged_notice(path_, store_file::keep_aside(path_), status(status_code::damaged, "the file does not read as it should"));
}

namespace {

bounded_run bound_run(const run_record& record) {
  bounded_run out;
  std::unordered_set<std::string> seen;
  size_t long_links = 0, cut = 0;
  const size_t total = record.headlines.size();
  for (size_t i = 0; i < total; ++i) {
    const headline& h = record.headlines[i];
    if (h.link.size() > headline_store::max_link) {
      ++long_links;  // a link cut short leads nowhere
      continue;
    }
    const headline* kept = &h;
    const bool long_heading = h.heading.size() > headline_store::max_heading;
    const bool long_sub = h.subheading && h.subheading->size() > headline_store::max_subheading;
    if (long_heading || long_sub) {
      headline& copy = out.cut.emplace_back(h);
      if (long_heading) copy.heading = cut_text(h.heading, headline_store::max_heading);
      if (long_sub) copy.subheading = cut_text(*h.subheading, headline_store::max_subheading);
      kept = &copy;
    }
    std::string key = headline_store::identity(kept->link, kept->heading);
    if (!seen.insert(std::move(key)).second) {
      if (kept != &h) out.cut.pop_back();
      continue;  // the same headline twice on the page
    }
    if (kept != &h) ++cut;
    out.found.push_back(kept);
    out.at.push_back(i);
    if (out.found.size() == headline_store::max_run_headlines && i + 1 < total) {
      trace("headline_store: %s: kept the first %zu of its %zu headlines", record.site.c_str(), out.found.size(),
            total);
      break;
    }
  }
  if (long_links > 0)
    trace("headline_store: %s: %zu headlines with a link over %zu bytes left out", record.site.c_str(), long_links,
          headline_store::max_link);
  if (cut > 0) trace("headline_store: %s: %zu headings or subheadings cut to fit", record.site.c_str(), cut);
  return out;
}

}  // namespace

result<site_run> headline_store::record(const run_record& record, std::vector<kept_headline>* kept) {
  if (kept) kept->assign(record.headlines.size(), kept_headline());
  return guarded([&]() -> result<site_run> {
    // The page's headlines, each once, in page order and within bounds, and what they come to.
    site_run run = record.run;
    run.found = run.fresh = 0;
    const bool read_page = run.outcome == run_outcome::headlines || run.outcome == run_outcome::nothing;
    bounded_run page;
    if (run.outcome == run_outcome::headlines) page = bound_run(record);
    digest_of digest;
    for (const headline* h : page.found) {
      digest.add(identity(h->link, h->heading));
      digest.add(h->heading);
      digest.add(h->subheading.value_or("\x01"));
      digest.add(std::to_string(h->encoding));
    }
    const std::string page_digest = read_page ? digest.text() : std::string();

    sqlite_transaction write(db_);
    std::int64_t site = 0;
    bool same = false, seen_lately = false;
    {
      // A name given replaces the one kept; none keeps it. What it returns of the page is as
      // the last run left it (the name is all this changes).
      auto add_site = db_.cached(
          "INSERT INTO sites(key, name) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET "
          "name = CASE WHEN excluded.name = '' THEN name ELSE excluded.name END "
          "RETURNING id, digest IS ?3, seen_at >= ?4");
      add_site->bind(1, std::string_view(record.site)).bind(2, std::string_view(record.site_name));
      add_site->bind(3, std::string_view(page_digest)).bind(4, run.when - seen_lag);
      if (!add_site->step()) throw sqlite_error(status(status_code::invalid, "the site could not be added"));
      site = add_site->integer(0);
      same = read_page && add_site->integer(1) != 0;
      seen_lately = add_site->integer(2) != 0;
    }
    if (record.logo) {
      auto logo = db_.cached("UPDATE sites SET logo = ?1 WHERE id = ?2 AND logo IS NOT ?1");
      logo->bind_blob(1, *record.logo).bind(2, site).run();
    }

    if (read_page || run.outcome == run_outcome::unchanged) {
      // A page read as it was last time counts as unchanged: its headlines and marks stay.
      const bool kept_as_is = same || run.outcome == run_outcome::unchanged;
      // The headlines' last_seen is set when they are written, or when it lags too far behind.
      const bool set_seen = !kept_as_is || !seen_lately;
      std::int64_t number = 0;
      {
        auto good = db_.cached(
            "UPDATE sites SET last_good = ?1, etag = ?2, last_modified = ?3, rules = ?4, runs = runs + ?5, "
            "digest = CASE WHEN ?6 THEN ?7 ELSE digest END, seen_at = CASE WHEN ?8 THEN ?1 ELSE seen_at END "
            "WHERE id = ?9 RETURNING runs");
        good->bind(1, run.when).bind(2, record.validators.etag).bind(3, record.validators.last_modified);
        good->bind(4, std::string_view(record.rules_stamp)).bind(5, std::int64_t{read_page && !same ? 1 : 0});
        good->bind(6, std::int64_t{read_page ? 1 : 0}).bind(7, std::string_view(page_digest));
        good->bind(8, std::int64_t{set_seen ? 1 : 0}).bind(9, site);
        if (!good->step()) throw sqlite_error(status(status_code::invalid, "the site's run could not be counted"));
        number = good->integer(0);
      }
      if (kept_as_is) {
        if (set_seen) {
          auto seen_now = db_.cached("UPDATE headlines SET last_seen = ?1 WHERE site = ?2 AND last_run = ?3");
          seen_now->bind(1, run.when).bind(2, site).bind(3, number).run();
        }
        run.found = static_cast<unsigned long>(page.found.size());
        if (kept && !page.found.empty()) {
          // What a feed of the page says of each: when it was first seen.
          auto first = db_.cached("SELECT first_seen FROM headlines WHERE site = ?1 AND tag = ?2");
          for (size_t i = 0; i < page.found.size(); ++i) {
            first->bind(1, site).bind(2, store_file::identity_tag(identity(page.found[i]->link, page.found[i]->heading)));
            if (first->step()) (*kept)[page.at[i]].first_seen = first->integer(0);
            first->reset();
          }
        }
      } else if (run.outcome == run_outcome::headlines) {
        // Whether a headline is new is decided here, inside the run's transaction: two programs
        // running the same site at once never both count it.
        auto upsert = db_.cached(
            "INSERT INTO headlines(site, tag, heading, subheading, link, encoding, first_seen, last_seen, "
            "first_run, last_run, position) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?7, ?8, ?8, ?9) "
            "ON CONFLICT(site, tag) DO UPDATE SET heading = excluded.heading, subheading = excluded.subheading, "
            "encoding = excluded.encoding, last_seen = excluded.last_seen, last_run = excluded.last_run, "
            "position = excluded.position WHERE headlines.link = excluded.link AND "
            "(excluded.link <> '' OR headlines.heading = excluded.heading) RETURNING first_run, first_seen");
        for (size_t i = 0; i < page.found.size(); ++i) {
          const headline& h = *page.found[i];
          upsert->bind(1, site).bind(2, store_file::identity_tag(identity(h.link, h.heading))).bind(3, std::string_view(h.heading));
          upsert->bind(4, h.subheading).bind(5, std::string_view(h.link)).bind(6, std::int64_t{h.encoding});
          upsert->bind(7, run.when).bind(8, number).bind(9, static_cast<std::int64_t>(i));
          if (upsert->step()) {
            const bool fresh = upsert->integer(0) == number;
            if (fresh) ++run.fresh;
            if (kept) (*kept)[page.at[i]] = {upsert->integer(1), fresh};
            ++run.found;
          }
          upsert->reset();
        }
        // The oldest headlines of a site that keeps more than it may go first.
        auto trim = db_.cached(
            "DELETE FROM headlines WHERE site = ?1 AND id IN (SELECT id FROM headlines WHERE site = ?1 "
            "ORDER BY last_seen DESC, position LIMIT -1 OFFSET ?2)");
        trim->bind(1, site).bind(2, static_cast<std::int64_t>(max_site_headlines)).run();
        if (const int gone = db_.changes(); gone > 0)
          trace("headline_store: %s: its %d oldest headlines forgotten to keep %zu", record.site.c_str(), gone,
                max_site_headlines);
      }
    }
    auto last = db_.cached(
        "INSERT INTO runs(site, time, outcome, found, fresh, reason, http_status, user_started) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT(site) DO UPDATE SET time = ?2, outcome = ?3, found = ?4, "
        "fresh = ?5, reason = ?6, http_status = ?7, user_started = ?8");
    last->bind(1, site).bind(2, run.when).bind(3, std::int64_t{outcome_code(run.outcome)});
    last->bind(4, static_cast<std::int64_t>(run.found)).bind(5, static_cast<std::int64_t>(run.fresh));
    last->bind(6, std::string_view(run.reason)).bind(7, std::int64_t{run.http_status});
    last->bind(8, std::int64_t{run.user_started ? 1 : 0}).run();
    write.commit();
    return run;
  });
}

status headline_store::load(unix_time since, const std::function<void(stored_headline&&)>& each) {
  // Site by site: each sorts its own few rows, where one query would sort them all at once.
  auto keys = site_keys();
  if (!keys) return keys.error();
  for (const std::string& site : *keys)
    if (status loaded = load_site(site, since, each); !loaded.ok()) return loaded;
  return {};
}

result<std::vector<std::string>> headline_store::site_keys() {
  return guarded([&]() -> result<std::vector<std::string>> {
    std::vector<std::string> keys;
    auto query = db_.prepare("SELECT key FROM sites ORDER BY id");
    while (query.step()) keys.push_back(query.text(0));
    return keys;
  });
}

status headline_store::load_site(const std::string& site, unix_time since,
                                 const std::function<void(stored_headline&&)>& each) {
  return guarded([&]() -> status {
    auto query = db_.prepare(
        "SELECT h.id, s.key, h.heading, h.subheading, h.link, h.encoding, h.first_seen, h.last_seen, "
        "NOT h.read, h.read, h.last_run = s.runs AS current "
        "FROM sites s JOIN headlines h ON h.site = s.id WHERE s.key = ? AND h.last_seen >= ? "
        "ORDER BY current DESC, CASE WHEN current THEN h.position ELSE 0 END, h.last_seen DESC, h.position");
    query.bind(1, std::string_view(site)).bind(2, since);
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
    return {};
  });
}

result<std::unordered_set<std::string>> headline_store::identities(const std::string& site) {
  return guarded([&]() -> result<std::unordered_set<std::string>> {
    std::unordered_set<std::string> known;
    auto query = db_.cached("SELECT link, heading FROM headlines h JOIN sites s ON s.id = h.site WHERE s.key = ?");
    query->bind(1, std::string_view(site));
    while (query->step()) known.insert(identity(query->text(0), query->text(1)));
    return known;
  });
}

result<unsigned long> headline_store::forget_site(const std::string& site) {
  return guarded([&]() -> result<unsigned long> {
    sqlite_transaction forget(db_);
    auto id = db_.prepare("SELECT id FROM sites WHERE key = ?");
    id.bind(1, std::string_view(site));
    if (!id.step()) return 0ul;
    const std::int64_t number = id.integer(0);
    id = sqlite_stmt();
    db_.prepare("DELETE FROM headlines WHERE site = ?").bind(1, number).run();
    const auto gone = static_cast<unsigned long>(db_.changes());
    db_.prepare("DELETE FROM runs WHERE site = ?").bind(1, number).run();
    db_.prepare("DELETE FROM sites WHERE id = ?").bind(1, number).run();
    forget.commit();
    return gone;
  });
}

result<std::vector<site_problem>> headline_store::problems() {
  return guarded([&]() -> result<std::vector<site_problem>> {
    std::vector<site_problem> out;
    auto query = db_.prepare(
        "SELECT s.key, coalesce(s.name, ''), r.time, r.outcome, r.reason, r.http_status FROM runs r "
        "JOIN sites s ON s.id = r.site WHERE r.outcome IN (?1, ?2) ORDER BY r.time, s.id");
    query.bind(1, std::int64_t{outcome_code(run_outcome::nothing)});
    query.bind(2, std::int64_t{outcome_code(run_outcome::failed)});
    while (query.step()) {
      site_problem& p = out.emplace_back();
      p.site = query.text(0);
      p.name = query.text(1);
      p.run.when = query.integer(2);
      p.run.outcome = outcome_of(query.integer(3));
      p.run.reason = query.text(4);
      p.run.http_status = static_cast<int>(query.integer(5));
    }
    return out;
  });
}

status headline_store::mark_read(std::int64_t id) {
  return guarded([&]() -> status {
    db_.prepare("UPDATE headlines SET read = 1 WHERE id = ?").bind(1, id).run();
    return {};
  });
}

status headline_store::mark_all_read() {
  return guarded([&]() -> status {
    db_.prepare("UPDATE headlines SET read = 1 WHERE read = 0").run();
    return {};
  });
}

result<unsigned long> headline_store::unread_count() {
  return guarded([&]() -> result<unsigned long> {
    auto query = db_.prepare("SELECT count(*) FROM headlines WHERE read = 0");
    return query.step() ? static_cast<unsigned long>(query.integer(0)) : 0ul;
  });
}

result<std::optional<site_run>> headline_store::last_run(const std::string& site) {
  return guarded([&]() -> result<std::optional<site_run>> {
    auto query = db_.prepare(
        "SELECT r.time, r.outcome, r.found, r.fresh, r.reason, r.http_status, r.user_started "
        "FROM runs r JOIN sites s ON s.id = r.site WHERE s.key = ?");
    query.bind(1, std::string_view(site));
    if (!query.step()) return std::optional<site_run>();
    site_run run;
    run.when = query.integer(0);
    run.outcome = outcome_of(query.integer(1));
    run.found = static_cast<unsigned long>(query.integer(2));
    run.fresh = static_cast<unsigned long>(query.integer(3));
    run.reason = query.text(4);
    run.http_status = static_cast<int>(query.integer(5));
    run.user_started = query.integer(6) != 0;
    return std::optional<site_run>(std::move(run));
  });
}

result<std::optional<unix_time>> headline_store::last_good_run(const std::string& site) {
  return guarded([&]() -> result<std::optional<unix_time>> {
    auto query = db_.prepare("SELECT last_good FROM sites WHERE key = ? AND last_good IS NOT NULL");
    query.bind(1, std::string_view(site));
    if (!query.step()) return std::optional<unix_time>();
    return std::optional<unix_time>(query.integer(0));
  });
}

result<page_validators> headline_store::validators(const std::string& site, const std::string& rules_stamp) {
  return guarded([&]() -> result<page_validators> {
    page_validators v;
    if (rules_stamp.empty()) return v;
    auto query = db_.prepare("SELECT etag, last_modified FROM sites WHERE key = ? AND rules = ?");
    query.bind(1, std::string_view(site)).bind(2, std::string_view(rules_stamp));
    if (query.step()) {
      v.etag = query.optional_text(0);
      v.last_modified = query.optional_text(1);
    }
    return v;
  });
}

result<std::optional<std::string>> headline_store::logo(const std::string& site) {
  return guarded([&]() -> result<std::optional<std::string>> {
    auto query = db_.prepare("SELECT logo FROM sites WHERE key = ?");
    query.bind(1, std::string_view(site));
    if (query.step()) return query.optional_text(0);
    return std::optional<std::string>();
  });
}

result<std::optional<std::string>> headline_store::site_name(const std::string& site) {
  return guarded([&]() -> result<std::optional<std::string>> {
    auto query = db_.prepare("SELECT name FROM sites WHERE key = ?");
    query.bind(1, std::string_view(site));
    if (query.step()) return query.optional_text(0);
    return std::optional<std::string>();
  });
}

result<unsigned long> headline_store::forget_before(unix_time time) {
  return guarded([&]() -> result<unsigned long> {
    db_.prepare("DELETE FROM headlines WHERE last_seen < ?").bind(1, time).run();
    return static_cast<unsigned long>(db_.changes());
  });
}

}  // namespace vantrel
