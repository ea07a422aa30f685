// The rule check on its own: verdicts, the status-bar summary and the report's lines, from
// reports built by hand the way a walk fills them.
#include "engine/rule_check.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

pattern element(std::string name, std::vector<attribute_pattern> attributes = {}) {
  return {false, std::move(name), std::move(attributes)};
}

// Two sections: a news block (START, HEADLINE, LINK) and a sidebar (START, HEADLINE).
parsedef_rules two_sections() {
  parsedef_rules rules;
  rules.sections.resize(2);
  rules.sections[0].rules = {{rule_kind::start, {element("div", {{"class", "news"}})}},
                             {rule_kind::headline, {element("h2")}},
                             {rule_kind::link, {element("a")}}};
  rules.sections[1].rules = {{rule_kind::start, {element("aside")}}, {rule_kind::headline, {element("b")}}};
  return rules;
}

// A report after a walk: matches per rule, section by section; headlines; faults.
rule_report walked(std::vector<std::vector<unsigned long>> matches, unsigned long headlines,
                   std::vector<std::pair<item_fault, unsigned long>> faults = {}) {
  rule_report report = rule_report::for_rules(two_sections());
  for (size_t s = 0; s < matches.size(); ++s)
    for (size_t r = 0; r < matches[s].size(); ++r) report.sections[s].rules[r].matches = matches[s][r];
  report.headlines = headlines;
  for (const auto& [fault, n] : faults) report.faults[static_cast<int>(fault)] = n;
  return report;
}

TEST(RuleCheck, VerdictsAndTheStatusBarSummary) {
  struct {
    const char* what;
    rule_report report;
    check_verdict verdict;
    const char* summary;
  } cases[] = {
      {"every rule fired", walked({{1, 5, 5}, {1, 2}}, 7), check_verdict::healthy, ""},
      {"a rule never fired", walked({{1, 5, 0}, {1, 2}}, 7), check_verdict::warnings, ""},
      {"the second section never started", walked({{1, 5, 5}, {0, 0}}, 5), check_verdict::warnings, ""},
      {"a kept first heading", walked({{1, 5, 5}, {1, 2}}, 7, {{item_fault::heading_ignored, 1}}),
       check_verdict::warnings, ""},
      {"no section started", walked({{0, 0, 0}, {0, 0}}, 0), check_verdict::broken,
       "No headlines: the start of section 1 never matched (START <div class=\"news\">)"},
      {"the second section never started either", walked({{1, 0, 0}, {0, 0}}, 0), check_verdict::broken,
       "No headlines: the start of section 2 never matched (START <aside>)"},
      {"every item lost its link", walked({{1, 4, 0}, {1, 0}}, 0, {{item_fault::heading_without_link, 4}}),
       check_verdict::broken, "No headlines: every item broke, first of all a heading that never got its link"},
      {"only faults that cost nothing", walked({{1, 0, 3}, {1, 0}}, 0, {{item_fault::link_replaced, 2}}),
       check_verdict::broken, "No headlines: the rules found nothing on the page"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(verdict_of(c.report), c.verdict);
    EXPECT_EQ(broken_rules_summary(c.report), c.summary);
  }
}

TEST(RuleCheck, TheReportSaysWhatToLookAt) {
  const std::string lost = format_check_text(walked({{1, 4, 0}, {0, 0}}, 0, {{item_fault::heading_without_link, 4}}));
  EXPECT_EQ(lost.substr(0, lost.find('\n')), "Verdict: broken, the rules found only broken items");
  EXPECT_NE(lost.find("Broken items: a heading that never got its link, 4 times\n"), std::string::npos) << lost;
  EXPECT_NE(lost.find("Section 1, rule 3: never matched: LINK <a>\n"), std::string::npos) << lost;
  EXPECT_NE(lost.find("Section 2: its start never matched: START <aside>\n"), std::string::npos) << lost;
  EXPECT_EQ(lost.find("Section 2, rule"), std::string::npos) << "a section never entered names only its start";
  EXPECT_NE(lost.find("  1.1 START <div class=\"news\">: 1 match\n  1.2 HEADLINE <h2>: 4 matches\n"),
            std::string::npos);

  rule_report redirected = walked({{1, 1, 1}, {1, 1}}, 2);
  redirected.pages = 2;
  redirected.encoding = "windows-1251";
  redirected.encoding_source = "the page's <meta> tag";
  const std::string fine = format_check_text(redirected);
  EXPECT_EQ(fine.substr(0, fine.find('\n')), "Verdict: healthy, the rules fit the page");
  EXPECT_NE(fine.find("Encoding: windows-1251, from the page's <meta> tag\nPages: 2 (the page redirected)\n"),
            std::string::npos)
      << fine;
  EXPECT_EQ(format_check_text(walked({{0, 0, 0}, {0, 0}}, 0)).find("Verdict: broken, the rules found nothing\n"), 0u);
}

TEST(RuleCheck, RulesDescribedByTheirFirstPattern) {
  EXPECT_EQ(describe_rule({rule_kind::subhead, {}}), "SUBHEAD (no patterns)");
  EXPECT_EQ(describe_rule({rule_kind::skipto, {{true, "Top stories", {}}}}), "SKIPTO text \"Top stories\"");
  EXPECT_EQ(
      describe_rule({rule_kind::headline, {element("a", {{"class", "x"}, {"href", std::nullopt}}), element("b")}}),
      "HEADLINE <a class=\"x\" href> (+1 more)");
}

}  // namespace
}  // namespace vantrel
