#pragma once
// What `--check` prints: how well a ParseDef's rules fit its page, for people (text) or for
// monitoring (one JSON object per site and line), and the exit status it comes to.
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/feed_output.h"
#include "engine/rule_check.h"

namespace vantrel::cli {

struct site_check {
  std::string parsedef;                 // the ParseDef's path as given
  std::string page;                     // the saved page, or the address fetched
  const rule_report* report = nullptr;  // none when the ParseDef could not be loaded
  std::optional<std::string> failure;   // why the ParseDef or the page could not be had
  std::vector<headline> samples;        // the first headlines found
  const site_label* site = nullptr;     // a queue run's site
};

// How many headlines a check shows as samples.
constexpr size_t check_samples = 3;

// 0 healthy (also with warnings), 3 the rules found nothing or only broken items, 1 the
// ParseDef or the page could not be had.
int check_status(const site_check& check);
// The worse of two statuses for a run of several sites: 1 before 3 before 0.
int worse_status(int a, int b);

std::string format_check_text(const site_check& check);
std::string format_check_json(const site_check& check);

}  // namespace vantrel::cli
