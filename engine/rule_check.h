#pragma once
// How well a ParseDef's rules fit a page: what a job learned while walking them, and the
// verdict drawn from it. The walk's results are the same whether anyone reads this or not;
// counting costs an increment per rule that fires.
#include <array>
#include <string>
#include <vector>

#include "engine/parsedef_rules.h"
#include "engine/rule_walk.h"

namespace vantrel {

struct rule_tally {
  rule_kind kind = rule_kind::end;
  std::string description;  // the kind and its first pattern, "HEADLINE <a class="headline">"
  unsigned long matches = 0;
};

struct section_tally {
  std::vector<rule_tally> rules;
  // Whether a START or SKIPTO rule of the section ever fired: the section was ever entered.
  bool start_matched() const;
  // The descriptions of the section's START and SKIPTO rules, joined by ", ".
  std::string start_rules() const;
};

struct rule_report {
  unsigned long headlines = 0;
  std::array<unsigned long, item_fault_count> faults{};
  std::vector<section_tally> sections;
  unsigned pages = 0;           // pages parsed (a redirect makes two)
  std::string encoding;         // of the last page parsed
  std::string encoding_source;  // where that encoding came from

  // The report of a job that has walked nothing yet over these rules.
  static rule_report for_rules(const parsedef_rules& rules);
  // Faults that cost an item: dropped or empty, not the kept first heading or a replaced link.
  unsigned long items_lost() const;
};

// healthy: headlines and nothing to say; warnings: headlines, but some rule or item went
// wrong; broken: no headlines at all.
enum class check_verdict { healthy, warnings, broken };
check_verdict verdict_of(const rule_report& report);
const char* verdict_name(check_verdict verdict);  // "healthy", "warnings", "broken"

const char* rule_kind_name(rule_kind kind);  // "START", "HEADLINE", ...
// Stable names of the faults for machines ("heading_without_link") and phrases for people.
const char* item_fault_name(item_fault fault);
const char* item_fault_text(item_fault fault);
std::string describe_rule(const rule& r);

// One line for a status bar when the rules found nothing ("No headlines: the start of section
// 1 never matched (START <div class="news">)"); "" when they found headlines.
std::string broken_rules_summary(const rule_report& report);

// The report for people, a line per fact, each ending in "\n"; the verdict first.
std::string format_check_text(const rule_report& report);

}  // namespace vantrel
