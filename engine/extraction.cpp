// The rule walk: every element start, element end and text of the page runs the rules of the
// current ParseDef section, moves the rule state and stores captured texts into the item
// under construction. Nothing is buffered or looked ahead.
#include <algorithm>

#include "common/text_util.h"
#include "common/wildcard.h"
#include "engine/parser.h"

namespace vantrel {

namespace {
constexpr std::string_view break_element = "br";
}

bool transition_allowed(int s, int k) {
  switch (s) {
    case st_end:
      return k == st_start;
    case st_start:
      return k != st_start;
    case st_headline:
    case st_subhead:
    case st_link:
      return true;
    case st_skipto:
      return k == st_end || k == st_start || k == st_skipto;
    default:
      return false;
  }
}

int rule_kind(std::string_view name) {
  static constexpr std::string_view names[] = {"end", "start", "headline", "subhead", "link", "skipto"};
  for (int k = 0; k < 6; ++k)
    if (iequals(name, names[k])) return k;
  return st_end;
}

// The ParseDef tree never changes while it is loaded, so what the walk reads of a section is
// read once and kept.
const parser::section_rules& parser::rules_of(pd_node section) {
  for (const section_rules& s : section_cache_)
    if (s.node == section) return s;
  section_rules s;
  s.node = section;
  if (section) {
    if (auto ls = section.attribute("linksearch")) s.linksearch_first = iequals(*ls, "first");
    if (auto m = section.attribute("match")) s.match_mode = iequals(*m, "regexp") ? 1 : iequals(*m, "substr") ? 2 : 0;
    for (pd_node r = section.first_child(); r; r = r.next_sibling()) {
      rule out;
      out.kind = rule_kind(r.name());
      out.has_children = r.has_children();
      if (r.is_element()) {
        std::string_view n = r.name();
        if (iequals(n, "subhead")) s.has_subhead = true;
        if (iequals(n, "link")) s.has_link = true;
        if (iequals(n, "skipto")) s.has_skipto = true;
      }
      for (pd_node p = r.first_child(); p; p = p.next_sibling()) {
        pattern pat;
        if (p.is_text()) {
          pat.is_text = true;
          pat.text = std::string(p.text());
        } else if (p.is_element()) {
          pat.text = std::string(p.name());
          if (std::none_of(s.element_names.begin(), s.element_names.end(),
                           [&](const std::string& n) { return iequals(n, pat.text); }))
            s.element_names.push_back(pat.text);
          for (pd_attr a = p.first_attribute(); a; a = a.next()) {
            std::string v = a.value();
            pat.attributes.push_back({std::string(a.name()),
                                      v.empty() ? std::nullopt : std::optional<std::string>(lower_ascii(v))});
          }
        } else {
          continue;  // comments in a rule are comments
        }
        (pat.is_text ? out.has_text_patterns : out.has_element_patterns) = true;
        out.patterns.push_back(std::move(pat));
      }
      s.rules.push_back(std::move(out));
    }
  }
  section_cache_.push_back(std::move(s));
  return section_cache_.back();
}

void parser::set_section(pd_node section) {
  section_ = section;
  section_rules_ = &rules_of(section);
}

bool parser::attribute_matches(const pattern::attribute& p, const char* const* attrs) {
  if (attrs == nullptr) return false;
  for (size_t i = 0; attrs[i] != nullptr; i += 2) {
    const char* name = attrs[i];
    const char* value = attrs[i + 1];
    if (value == nullptr) return false;
    if (name[0] != '*' && !iequals(name, p.name)) continue;
    if (!p.lowered_value || value[0] == '*') return true;
    const std::string& want = *p.lowered_value;
    bool holds;
    switch (section_rules_->match_mode) {
      case 1:
        lowered_ = lower_ascii(value);
        holds = wildcard_match(want, lowered_);
        break;
      case 2:
        holds = ifind(value, want) != std::string_view::npos;
        break;
      default:
        holds = iequals(value, want);
        break;
    }
    if (holds) return true;
  }
  return false;
}

void parser::match_rules(int& s, std::string_view name, const char* const* attrs, const std::string* text) {
  if (!root_) return;
  if (!section_) set_section(root_.first_child());
  if (!section_ || !section_.has_children()) return;
  // The rules walked are those of the section current now, even when a hit moves on.
  const section_rules& walked = *section_rules_;
  if (text == nullptr && std::none_of(walked.element_names.begin(), walked.element_names.end(),
                                      [&](const std::string& n) { return iequals(n, name); })) {
    // No pattern names this element: nothing can fire, and the walk would only have read the
    // section's SKIPTO flag.
    section_has_skipto_ = walked.has_skipto;
    return;
  }
  bool matched = false;
  for (const rule& r : walked.rules) {
    const section_rules& current = *section_rules_;
    section_has_skipto_ = current.has_skipto;
    int k = r.kind;
    if (!transition_allowed(s, k)) continue;
    if (!r.has_children || !(text != nullptr ? r.has_text_patterns : r.has_element_patterns)) continue;
    const bool h = current.has_subhead, l = current.has_link;
    const pd_node target = k != st_end ? section_ : (section_ ? section_.next_sibling() : pd_node());
    if (k == st_skipto) k = st_start;
    auto hit = [&] {
      s = k;
      section_has_subhead_ = h;
      section_has_link_ = l;
      if (section_ != target) set_section(target);
    };

    if (text != nullptr) {
      for (const pattern& p : r.patterns) {
        if (!p.is_text) continue;
        if (text->find(p.text) != std::string::npos) {
          hit();
          matched = true;
        } else if (!p.text.empty() && p.text[0] == '*' && has_visible_text(*text) && !capture_tag_ &&
                   s == st_headline && k == st_subhead && !matched) {
          // "*" in a SUBHEAD rule: any visible text after the heading is the subheading.
          hit();
          pending_state_ = st_subhead;
        }
      }
      continue;
    }
    for (const pattern& p : r.patterns) {
      if (p.is_text || !iequals(p.text, name)) continue;
      bool is_hit = p.attributes.empty();
      for (size_t q = 0; !is_hit && q < p.attributes.size(); ++q) {
        if (!p.attributes[q].name.empty() && p.attributes[q].name[0] == '*') {
          is_hit = true;
          break;
        }
        // The run from q to the last pattern attribute must all match; in effect the last
        // attribute of the pattern decides.
        bool all = true;
        for (size_t j = q; all && j < p.attributes.size(); ++j) all = attribute_matches(p.attributes[j], attrs);
        is_hit = all;
      }
      if (is_hit) {
        hit();
        capture_tag_ = name;
        matched = true;
      }
    }
  }
}

void parser::on_start_element(const char* name_text, const char* const* attrs) {
  const std::string_view name(name_text);
  const int s0 = state_;
  if (break_tag_) {
    // A line break followed by any element closes the capture as if its element had ended.
    break_tag_.reset();
    capture_tag_ = name;
    on_end_element(name_text);
  } else if (iequals(name, break_element)) {
    break_tag_ = name;
  }
  if (cb_.tag_start) cb_.tag_start(cb_.owner, name_text);
  match_rules(state_, name, attrs, nullptr);
  if (state_ != s0) {
    // A capture opened by a text pattern ends at the element that moves the state.
    if (pending_state_ == st_subhead && text_) set_field(field_subheading, *text_);
    pending_state_ = 0;
    text_.reset();
  }
  if (attrs == nullptr) return;
  const element_class kind = iequals(name, "meta") ? element_class::meta
                             : iequals(name, "a")  ? element_class::anchor
                                                   : element_class::other;
  bool refresh_pending = false;
  for (size_t i = 0; attrs[i] != nullptr && attrs[i + 1] != nullptr; i += 2) {
    const std::string_view attr(attrs[i]);
    const char* value = attrs[i + 1];
    if (cb_.tag_attribute) cb_.tag_attribute(cb_.owner, name_text, attrs[i], value);
    if (apply_page_directives(kind, attr, value, refresh_pending)) break;
    if (kind == element_class::anchor && iequals(attr, "href") &&
        (state_ == st_link || (state_ == st_headline && !section_has_link_)))
      set_field(field_link, std::string_view(value));
  }
}

void parser::on_end_element(const char* name) {
  if (break_tag_ && iequals(*break_tag_, name)) return;  // a break's end closes nothing
  if (cb_.tag_end) cb_.tag_end(cb_.owner, name);
  if (!capture_tag_ || !iequals(*capture_tag_, name)) return;
  int r;
  switch (state_) {
    case st_headline:
      r = set_field(field_heading, text_ ? std::optional<std::string_view>(*text_) : std::nullopt);
      if (!section_has_subhead_) {
        set_field(field_subheading, std::nullopt);
        after_field(state_);
      }
      text_.reset();
      if (r == 1 && state_ != st_skipto) state_ = st_start;
      break;
    case st_subhead:
      if (text_) {
        r = set_field(field_subheading, *text_);
        text_.reset();
        after_field(state_);
        if (r == 1 && state_ != st_skipto) state_ = st_start;
      }
      break;
    case st_link:
      if (text_) {
        r = set_field(field_link, *text_);
        text_.reset();
        if (r == 1) state_ = st_start;
      }
      break;
    default:
      break;
  }
  capture_tag_.reset();
}

void parser::on_characters(std::string_view raw) {
  if (!has_text_patterns_ && !cb_.tag_text && state_ != st_headline && state_ != st_subhead && state_ != st_link) {
    // The text can be neither matched, reported nor captured: all it can do is end an item
    // that never completed.
    if (state_ == st_end && has_visible_text(raw)) item_.reset();
    return;
  }
  const int s0 = state_;
  collapse_spaces_into(raw, collapsed_);
  // Collapsing removes only invisible bytes, so the shorter text tells the same.
  const bool visible = has_visible_text(collapsed_);
  if (has_text_patterns_) match_text(state_, collapsed_);  // without them no text can fire a rule
  if (!visible) return;
  if (cb_.tag_text) cb_.tag_text(cb_.owner, collapsed_.c_str());
  switch (state_) {
    case st_end:
      item_.reset();  // text before any block ends an item that never completed
      break;
    case st_headline:
    case st_subhead:
    case st_link:
      if (state_ != s0) text_.reset();
      if (text_) {
        if (state_ != st_link) text_->push_back(' ');
        text_->append(collapsed_);
      } else {
        text_ = collapsed_;
      }
      break;
    default:
      break;
  }
}

}  // namespace vantrel
