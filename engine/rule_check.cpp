#include "engine/rule_check.h"

#include <algorithm>

namespace vantrel {

bool section_tally::start_matched() const {
  return std::any_of(rules.begin(), rules.end(), [](const rule_tally& r) {
    return r.matches > 0 && (r.kind == rule_kind::start || r.kind == rule_kind::skipto);
  });
}

std::string section_tally::start_rules() const {
  std::string out;
  for (const rule_tally& r : rules) {
    if (r.kind != rule_kind::start && r.kind != rule_kind::skipto) continue;
    if (!out.empty()) out += ", ";
    out += r.description;
  }
  return out;
}

rule_report rule_report::for_rules(const parsedef_rules& rules) {
  rule_report report;
  for (const section_rules& s : rules.sections) {
    section_tally tally;
    for (const rule& r : s.rules) tally.rules.push_back({r.kind, describe_rule(r), 0});
    report.sections.push_back(std::move(tally));
  }
  return report;
}

namespace {
bool costs_item(item_fault f) { return f != item_fault::heading_ignored && f != item_fault::link_replaced; }
}  // namespace

unsigned long rule_report::items_lost() const {
  unsigned long n = 0;
  for (int f = 0; f < item_fault_count; ++f)
    if (costs_item(static_cast<item_fault>(f))) n += faults[f];
  return n;
}

check_verdict verdict_of(const rule_report& report) {
  if (report.headlines == 0) return check_verdict::broken;
  const bool faults = std::any_of(report.faults.begin(), report.faults.end(), [](unsigned long n) { return n > 0; });
  const bool unmatched = std::any_of(report.sections.begin(), report.sections.end(), [](const section_tally& s) {
    return std::any_of(s.rules.begin(), s.rules.end(), [](const rule_tally& r) { return r.matches == 0; });
  });
  return faults || unmatched ? check_verdict::warnings : check_verdict::healthy;
}

const char* verdict_name(check_verdict verdict) {
  switch (verdict) {
    case check_verdict::healthy:
      return "healthy";
    case check_verdict::warnings:
      return "warnings";
    case check_verdict::broken:
      break;
  }
  return "broken";
}

const char* rule_kind_name(rule_kind kind) {
  static constexpr const char* names[] = {"END", "START", "HEADLINE", "SUBHEAD", "LINK", "SKIPTO"};
  const int k = static_cast<int>(kind);
  return k >= 0 && k < 6 ? names[k] : "END";
}

namespace {
struct fault_words {
  const char* name;
  const char* text;
};
constexpr fault_words fault_table[item_fault_count] = {
    {"heading_without_link", "a heading that never got its link"},
    {"link_without_heading", "a link that never got its heading"},
    {"incomplete", "a subheading without heading or link"},
    {"empty_field", "an item whose heading or link was empty"},
    {"heading_ignored", "a second heading while the item had one (the first is kept: links may be paired wrongly)"},
    {"link_replaced", "a second link while the item had one (the later one is kept)"},
};
}  // namespace

const char* item_fault_name(item_fault fault) { return fault_table[static_cast<int>(fault)].name; }
const char* item_fault_text(item_fault fault) { return fault_table[static_cast<int>(fault)].text; }

std::string describe_rule(const rule& r) {
  std::string out = rule_kind_name(r.kind);
  if (r.patterns.empty()) return out + " (no patterns)";
  const pattern& p = r.patterns.front();
  if (p.is_text) {
    out.append(" text \"").append(p.text).append("\"");
  } else {
    out.append(" <").append(p.text);
    for (const attribute_pattern& a : p.attributes) {
      out.append(" ").append(a.name);
      if (a.lowered_value) out.append("=\"").append(*a.lowered_value).append("\"");
    }
    out.append(">");
  }
  if (r.patterns.size() > 1) out.append(" (+").append(std::to_string(r.patterns.size() - 1)).append(" more)");
  return out;
}

std::string broken_rules_summary(const rule_report& report) {
  if (verdict_of(report) != check_verdict::broken) return {};
  for (size_t s = 0; s < report.sections.size(); ++s) {
    if (report.sections[s].start_matched()) continue;
    std::string out = "No headlines: the start of section " + std::to_string(s + 1) + " never matched";
    const std::string starts = report.sections[s].start_rules();
    return starts.empty() ? out : out + " (" + starts + ")";
  }
  for (int f = 0; f < item_fault_count; ++f)
    if (costs_item(static_cast<item_fault>(f)) && report.faults[f] > 0)
      return std::string("No headlines: every item broke, first of all ") + item_fault_text(static_cast<item_fault>(f));
  return "No headlines: the rules found nothing on the page";
}

std::string format_check_text(const rule_report& report) {
  const check_verdict verdict = verdict_of(report);
  std::string out;
  switch (verdict) {
    case check_verdict::healthy:
      out = "Verdict: healthy, the rules fit the page\n";
      break;
    case check_verdict::warnings:
      out = "Verdict: warnings, the rules found headlines but not everything fits\n";
      break;
    case check_verdict::broken:
      out = report.items_lost() > 0 ? "Verdict: broken, the rules found only broken items\n"
                                    : "Verdict: broken, the rules found nothing\n";
      break;
  }
  out += "Headlines: " + std::to_string(report.headlines) + "\n";
  if (!report.encoding.empty()) out += "Encoding: " + report.encoding + ", from " + report.encoding_source + "\n";
  if (report.pages > 1) out += "Pages: " + std::to_string(report.pages) + " (the page redirected)\n";
  for (int f = 0; f < item_fault_count; ++f)
    if (report.faults[f] > 0)
      out += std::string("Broken items: ") + item_fault_text(static_cast<item_fault>(f)) + ", " +
             std::to_string(report.faults[f]) + (report.faults[f] == 1 ? " time\n" : " times\n");
  for (size_t s = 0; s < report.sections.size(); ++s) {
    const section_tally& section = report.sections[s];
    const std::string where = "Section " + std::to_string(s + 1);
    if (!section.start_matched()) {
      // Nothing else in it can have fired: its start is the one rule to look at.
      const std::string starts = section.start_rules();
      out += where + ": its start never matched" + (starts.empty() ? "" : ": " + starts) + "\n";
      continue;
    }
    for (size_t r = 0; r < section.rules.size(); ++r)
      if (section.rules[r].matches == 0)
        out += where + ", rule " + std::to_string(r + 1) + ": never matched: " + section.rules[r].description + "\n";
  }
  // Every rule with its count: an author sees at once which rule fires too often or too rarely.
  for (size_t s = 0; s < report.sections.size(); ++s) {
    const section_tally& section = report.sections[s];
    for (size_t r = 0; r < section.rules.size(); ++r) {
      const unsigned long n = section.rules[r].matches;
      out += "  " + std::to_string(s + 1) + "." + std::to_string(r + 1) + " " + section.rules[r].description + ": " +
             std::to_string(n) + (n == 1 ? " match\n" : " matches\n");
    }
  }
  return out;
}

}  // namespace vantrel
