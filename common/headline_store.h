#pragma once
// The headline store: every site's headlines as its runs found them (first and last seen,
// read or not), each site's last run (when, how many, how many new, or why it failed), the
// validators of its page for the next conditional fetch, and its logo. One SQLite file in the
// user's data folder, shared by Tidewatch and tidewatch-cli: written one site run per
// transaction, so a program killed at any moment leaves every completed run in it, and two
// programs writing at once wait for each other instead of failing.
//
// A headline is the same headline when its site and its link are (its heading, when it has no
// link). What one headline and one site may cost is bounded (see the limits below): a hostile
// page cannot fill the disk. A store object is used by one thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/headline.h"
#include "common/page_validators.h"
#include "common/sqlite_db.h"
#include "common/store_file.h"

namespace vantrel {

// A headline as the store keeps it (first_seen is always set).
struct stored_headline : headline {
  std::int64_t id = 0;
  std::string site;  // the site's key (site_key_for)
  unix_time last_seen = 0;
  bool fresh = false;  // new: not read since it was first seen
  bool read = false;
};

// How a site's run ended.
enum class run_outcome { headlines, nothing, unchanged, failed };
const char* run_outcome_name(run_outcome outcome);  // "headlines", "nothing", "unchanged", "failed"

struct site_run {
  unix_time when = 0;
  run_outcome outcome = run_outcome::failed;
  unsigned long found = 0, fresh = 0;
  std::string reason;   // why it failed or found nothing; "" otherwise
  int http_status = 0;  // of the page's reply; 0 when there was none
  bool user_started = true;
  bool unreachable = false;  // failed before any reply came (no network, no such host); not kept
};

// What a finished run hands the store.
struct run_record {
  std::string site, site_name;
  site_run run;                     // found and fresh are counted by the store
  std::vector<headline> headlines;  // in page order; only for outcome headlines
  page_validators validators;       // kept for a run that read its page
  std::string rules_stamp;          // of the ParseDef that read it (rules_stamp)
  std::optional<std::string> logo;  // the logo's picture bytes, when the run had one
};

// What a run's headline came to in the store.
struct kept_headline {
  unix_time first_seen = 0;  // 0: not kept (a repeat on the page, or past a limit)
  bool fresh = false;        // first seen in this run
};

// A site whose last run failed or found nothing.
struct site_problem {
  std::string site, name;
  site_run run;  // when, outcome, reason and http_status
};

class headline_store {
 public:
  // 2: a headline's identity is kept once (in its link or heading column), keyed by its tag.
  static constexpr int schema_version = store_file::schema_version;
  // What one headline may cost: a longer heading or subheading is cut (at a character), a
  // headline with a longer link left out (a link cut short leads nowhere).
  static constexpr size_t max_heading = 2048, max_subheading = 8192, max_link = 8192;
  // What one site may cost: the headlines a run keeps (the first on its page) and those a site
  // keeps in all (the most recently seen).
  static constexpr size_t max_run_headlines = 2000, max_site_headlines = 10000;

  // Opens the store at path, creating it when missing and bringing an older one up to date. A
  // file that is damaged or no store (not a database, a table or column dropped by hand, a
  // schema version of none of ours) is kept aside (renamed, never deleted) and a new one made:
  // notice then says so. A failure when no store can be had: a folder that cannot be written, a
  // store made by a newer Vantrel (too_new; it is left untouched).
  // The whole file is read through at open once a day (a large store takes a while; a damaged
  // page shows at its first read anyway); with a later check, not at all: check() does that
  // when the caller has time.
  enum class check_time { now, later };
  static result<std::unique_ptr<headline_store>> open(const std::string& path, std::string* notice,
                                                      check_time when = check_time::now);
  const std::string& path() const { return path_; }
  // Reads the whole file through: ok when it is sound (or another program holds it this
  // moment), damaged when it is not.
  status check();
  // Closes a damaged store and keeps its file aside, for a new one to begin: the notice that
  // says so. Every other connection to the file (a writer's) must be closed first, or what it
  // writes goes into the kept file. The store is of no further use.
  std::string set_aside();

  // Records a site's run in one transaction: its headlines (new ones get first_seen = when),
  // its run, its validators and logo. The run as stored (found, fresh counted); on failure the
  // store is as before. kept, when given, tells of each of the run's headlines (in its order)
  // when it was first seen and whether it is new: decided inside the transaction, so two
  // programs recording the same page at once never both call a headline new.
  result<site_run> record(const run_record& record, std::vector<kept_headline>* kept = nullptr);

  // The headlines last seen at or after since, in list order: sites in the order they were
  // first kept; a site's headlines of its latest run in page order, then the older ones, the
  // most recently seen first.
  status load(unix_time since, const std::function<void(stored_headline&&)>& each);
  // The sites in that order, for loading them one at a time.
  result<std::vector<std::string>> site_keys();
  // One site's headlines in that order.
  status load_site(const std::string& site, unix_time since, const std::function<void(stored_headline&&)>& each);
  // The identities of a site's stored headlines (to tell the new ones of a run while it runs).
  result<std::unordered_set<std::string>> identities(const std::string& site);
  static std::string identity(const std::string& link, const std::string& heading);

  status mark_read(std::int64_t id);
  status mark_all_read();
  result<unsigned long> unread_count();

  // A site's last run; none when it never ran.
  result<std::optional<site_run>> last_run(const std::string& site);
  // When the site's last run that read a page (or was told it had not changed) ended.
  result<std::optional<unix_time>> last_good_run(const std::string& site);
  // The validators of the site's page, when the rules that read it had this stamp; none
  // otherwise (edited rules must read the whole page).
  result<page_validators> validators(const std::string& site, const std::string& rules_stamp);
  result<std::optional<std::string>> logo(const std::string& site);
  result<std::optional<std::string>> site_name(const std::string& site);

  // Forgets headlines last seen before the time; the number forgotten.
  result<unsigned long> forget_before(unix_time time);
  // Forgets a site: its headlines (the number forgotten), its runs, its validators and logo.
  result<unsigned long> forget_site(const std::string& site);
  // The sites whose last run failed or found nothing, the oldest problem first.
  result<std::vector<site_problem>> problems();

 private:
  headline_store(sqlite_db db, std::string path) : db_(std::move(db)), path_(std::move(path)) {}

  sqlite_db db_;
  std::string path_;
};

}  // namespace vantrel
