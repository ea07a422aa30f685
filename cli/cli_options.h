#pragma once
// The console tool's command line.
#include <optional>
#include <string>
#include <vector>

#include "common/prefs.h"

namespace vantrel::cli {

enum class output_format { text, json, atom, rss };
enum class mode { headlines, events, suggest, help, version };

struct options {
  mode what = mode::headlines;
  output_format format = output_format::text;
  std::optional<std::string> trace_file;
  std::optional<std::string> source;       // headlines: the local document instead of the site's page
  std::optional<std::string> parsedef;     // headlines: required unless url; events: optional
  std::optional<std::string> events_file;  // events: the local document
  std::optional<std::string> url;          // an address to fetch without a ParseDef
  bool progress = false;                   // status texts on standard error
  bool queue = false;                      // headlines of every enabled site of the queue
  std::optional<std::string> root;         // with queue: the ParseDef root (else the preference)
  std::optional<std::string> output_dir;   // with queue and a feed format: one feed file per site
  bool check = false;                      // report how well the rules fit the page, not the headlines
  bool due = false;                        // with queue: only the sites whose refresh interval has passed
  bool only_new = false;                   // only headlines the headline store has not seen before
  std::optional<std::string> store_file;   // the headline store to use instead of Tidewatch's
  bool no_store = false;                   // leave the headline store alone: no history
  std::optional<int> jobs;                 // with queue: sites fetched at once (else the settings')
  std::vector<std::string> examples;       // suggest: headlines to make rules from
  // Not an option: the private folder this run unpacks packages and keeps pages in (paths.h).
  std::string app = "tidewatch-cli";
  // Not an option: what every request says it comes from (the settings' User-Agent).
  std::string user_agent = default_user_agent;
};

struct parse_result {
  std::optional<options> opts;  // none: wrong usage
  std::string error;            // what was wrong
};

parse_result parse_options(const std::vector<std::string>& args);

extern const char* const usage_text;

}  // namespace vantrel::cli
