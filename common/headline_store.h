#pragma once
// The headline store: every site's headlines as its runs found them (first and last seen,
// read or not), each site's last run (when, how many, how many new, or why it failed), the
// validators of its page for the next conditional fetch, and its logo. One SQLite file in the
// user's data folder, shared by Tidewatch and tidewatch-cli: written one site run per
// transaction, so a program killed at any moment leaves every completed run in it, and two
// programs writing at once wait for each other instead of failing.
//
// A headline is the same headline when its site and its link are (its heading, when it has no
// link). A store object is used by one thread.
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

namespace vantrel {

// A headline as the store keeps it (first_seen is always set).
struct stored_headline : headline {
  std::int64_t id = 0;
  std::string site;  // the site's key (site_key_for)
  unix_time last_seen = 0;
  bool fresh = false;  // first seen in the latest run of its site that read a page
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

class headline_store {
 public:
  static constexpr int schema_version = 1;

  // Opens the store at path, creating it when missing. A file that is damaged or no store is
  // kept aside (renamed, never deleted) and a new one made: notice then says so. A failure when
  // no store can be had: a folder that cannot be written, a store made by a newer Vantrel
  // (too_new; it is left untouched).
  // With a later check, the whole file is not read through here (it takes a while for a
  // large store): check() does that when the caller has time.
  enum class check_time { now, later };
  static result<std::unique_ptr<headline_store>> open(const std::string& path, std::string* notice,
                                                      check_time when = check_time::now);
  const std::string& path() const { return path_; }
  // Reads the whole file through: ok when it is sound (or another program holds it this
  // moment). A damaged one is closed and kept aside, notice says so, and the status is damaged:
  // the store is of no further use (the caller opens a new one).
  status check(std::string* notice);

  // Records a site's run in one transaction: its headlines (new ones get first_seen = when),
  // its run, its validators and logo. The run as stored (found, fresh counted); on failure the
  // store is as before.
  result<site_run> record(const run_record& record);

  // The headlines last seen at or after since, in list order: sites in the order of their
  // latest run, oldest first (as a queue run adds them); a site's headlines of its latest run
  // in page order, then the older ones, the most recently seen first.
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

 private:
  headline_store(sqlite_db db, std::string path) : db_(std::move(db)), path_(std::move(path)) {}

  sqlite_db db_;
  std::string path_;
};

}  // namespace vantrel
