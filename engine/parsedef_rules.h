#pragma once
// The rules of a ParseDef as the rule walk reads them: sections of rules, each rule a kind
// and the patterns that fire it. Read once from the loaded ParseDef tree (which is never
// modified) or built directly, as the walk's tests do.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/parsedef_node.h"

namespace vantrel {

// A rule's kind, and the walk's state, which is the kind of the rule that fired last.
enum class rule_kind : int { end = 0, start = 1, headline = 2, subhead = 3, link = 4, skipto = 5 };

// How the attribute values of a section's element patterns compare with the page's.
enum class match_mode { whole, wildcard, substring };

// Kind of a rule element: its name ignoring case; any unknown name is END.
rule_kind rule_kind_of(std::string_view element_name);
// Whether a rule of kind k may fire in state s (asked for every rule at every element).
inline bool transition_allowed(rule_kind s, rule_kind k) {
  switch (s) {
    case rule_kind::end:
      return k == rule_kind::start;
    case rule_kind::start:
      return k != rule_kind::start;
    case rule_kind::headline:
    case rule_kind::subhead:
    case rule_kind::link:
      return true;
    case rule_kind::skipto:
      return k == rule_kind::end || k == rule_kind::start || k == rule_kind::skipto;
  }
  return false;
}

struct attribute_pattern {
  std::string name;
  std::optional<std::string> lowered_value;  // none when written empty: any value
};

struct pattern {
  bool is_text = false;
  std::string text;  // text pattern, or element name
  std::vector<attribute_pattern> attributes;
};

// A rule without patterns never fires, but still counts as present (a section with an empty
// <subhead/> has a subheading rule).
struct rule {
  rule_kind kind = rule_kind::end;
  std::vector<pattern> patterns;
  long line = 0;  // where the rule's element begins in the ParseDef (0: built, not read)
  bool has_text_patterns = false, has_element_patterns = false;  // filled by index_section
};

struct section_rules {
  match_mode mode = match_mode::whole;
  bool linksearch_first = false;  // linksearch="first": the first link of an item wins
  std::vector<rule> rules;
  // Filled by index_section from the rules:
  bool has_subhead = false, has_link = false, has_skipto = false;
  std::vector<std::string> element_names;  // every element pattern's name, once
};

struct parsedef_rules {
  std::vector<section_rules> sections;
  bool has_text_patterns = false;  // some rule matches page text; filled by index_rules
};

// Fills the derived fields of a section, or of every section and the whole.
void index_section(section_rules& section);
void index_rules(parsedef_rules& rules);

// The sections of a loaded ParseDef: every element child of the root, in order. Comments
// between sections are not sections.
parsedef_rules read_parsedef_rules(pd_node root);

}  // namespace vantrel
