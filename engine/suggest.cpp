#include "engine/suggest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "common/case_fold.h"
#include "common/text_util.h"
#include "common/trace_log.h"
#include "engine/rule_walk.h"
#include "engine/suggest_shape.h"

namespace vantrel {

using namespace suggest_detail;

namespace {

// A rule set to try: one section, its rules in the order the templates write them.
struct candidate {
  element_choice start, headline;
  std::optional<element_choice> subhead, link, end;
  bool link_first = false;
  // A SKIPTO rule: after each headline the walk waits for it (or, empty, for the next START).
  bool skipto = false;
  std::optional<element_choice> skip_to;
  bool substring_mode() const {
    return start.substring || headline.substring || (subhead && subhead->substring) || (link && link->substring) ||
           (end && end->substring) || (skip_to && skip_to->substring);
  }
};

pattern pattern_of(const element_choice& e) {
  pattern p;
  p.text = e.name;
  if (!e.attribute.empty()) p.attributes.push_back({e.attribute, lower_ascii(e.value)});
  return p;
}

parsedef_rules rules_of(const candidate& c) {
  section_rules s;
  s.mode = c.substring_mode() ? match_mode::substring : match_mode::whole;
  s.linksearch_first = c.link_first;
  auto add = [&s](rule_kind kind, const element_choice& e) { s.rules.push_back({kind, {pattern_of(e)}}); };
  add(rule_kind::start, c.start);
  add(rule_kind::headline, c.headline);
  if (c.subhead) add(rule_kind::subhead, *c.subhead);
  if (c.link) add(rule_kind::link, *c.link);
  if (c.skipto) {
    s.rules.push_back({rule_kind::skipto, {}});
    if (c.skip_to) s.rules.back().patterns.push_back(pattern_of(*c.skip_to));
  }
  if (c.end) add(rule_kind::end, *c.end);
  parsedef_rules rules;
  rules.sections.push_back(std::move(s));
  index_rules(rules);
  return rules;
}

class yield_collector : public walk_observer {
 public:
  std::vector<headline> items;
  void element_started(const char*) override {}
  void element_ended(const char*) override {}
  bool attribute_seen(const char*, const char*, const char*) override { return false; }
  void text_seen(const std::string&) override {}
  void item_completed(std::unique_ptr<headline_item> item) override { items.push_back(std::move(*item)); }
};

// What the candidate's rules yield on the page, walked as a job walks it.
std::vector<headline> run(const page_record& page, const candidate& c, const std::string& address) {
  yield_collector out;
  rule_walk walk(out, false);
  walk.set_rules(rules_of(c));
  if (!address.empty()) walk.set_base_url(address);
  walk.start_page();
  page.replay(walk);
  walk.end_page();
  return std::move(out.items);
}

// The headlines the structure says the page has, to score candidates against.
struct target {
  std::unordered_map<std::string, std::vector<size_t>> by_heading;  // folded heading: its places
  std::vector<std::string> links;                                   // by place; "" when unknown
  std::vector<std::string> examples;                                // folded
  size_t size() const { return links.size(); }
};

struct score {
  double f1 = -1, headings_f1 = 0;
  size_t found = 0, right = 0;
  bool has_examples = false;
  bool subheads = false;  // nearly every item has a subheading
  size_t spread = 0;      // elements of the page its START and HEADLINE patterns match: fewer is surer
  bool better_than(const score& o) const {
    if (has_examples != o.has_examples) return has_examples;
    if (f1 != o.f1) return f1 > o.f1;
    if (headings_f1 != o.headings_f1) return headings_f1 > o.headings_f1;
    if (subheads != o.subheads) return subheads;
    return spread < o.spread;
  }
  bool perfect() const { return has_examples && f1 >= 0.999; }
};

double f1_of(size_t right, size_t found, size_t expected) {
  if (right == 0 || found == 0 || expected == 0) return 0;
  const double p = static_cast<double>(right) / static_cast<double>(found);
  const double r = static_cast<double>(right) / static_cast<double>(expected);
  return 2 * p * r / (p + r);
}

score score_of(const std::vector<headline>& items, const target& t) {
  score s;
  s.found = items.size();
  std::vector<char> heading_taken(t.size(), 0), taken(t.size(), 0);
  size_t heading_right = 0, with_subhead = 0;
  std::vector<char> seen(t.examples.size(), 0);
  std::string folded;
  for (const headline& item : items) {
    folded.clear();
    append_folded(folded, collapse_spaces(item.heading));
    if (std::any_of(seen.begin(), seen.end(), [](char b) { return b == 0; })) {
      const std::string searched = search_form(item.heading);
      for (size_t i = 0; i < t.examples.size(); ++i)
        if (!seen[i] && searched.find(t.examples[i]) != std::string::npos) seen[i] = 1;
    }
    if (item.subheading && has_visible_text(*item.subheading)) ++with_subhead;
    const auto places = t.by_heading.find(folded);
    if (places == t.by_heading.end()) continue;
    for (size_t place : places->second) {
      if (heading_taken[place]) continue;
      heading_taken[place] = 1;
      ++heading_right;
      break;
    }
    for (size_t place : places->second) {
      if (taken[place] || !(t.links[place].empty() || t.links[place] == item.link)) continue;
      taken[place] = 1;
      ++s.right;
      break;
    }
  }
  s.has_examples = std::all_of(seen.begin(), seen.end(), [](char b) { return b != 0; });
  s.f1 = f1_of(s.right, s.found, t.size());
  s.headings_f1 = f1_of(heading_right, s.found, t.size());
  s.subheads = !items.empty() && with_subhead * 10 >= items.size() * 9;
  return s;
}

struct tried {
  candidate rules;
  score result;
  std::vector<headline> items;
};

// The first text-bearing element after the heading in each record that every record (nearly)
// has: the subheading.
// The text-bearing elements after the heading in each record (the first and the second kind,
// anchors aside) that every record (nearly) has: a subheading.
std::vector<element_choice> subhead_choices(const page_record& page, const expected_set& set) {
  const auto& nodes = page.nodes();
  std::vector<element_choice> choices;
  for (size_t ordinal = 0; ordinal < 2; ++ordinal) {
    std::vector<std::uint32_t> found;
    for (std::uint32_t heading : set.headings) {
      std::uint32_t block = set.block;
      for (std::uint32_t b : set.blocks)
        if (is_inside(page, heading, b)) block = b;
      const std::uint32_t record = record_of(page, heading, block);
      // In a record the heading is part of; a heading that is its own record has its summary
      // as the next element of the list.
      const std::uint32_t from = nodes[heading].last_event + 1;
      const std::uint32_t stop =
          record == heading ? std::min<std::uint32_t>(from + 40, nodes[block].last_event) : nodes[record].last_event;
      size_t seen = 0;
      std::uint32_t last = 0;
      for (std::uint32_t i = from; i < stop; ++i) {
        const auto& e = page.events()[i];
        if (e.kind != page_record::event_kind::start) continue;
        if (last != 0 && is_inside(page, e.node, last)) continue;
        if (page.name_of(e.node) == page.name_of(heading)) break;  // the next headline
        if (page.text_length(e.node) < 2 || page.name_of(e.node) == "a") continue;
        last = e.node;
        if (seen++ == ordinal) {
          found.push_back(e.node);
          break;
        }
      }
    }
    if (found.empty() || found.size() * 10 < set.headings.size() * 9) break;
    if (std::any_of(found.begin(), found.end(),
                    [&](std::uint32_t n) { return nodes[n].name != nodes[found.front()].name; }))
      continue;
    const auto patterns = patterns_for(page, found);
    if (!patterns.empty()) choices.push_back(patterns.front());
  }
  return choices;
}

// The first element after the last list with a name and attribute found nowhere inside the
// lists: where the block of headlines ends.
std::optional<element_choice> end_choice(const page_record& page, const expected_set& set) {
  const auto& nodes = page.nodes();
  std::uint32_t last_block = set.block;
  for (std::uint32_t b : set.blocks)
    if (nodes[b].last_event > nodes[last_block].last_event) last_block = b;
  for (std::uint32_t i = nodes[last_block].last_event + 1, seen = 0; i < page.events().size() && seen < 20; ++i) {
    const auto& e = page.events()[i];
    if (e.kind != page_record::event_kind::start) continue;
    ++seen;
    for (const element_choice& c : patterns_for(page, {e.node})) {
      // An element's descendants follow it in the tree's order, up to its end. Its name is one
      // of the page's (it is this element's): compared by index first, as most are others.
      const std::uint32_t name = nodes[e.node].name;
      bool inside = false;
      for (std::uint32_t b : set.blocks) {
        for (auto n = b + 1; !inside && n < nodes.size() && nodes[n].first_event < nodes[b].last_event; ++n)
          inside = nodes[n].name == name && matches(page, n, c, c.substring);
      }
      if (!inside) return c;
    }
  }
  return std::nullopt;
}

std::string element_text(const element_choice& e) {
  std::string out = "<" + e.name;
  if (!e.attribute.empty()) out += " " + e.attribute + "=\"" + xml_escape(e.value) + "\"";
  return out + "/>";
}

std::string section_text(const candidate& c) {
  std::string out = "  <section";
  if (c.substring_mode()) out += " match=\"substr\"";
  if (c.link_first) out += " linksearch=\"first\"";
  out += ">\n";
  auto rule_line = [&out](const char* kind, const element_choice& e) {
    out += std::string("    <") + kind + ">" + element_text(e) + "</" + kind + ">\n";
  };
  rule_line("start", c.start);
  rule_line("headline", c.headline);
  if (c.subhead) rule_line("subhead", *c.subhead);
  if (c.link) rule_line("link", *c.link);
  if (c.skipto && c.skip_to) {
    rule_line("skipto", *c.skip_to);
  } else if (c.skipto) {
    out += "    <skipto/>\n";
  }
  if (c.end) rule_line("end", *c.end);
  return out + "  </section>\n";
}

std::string summary_of(const candidate& c, size_t headlines) {
  std::string out = std::to_string(headlines) + (headlines == 1 ? " headline: " : " headlines: ");
  out += "START " + element_text(c.start) + ", HEADLINE " + element_text(c.headline);
  if (c.subhead) out += ", SUBHEAD " + element_text(*c.subhead);
  if (c.link) out += ", LINK " + element_text(*c.link);
  if (c.skipto) out += c.skip_to ? ", SKIPTO " + element_text(*c.skip_to) : std::string(", SKIPTO (empty)");
  if (c.end) out += ", END " + element_text(*c.end);
  return out;
}

// A comment's text: "--" may not stand in one.
std::string comment_text(std::string text) {
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at)) text.replace(at, 2, "- -");
  return text;
}

class suggester {
 public:
  suggester(const page_record& page, const suggest_request& request) : page_(page), request_(request) {}

  // Looks at each place the first example stands and each element holding it as the heading,
  // and runs candidate rules for the two that promise most: the fewest other elements matched
  // by their heading's pattern, then the longest list.
  std::optional<tried> best() {
    struct context {
      std::uint32_t heading;
      double precision;
      size_t size;
    };
    std::vector<context> contexts;
    for (const example_place& place : find_example(page_, request_.examples.front(), 6)) {
      if (place.in_title) continue;
      const auto chain = heading_elements(page_, place.element);
      for (size_t i = 0; i < chain.size() && i < 3; ++i) {
        const expected_set set = headlines_like(page_, chain[i]);
        // An element around the example's is its heading only if, in the other headlines too,
        // it holds no more than their like of the example's element.
        if (i > 0 && !holds_only_the_heading(set, chain, i)) continue;
        const auto patterns = counted_patterns_for(page_, set.headings);
        if (patterns.empty()) continue;
        const size_t matched = patterns.front().first;
        contexts.push_back(
            {chain[i], static_cast<double>(set.headings.size()) / static_cast<double>(std::max<size_t>(matched, 1)),
             set.headings.size()});
      }
    }
    std::stable_sort(contexts.begin(), contexts.end(), [](const context& a, const context& b) {
      return a.precision != b.precision ? a.precision > b.precision : a.size > b.size;
    });
    // Each context is scored against its own list: the one whose rules find most of the
    // headlines like the example, and find them well, wins.
    std::optional<tried> best;
    auto worth = [](const tried& t) { return static_cast<double>(t.result.right) * t.result.f1; };
    for (size_t i = 0; i < contexts.size() && i < 2; ++i) {
      auto found = try_heading(contexts[i].heading);
      if (!found || !found->result.has_examples) continue;
      if (!best || worth(*found) > worth(*best) ||
          (worth(*found) == worth(*best) && found->result.better_than(best->result)))
        best = std::move(found);
    }
    return best;
  }

 private:
  std::optional<tried> try_heading(std::uint32_t heading) {
    expected_set set = headlines_like(page_, heading);
    widen_with_other_examples(set, heading);
    if (set.headings.empty()) return std::nullopt;
    const target t = target_of(set);
    std::vector<element_choice> heading_patterns = patterns_for(page_, set.headings);
    if (heading_patterns.empty()) return std::nullopt;
    if (heading_patterns.size() > 2) heading_patterns.resize(2);
    std::vector<std::uint32_t> records;
    for (std::uint32_t h : set.headings) records.push_back(record_of(page_, h, block_of(set, h)));

    // Where the block starts: the list, an element around it or just before it that the page
    // has once, each headline's record (started anew for each, the walk waiting in between),
    // or the headline itself.
    struct start_option {
      element_choice choice;
      bool per_record;
    };
    std::vector<start_option> starts;
    auto add_start = [&starts](const element_choice& c, bool per_record) {
      for (const start_option& s2 : starts)
        if (s2.choice == c) return;
      starts.push_back({c, per_record});
    };
    const auto block_patterns = patterns_for(page_, set.blocks);
    if (!block_patterns.empty()) add_start(block_patterns.front(), false);
    if (auto around = distinct_ancestor(page_, set.blocks)) add_start(*around, false);
    if (auto before = preceding_marker(page_, set.blocks)) add_start(*before, false);
    if (records.front() != set.headings.front()) {
      const auto record_patterns = patterns_for(page_, records);
      if (!record_patterns.empty()) add_start(record_patterns.front(), true);
    }
    for (const element_choice& h : heading_patterns) add_start(h, true);

    std::vector<std::optional<element_choice>> subheads;
    std::optional<element_choice> link;
    if (page_.is_xml()) {
      for (const element_choice& c : feed_summary(page_, records, set.headings)) subheads.emplace_back(c);
      link = feed_link(page_, records);
    } else {
      for (const element_choice& c : subhead_choices(page_, set)) subheads.emplace_back(c);
    }
    subheads.emplace_back(std::nullopt);
    // An anchor around the heading (a card that is one link): its href comes before the
    // heading starts, so a LINK rule must take it.
    std::vector<std::optional<element_choice>> links{link};
    if (!page_.is_xml() && link_outside(set.headings.front(), records.front())) {
      links.emplace_back(element_choice{"a", "", "", false});
      if (auto anchor = record_anchor(set, records)) links.emplace_back(*anchor);
    }

    // Every combination, the surest first: with a subheading, matching fewest elements. The
    // first that yields exactly the headlines expected is as good as any after it.
    std::vector<std::pair<size_t, candidate>> order;
    // After each headline the walk may wait for the next record (an empty SKIPTO when each
    // record is a START; the record's pattern as SKIPTO when the block is).
    std::optional<element_choice> record_pattern;
    if (records.front() != set.headings.front()) {
      const auto record_patterns = patterns_for(page_, records);
      if (!record_patterns.empty()) record_pattern = record_patterns.front();
    }
    for (const element_choice& h : heading_patterns) {
      for (const auto& sub : subheads) {
        for (const start_option& st : starts) {
          for (int skip = 0; skip < 3; ++skip) {
            if (skip == 1 && !st.per_record) continue;
            if (skip == 2 && (st.per_record || !record_pattern)) continue;
            candidate c{st.choice, h, sub, link, {}, link.has_value(), skip > 0, {}};
            if (skip == 2) c.skip_to = record_pattern;
            order.emplace_back(spread_of(c) * 4 + (sub ? 0 : 2) + (skip > 0 ? 1 : 0), std::move(c));
          }
        }
      }
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::optional<tried> best;
    std::vector<std::pair<score, candidate>> tried_rules;
    auto consider = [&](const candidate& c) {
      tried t2{c, {}, run(page_, c, request_.address)};
      t2.result = score_of(t2.items, t);
      t2.result.spread = spread_of(c);
      // Why one candidate beat another, for whoever tunes the suggester (the trace is off unless asked).
      if (the_trace_log().is_on())
        trace("suggest_rules: candidate %s: f1 %.3f, headings %.3f, spread %zu", summary_of(c, t2.items.size()).c_str(),
              t2.result.f1, t2.result.headings_f1, t2.result.spread);
      tried_rules.emplace_back(t2.result, c);
      if (!best || t2.result.better_than(best->result)) best = std::move(t2);
    };
    constexpr size_t most_runs = 16;
    for (size_t i = 0; i < order.size() && i < most_runs; ++i) {
      consider(order[i].second);
      if (best->result.perfect() && best->result.subheads == (order[i].second.subhead.has_value())) break;
    }
    if (!best) return std::nullopt;

    // Rules that find the headings but pair them with the wrong links: the link stands outside
    // the heading, and a LINK rule takes it (the first one, before the anchor's text could).
    if (!best->result.perfect() && links.size() > 1) {
      std::stable_sort(tried_rules.begin(), tried_rules.end(), [](const auto& a, const auto& b) {
        return a.first.headings_f1 != b.first.headings_f1 ? a.first.headings_f1 > b.first.headings_f1
                                                          : a.first.f1 > b.first.f1;
      });
      const auto promising = tried_rules;
      for (size_t i = 0; i < promising.size() && i < 4 && !best->result.perfect(); ++i) {
        for (size_t l = 1; l < links.size() && !best->result.perfect(); ++l) {
          candidate c = promising[i].second;
          c.link = links[l];
          c.link_first = true;
          consider(c);
        }
      }
    }
    // Where the block ends, when the headline's pattern matches more than the list.
    if (best->result.right < best->result.found) {
      if (auto end = end_choice(page_, set)) {
        candidate c = best->rules;
        c.end = *end;
        consider(c);
      }
    }
    return best;
  }

  // How many elements of the page the START and HEADLINE patterns match (counted once each).
  size_t spread_of(const candidate& c) {
    auto count = [this, &c](const element_choice& e) {
      const auto key = std::make_tuple(e.name, e.attribute, e.value, c.substring_mode());
      auto found = counted_.find(key);
      if (found == counted_.end()) found = counted_.emplace(key, matches_on_page(page_, e, c.substring_mode())).first;
      return found->second;
    };
    return count(c.start) + count(c.headline);
  }

  bool holds_only_the_heading(const expected_set& set, const std::vector<std::uint32_t>& chain, size_t level) const {
    // The names from the element around down to the example's own.
    std::vector<std::uint32_t> path;
    for (size_t i = level; i-- > 0;) path.push_back(page_.nodes()[chain[i]].name);
    size_t loose = 0;
    for (std::uint32_t y : set.headings) {
      std::uint32_t core = y;
      for (std::uint32_t name : path) {
        std::uint32_t next = 0;
        for (std::uint32_t child : page_.nodes()[core].children)
          if (page_.nodes()[child].name == name) {
            next = child;
            break;
          }
        if (next == 0) break;
        core = next;
      }
      const size_t inner = core == y ? 0 : page_.text_length(core), outer = page_.text_length(y);
      if (core == y || outer > inner + inner / 8 + 4) ++loose;
    }
    return loose * 10 <= set.headings.size();
  }

  // Whether the heading's link stands outside it: an anchor around it, or one elsewhere in its
  // record and none in it. A LINK rule must take it then.
  bool link_outside(std::uint32_t heading, std::uint32_t record) const {
    const auto& nodes = page_.nodes();
    for (std::uint32_t n = nodes[heading].parent; n != 0 && n != nodes[record].parent; n = nodes[n].parent)
      if (page_.name_of(n) == "a") return true;
    if (record == heading || page_.name_of(heading) == "a") return false;
    for (std::uint32_t i = nodes[heading].first_event; i < nodes[heading].last_event; ++i) {
      const auto& e = page_.events()[i];
      if (e.kind == page_record::event_kind::start && page_.name_of(e.node) == "a") return false;
    }
    return !link_of(page_, heading, record).empty();
  }

  // A pattern for the anchors that hold the headlines' links, one in each record.
  std::optional<element_choice> record_anchor(const expected_set& set,
                                              const std::vector<std::uint32_t>& records) const {
    std::vector<std::uint32_t> anchors;
    for (size_t i = 0; i < set.headings.size(); ++i) {
      const auto& r = page_.nodes()[records[i]];
      for (std::uint32_t e = r.first_event; e < r.last_event; ++e) {
        const auto& ev = page_.events()[e];
        if (ev.kind != page_record::event_kind::start || page_.name_of(ev.node) != "a") continue;
        const auto href = page_.attribute(ev.node, "href");
        if (href && *href == set.links[i]) {
          anchors.push_back(ev.node);
          break;
        }
      }
    }
    if (anchors.size() != set.headings.size()) return std::nullopt;
    const auto patterns = patterns_for(page_, anchors);
    if (patterns.empty() || patterns.front().attribute.empty()) return std::nullopt;
    return patterns.front();
  }

  std::uint32_t block_of(const expected_set& set, std::uint32_t heading) const {
    for (std::uint32_t b : set.blocks)
      if (is_inside(page_, heading, b)) return b;
    return set.block;
  }

  // A second example of the same kind that the first one's list leaves out widens it.
  void widen_with_other_examples(expected_set& set, std::uint32_t heading) {
    for (size_t e = 1; e < request_.examples.size(); ++e) {
      for (const example_place& place : find_example(page_, request_.examples[e], 6)) {
        if (place.in_title) continue;
        for (std::uint32_t h : heading_elements(page_, place.element)) {
          if (page_.nodes()[h].name != page_.nodes()[heading].name) continue;
          if (std::find(set.headings.begin(), set.headings.end(), h) != set.headings.end()) break;
          expected_set more = headlines_like(page_, h);
          for (size_t i = 0; i < more.headings.size(); ++i) {
            if (std::find(set.headings.begin(), set.headings.end(), more.headings[i]) != set.headings.end()) continue;
            set.headings.push_back(more.headings[i]);
            set.texts.push_back(more.texts[i]);
            set.links.push_back(more.links[i]);
          }
          for (std::uint32_t b : more.blocks)
            if (std::find(set.blocks.begin(), set.blocks.end(), b) == set.blocks.end()) set.blocks.push_back(b);
          break;
        }
        break;
      }
    }
  }

  target target_of(const expected_set& set) const {
    target t;
    for (size_t i = 0; i < set.headings.size(); ++i) {
      t.links.push_back(set.links[i].empty() ? std::string()
                                             : join_url(request_.address, set.links[i]).value_or(std::string()));
      t.by_heading[fold_case(collapse_spaces(set.texts[i]))].push_back(i);
    }
    for (const std::string& e : request_.examples) t.examples.push_back(search_form(e));
    return t;
  }

  const page_record& page_;
  const suggest_request& request_;
  std::map<std::tuple<std::string, std::string, std::string, bool>, size_t> counted_;
};

}  // namespace

std::string page_title(const page_record& page) {
  const auto& nodes = page.nodes();
  for (std::uint32_t n = 1; n < nodes.size(); ++n) {
    if (page.name_of(n) != "title") continue;
    const std::string& parent = page.name_of(nodes[n].parent);
    if (nodes[n].parent == 0 || parent == "head" || parent == "channel" || parent == "feed") return page.text_of(n);
  }
  return {};
}

suggestion suggest_rules(const page_record& page, const suggest_request& request) {
  suggestion out;
  if (request.examples.empty()) {
    out.failure = {status_code::invalid, "no headline was given to go by"};
    return out;
  }
  for (const std::string& example : request.examples) {
    const auto places = find_example(page, example, 6);
    if (places.empty()) {
      out.failure = {status_code::not_found, "no text of the page holds \"" + printable_text(example) + "\""};
      out.closest = closest_texts(page, example, 3);
      return out;
    }
    if (std::all_of(places.begin(), places.end(), [](const example_place& p) { return p.in_title; })) {
      out.failure = {status_code::not_found,
                     "\"" + printable_text(example) + "\" is the page's title, not one of its headlines"};
      return out;
    }
  }
  suggester s(page, request);
  auto best = s.best();
  if (!best || !best->result.has_examples || best->items.empty()) {
    out.failure = {status_code::not_found,
                   "no rules found yield \"" + printable_text(request.examples.front()) + "\" as a headline"};
    return out;
  }
  out.failure = {};
  out.items = std::move(best->items);
  out.sections = section_text(best->rules);
  out.summary = summary_of(best->rules, out.items.size());
  std::string name = page_title(page);
  if (name.empty())
    name = url_site_part(request.address).empty() ? "New site" : std::string(url_site_part(request.address));
  out.parsedef =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- " +
      comment_text("Suggested from the headline \"" + printable_text(request.examples.front()) + "\": " + out.summary) +
      " -->\n<parsedef name=\"" + xml_escape(name) + "\" url=\"" + xml_escape(request.address) + "\" version=\"1\">\n" +
      out.sections + "</parsedef>\n";
  return out;
}

}  // namespace vantrel
