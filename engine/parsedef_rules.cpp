#include "engine/parsedef_rules.h"

#include <algorithm>

#include "common/text_util.h"

namespace vantrel {

rule_kind rule_kind_of(std::string_view name) {
  static constexpr std::string_view names[] = {"end", "start", "headline", "subhead", "link", "skipto"};
  for (int k = 0; k < 6; ++k)
    if (iequals(name, names[k])) return static_cast<rule_kind>(k);
  return rule_kind::end;
}

void index_section(section_rules& s) {
  s.has_subhead = s.has_link = s.has_skipto = false;
  s.element_names.clear();
  for (rule& r : s.rules) {
    s.has_subhead = s.has_subhead || r.kind == rule_kind::subhead;
    s.has_link = s.has_link || r.kind == rule_kind::link;
    s.has_skipto = s.has_skipto || r.kind == rule_kind::skipto;
    r.has_text_patterns = r.has_element_patterns = false;
    for (const pattern& p : r.patterns) {
      (p.is_text ? r.has_text_patterns : r.has_element_patterns) = true;
      if (!p.is_text && std::none_of(s.element_names.begin(), s.element_names.end(),
                                     [&](const std::string& n) { return iequals(n, p.text); }))
        s.element_names.push_back(p.text);
    }
  }
}

void index_rules(parsedef_rules& rules) {
  rules.has_text_patterns = false;
  for (section_rules& s : rules.sections) {
    index_section(s);
    for (const rule& r : s.rules) rules.has_text_patterns = rules.has_text_patterns || r.has_text_patterns;
  }
}

namespace {

section_rules read_section(pd_node section) {
  section_rules s;
  if (auto ls = section.attribute("linksearch")) s.linksearch_first = iequals(*ls, "first");
  if (auto m = section.attribute("match"))
    s.mode = iequals(*m, "regexp")   ? match_mode::wildcard
             : iequals(*m, "substr") ? match_mode::substring
                                     : match_mode::whole;
  for (pd_node r = section.first_child(); r; r = r.next_sibling()) {
    if (!r.is_element()) continue;  // text and comments between rules fire nothing
    rule out;
    out.kind = rule_kind_of(r.name());
    out.line = r.line();
    for (pd_node p = r.first_child(); p; p = p.next_sibling()) {
      pattern pat;
      if (p.is_text()) {
        pat.is_text = true;
        pat.text = std::string(p.text());
      } else if (p.is_element()) {
        pat.text = std::string(p.name());
        for (pd_attr a = p.first_attribute(); a; a = a.next()) {
          std::string v = a.value();
          pat.attributes.push_back(
              {std::string(a.name()), v.empty() ? std::nullopt : std::optional<std::string>(lower_ascii(v))});
        }
      } else {
        continue;  // comments in a rule are comments
      }
      out.patterns.push_back(std::move(pat));
    }
    s.rules.push_back(std::move(out));
  }
  return s;
}

}  // namespace

parsedef_rules read_parsedef_rules(pd_node root) {
  parsedef_rules rules;
  if (root)
    for (pd_node section = root.first_child(); section; section = section.next_sibling())
      if (section.is_element()) rules.sections.push_back(read_section(section));
  index_rules(rules);
  return rules;
}

}  // namespace vantrel
