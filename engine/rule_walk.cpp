#include "engine/rule_walk.h"

#include <algorithm>

#include "common/text_util.h"
#include "common/wildcard.h"

namespace vantrel {

namespace {
constexpr std::string_view break_element = "br";
const section_rules no_section;

bool is_capturing(rule_kind s) { return s == rule_kind::headline || s == rule_kind::subhead || s == rule_kind::link; }
}  // namespace

rule_walk::rule_walk(walk_observer& observer, bool report_texts) : observer_(observer), report_texts_(report_texts) {}

void rule_walk::set_rules(parsedef_rules rules) {
  rules_ = std::move(rules);
  section_ = -1;
}

void rule_walk::start_page() {
  state_ = rule_kind::end;
  capture_tag_.reset();
  item_.reset();
  section_ = -1;
}

void rule_walk::end_page() { drop_item(); }

void rule_walk::drop_item() {
  if (!item_) return;
  const auto set = item_->fields_set;
  item_.reset();
  if (set & field_heading)
    observer_.item_faulted(item_fault::heading_without_link);
  else if (set & field_link)
    observer_.item_faulted(item_fault::link_without_heading);
  else if (set & field_subheading)
    observer_.item_faulted(item_fault::incomplete);
}

const section_rules& rule_walk::current() const {
  return section_ >= 0 ? rules_.sections[static_cast<size_t>(section_)] : no_section;
}

bool rule_walk::attribute_matches(const attribute_pattern& p, const char* const* attrs) {
  if (attrs == nullptr) return false;
  for (size_t i = 0; attrs[i] != nullptr; i += 2) {
    const char* name = attrs[i];
    const char* value = attrs[i + 1];
    if (value == nullptr) return false;
    if (name[0] != '*' && !iequals(name, p.name)) continue;
    if (!p.lowered_value || value[0] == '*') return true;
    const std::string& want = *p.lowered_value;
    bool holds;
    switch (current().mode) {
      case match_mode::wildcard:
        lowered_ = lower_ascii(value);
        holds = wildcard_match(want, lowered_);
        break;
      case match_mode::substring:
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

void rule_walk::match_rules(std::string_view name, const char* const* attrs, const std::string* text) {
  if (rules_.sections.empty()) return;
  if (section_ < 0) section_ = 0;  // past the last section the walk starts over at the first
  // The rules walked are those of the section current now, even when a hit moves on.
  const section_rules& walked = current();
  if (walked.rules.empty()) return;
  if (text == nullptr && std::none_of(walked.element_names.begin(), walked.element_names.end(),
                                      [&](const std::string& n) { return iequals(n, name); })) {
    // No pattern names this element: nothing can fire, and the walk would only have read the
    // section's SKIPTO flag.
    section_has_skipto_ = walked.has_skipto;
    return;
  }
  const int last = static_cast<int>(rules_.sections.size()) - 1;
  bool matched = false;
  const int walked_section = section_;
  for (size_t index = 0; index < walked.rules.size(); ++index) {
    const rule& r = walked.rules[index];
    const section_rules& now = current();
    section_has_skipto_ = now.has_skipto;
    rule_kind k = r.kind;
    if (!transition_allowed(state_, k)) continue;
    if (!(text != nullptr ? r.has_text_patterns : r.has_element_patterns)) continue;
    const bool h = now.has_subhead, l = now.has_link;
    const int target = k != rule_kind::end ? section_ : (section_ >= 0 && section_ < last ? section_ + 1 : -1);
    if (k == rule_kind::skipto) k = rule_kind::start;
    bool fired = false;
    auto hit = [&] {
      state_ = k;
      section_has_subhead_ = h;
      section_has_link_ = l;
      section_ = target;
      fired = true;
    };

    if (text != nullptr) {
      for (const pattern& p : r.patterns) {
        if (!p.is_text) continue;
        if (text->find(p.text) != std::string::npos) {
          hit();
          matched = true;
        } else if (!p.text.empty() && p.text[0] == '*' && has_visible_text(*text) && !capture_tag_ &&
                   state_ == rule_kind::headline && k == rule_kind::subhead && !matched) {
          // "*" in a SUBHEAD rule: any visible text after the heading is the subheading.
          hit();
          pending_subhead_ = true;
        }
      }
    } else {
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
          if (k == rule_kind::link) link_element_hit_ = true;
        }
      }
    }
    if (fired) observer_.rule_matched(walked_section, static_cast<int>(index), event_reported_);
  }
}

bool rule_walk::set_field(field_kind kind, const std::optional<std::string_view>& text) {
  if (!item_) item_ = std::make_unique<headline_item>();
  item_->encoding = encoding_;
  switch (kind) {
    case field_heading:
      if (item_->fields_set & field_heading) {  // the first heading wins
        if (text) observer_.item_faulted(item_fault::heading_ignored);
        return false;
      }
      if (text) {
        item_->heading = std::string(*text);
        item_->fields_set |= field_heading;
      }
      break;
    case field_subheading:
      item_->subheading = text ? std::optional<std::string>(std::string(*text)) : std::nullopt;
      item_->fields_set |= field_subheading;
      break;
    case field_link:
      if (current().linksearch_first && (item_->fields_set & field_link)) break;
      if (item_->fields_set & field_link) observer_.item_faulted(item_fault::link_replaced);
      item_->link = text ? join_url(base_url_, *text).value_or(std::string()) : std::string();
      item_->fields_set |= field_link;
      break;
  }
  if ((item_->fields_set & all_fields) == all_fields) return complete_item();
  return false;
}

bool rule_walk::complete_item() {
  std::unique_ptr<headline_item> done = std::move(item_);
  if (done->heading.empty() || done->link.empty()) {
    observer_.item_faulted(item_fault::empty_field);
    return false;
  }
  observer_.item_completed(std::move(done));
  return true;
}

void rule_walk::after_field() {
  if (section_has_skipto_ && (state_ == rule_kind::subhead || (state_ == rule_kind::headline && !section_has_subhead_)))
    state_ = rule_kind::skipto;
}

void rule_walk::on_start_element(const char* name_text, const char* const* attrs) {
  const std::string_view name(name_text);
  const rule_kind s0 = state_;
  if (break_tag_) {
    // A line break followed by any element closes the capture as if its element had ended.
    break_tag_.reset();
    capture_tag_ = name;
    on_end_element(name_text);
  } else if (to_lower_ascii(name_text[0]) == 'b' && iequals(name, break_element)) {
    break_tag_ = name;
  }
  observer_.element_started(name_text);
  event_reported_ = true;
  link_element_hit_ = false;
  match_rules(name, attrs, nullptr);
  // A LINK rule that fired on this element takes its href, whatever the element (Atom gives an
  // entry's address as <link href="..."/>); an anchor's href is taken as before.
  const bool link_element = link_element_hit_ && state_ == rule_kind::link;
  if (state_ != s0) {
    // A capture opened by a text pattern ends at the element that moves the state.
    if (pending_subhead_ && text_) set_field(field_subheading, *text_);
    pending_subhead_ = false;
    text_.reset();
  }
  if (attrs == nullptr) return;
  const bool anchor = to_lower_ascii(name_text[0]) == 'a' && name.size() == 1;
  for (size_t i = 0; attrs[i] != nullptr && attrs[i + 1] != nullptr; i += 2) {
    const char* value = attrs[i + 1];
    if (observer_.attribute_seen(name_text, attrs[i], value)) break;
    if (!iequals(attrs[i], "href")) continue;
    if ((anchor && (state_ == rule_kind::link || (state_ == rule_kind::headline && !section_has_link_))) ||
        (!anchor && link_element))
      set_field(field_link, std::string_view(value));
  }
}

void rule_walk::on_end_element(const char* name) {
  if (break_tag_ && iequals(*break_tag_, name)) return;  // a break's end closes nothing
  observer_.element_ended(name);
  if (!capture_tag_ || !iequals(*capture_tag_, name)) return;
  bool completed;
  switch (state_) {
    case rule_kind::headline:
      completed = set_field(field_heading, text_ ? std::optional<std::string_view>(*text_) : std::nullopt);
      if (!section_has_subhead_) {
        set_field(field_subheading, std::nullopt);
        after_field();
      }
      text_.reset();
      if (completed && state_ != rule_kind::skipto) state_ = rule_kind::start;
      break;
    case rule_kind::subhead:
      if (text_) {
        completed = set_field(field_subheading, *text_);
        text_.reset();
        after_field();
        if (completed && state_ != rule_kind::skipto) state_ = rule_kind::start;
      }
      break;
    case rule_kind::link:
      if (text_) {
        completed = set_field(field_link, *text_);
        text_.reset();
        if (completed) state_ = rule_kind::start;
      }
      break;
    default:
      break;
  }
  capture_tag_.reset();
}

void rule_walk::on_characters(std::string_view raw) {
  if (!rules_.has_text_patterns && !report_texts_ && !is_capturing(state_)) {
    // The text can be neither matched, reported nor captured: all it can do is end an item
    // that never completed.
    if (state_ == rule_kind::end && has_visible_text(raw)) drop_item();
    return;
  }
  const rule_kind s0 = state_;
  collapse_spaces_into(raw, collapsed_);
  // Collapsing removes only invisible bytes, so the shorter text tells the same.
  const bool visible = has_visible_text(collapsed_);
  // Reported before the rules see it, as elements are, so a rule's hit follows its event.
  event_reported_ = visible && report_texts_;
  if (event_reported_) observer_.text_seen(collapsed_);
  if (rules_.has_text_patterns) match_rules({}, nullptr, &collapsed_);  // without them no text can fire a rule
  if (!visible) return;
  switch (state_) {
    case rule_kind::end:
      drop_item();  // text before any block ends an item that never completed
      break;
    case rule_kind::headline:
    case rule_kind::subhead:
    case rule_kind::link:
      if (state_ != s0) text_.reset();
      if (text_) {
        if (state_ != rule_kind::link) text_->push_back(' ');
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
