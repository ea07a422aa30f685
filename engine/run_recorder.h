#pragma once
// A site's run as the headline store keeps it: the headlines its job found, which of them are
// new, and how it ended. The window and the console tool make one per site job, hand it the
// job's headlines as they arrive and finish it with the job's outcome; a queue run's tally
// says how the sites fared.
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/headline_store.h"
#include "engine/headline_item.h"
#include "engine/job_listeners.h"

namespace vantrel {

// How a job ended, as a site's run: failed (its failure), unchanged (the server said so),
// nothing (why, as the rule check says it), or headlines. found: the headlines it produced.
site_run run_of(const job_outcome& outcome, unsigned long found, unix_time when, bool user_started);

// The run in a few words, for the Site Selector and the list of failures: "12 headlines, 3
// new", "Unchanged since the last run", or why it failed or found nothing; an error reply's
// status follows ("... (HTTP 404)").
std::string run_text(const site_run& run);

class run_recorder {
 public:
  // store may be null: nothing is kept and every headline is new. rules_stamp: the ParseDef's
  // (rules_stamp), so a page is asked for conditionally only with the rules that read it.
  run_recorder(headline_store* store, std::string site, std::string site_name, std::string rules_stamp);

  const std::string& site() const { return record_.site; }
  const std::string& site_name() const { return record_.site_name; }
  // What to send with the site's fetch.
  page_validators validators() const;
  // A headline the job found; true when it is new: not stored, and not earlier on this page.
  bool add(const headline_item& item);
  // The same for one whose newness nobody asks (the store counts the new ones itself).
  void keep(const headline_item& item);
  // The run as recorded (or as it would have been, without a store or when the write failed:
  // kept then says why). A stopped job is not recorded.
  struct recorded {
    site_run run;
    status kept;
    // Each headline handed over, in order: when it was first seen and whether it is new, as the
    // store decided it while keeping the run. Without a store (or when it failed), every first
    // one of its identity on the page is new and none has a first_seen.
    std::vector<kept_headline> headlines;
  };
  recorded finish(const job_outcome& outcome, unix_time when, bool user_started);
  // The run as the store is to keep it, for keeping elsewhere (another thread's store): its
  // headlines move out.
  run_record take(const job_outcome& outcome, unix_time when, bool user_started);

 private:
  void complete(const job_outcome& outcome, unix_time when, bool user_started);
  headline_store* store_;
  run_record record_;
  // Identities stored before the run, and those seen in it; read from the store on first need.
  std::unordered_set<std::string> known_;
  bool known_read_ = false;
  unsigned long fresh_ = 0;
};

// How the sites of a queue run fared.
class run_tally {
 public:
  void add(const std::string& site_name, const site_run& run);
  bool empty() const { return sites_ == 0; }
  // "8 sites: 6 with headlines (23 new), 2 failed"; a site whose page was unchanged counts as
  // one with headlines, one whose rules found nothing as "with none". When no site of several
  // could be reached at all, that and what to do.
  std::string summary() const;
  // The sites that failed or found nothing, a line each: "Name: why".
  const std::vector<std::string>& problems() const { return problems_; }
  unsigned long fresh() const { return fresh_; }
  // What a desktop notification says of the new headlines: "3 new headlines from Harbour
  // Gazette", "12 new headlines: Harbour Gazette (5), Tech Daily (7)"; "" when none.
  std::string news_text() const;

 private:
  unsigned sites_ = 0, with_headlines_ = 0, with_none_ = 0, failed_ = 0, unreachable_ = 0;
  unsigned long fresh_ = 0;
  std::vector<std::string> problems_;
  std::vector<std::pair<std::string, unsigned long>> news_;  // sites with new headlines
};

}  // namespace vantrel
