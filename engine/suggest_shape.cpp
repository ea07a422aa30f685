#include "engine/suggest_shape.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "common/case_fold.h"
#include "common/text_util.h"

namespace vantrel::suggest_detail {

namespace {

using node_id = std::uint32_t;
constexpr node_id document = 0;

bool is_named(const page_record& page, node_id node, std::string_view name) {
  return node != document && page.name_of(node) == name;
}

std::vector<std::string> words_of(std::string_view value) {
  std::vector<std::string> words;
  std::string word;
  for (char c : value) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      if (!word.empty()) words.push_back(lower_ascii(word));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(lower_ascii(word));
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

std::vector<std::string> class_words(const page_record& page, node_id node) {
  const auto value = page.attribute(node, "class");
  return value ? words_of(*value) : std::vector<std::string>();
}

// Its place among its parent's children of the same name.
size_t same_name_index(const page_record& page, node_id node) {
  const auto& siblings = page.nodes()[page.nodes()[node].parent].children;
  size_t index = 0;
  for (node_id s : siblings) {
    if (s == node) break;
    if (page.nodes()[s].name == page.nodes()[node].name) ++index;
  }
  return index;
}

bool is_cell(const page_record& page, node_id node) { return is_named(page, node, "td") || is_named(page, node, "th"); }

// Two elements alike: the same name, and a class word in common or both without a class.
bool similar(const page_record& page, node_id a, node_id b) {
  if (a == document || b == document) return a == b;
  if (page.nodes()[a].name != page.nodes()[b].name) return false;
  // Repeats mostly carry the same class: equal values have the same words, asked of every
  // element of a large page.
  const auto ca = page.attribute(a, "class"), cb = page.attribute(b, "class");
  if (ca.has_value() == cb.has_value() && (!ca || *ca == *cb)) return true;
  const auto wa = ca ? words_of(*ca) : std::vector<std::string>(), wb = cb ? words_of(*cb) : std::vector<std::string>();
  if (wa.empty() || wb.empty()) return wa.empty() && wb.empty();
  std::vector<std::string> common;
  std::set_intersection(wa.begin(), wa.end(), wb.begin(), wb.end(), std::back_inserter(common));
  return !common.empty();
}

// How many children of its parent share its name.
size_t namesakes(const page_record& page, node_id node) {
  const auto& siblings = page.nodes()[page.nodes()[node].parent].children;
  return static_cast<size_t>(std::count_if(siblings.begin(), siblings.end(),
                                           [&](node_id s) { return page.nodes()[s].name == page.nodes()[node].name; }));
}

// Alike over levels of ancestry: each level similar; an element among a few namesakes at the
// same place (the first link of an item is not its second, though every item of a list is an
// item), table cells in the same column.
bool alike(const page_record& page, node_id a, node_id b, int levels) {
  for (int level = 0; level < levels; ++level) {
    if (!similar(page, a, b)) return false;
    const bool placed = is_cell(page, a) || (level == 0 && namesakes(page, b) <= 3);
    if (placed && same_name_index(page, a) != same_name_index(page, b)) return false;
    a = page.nodes()[a].parent;
    b = page.nodes()[b].parent;
    if (a == document || b == document) return a == b || level + 1 == levels;
  }
  return true;
}

bool inside_code(const page_record& page, node_id node) {
  for (; node != document; node = page.nodes()[node].parent)
    if (is_named(page, node, "script") || is_named(page, node, "style")) return true;
  return false;
}

node_id common_ancestor(const page_record& page, node_id a, node_id b) {
  const auto& nodes = page.nodes();
  while (nodes[a].depth > nodes[b].depth) a = nodes[a].parent;
  while (nodes[b].depth > nodes[a].depth) b = nodes[b].parent;
  while (a != b) {
    a = nodes[a].parent;
    b = nodes[b].parent;
  }
  return a;
}

bool in_page_title(const page_record& page, node_id node) {
  for (node_id n = node; n != document; n = page.nodes()[n].parent) {
    if (is_named(page, n, "head")) return true;
    if (is_named(page, n, "title")) {
      const node_id parent = page.nodes()[n].parent;
      if (is_named(page, parent, "channel") || is_named(page, parent, "feed") || is_named(page, parent, "head"))
        return true;
    }
  }
  return false;
}

std::vector<std::string> words_of(const std::string& folded) {
  std::vector<std::string> words;
  std::string word;
  for (char c : folded) {
    if (c == ' ') {
      if (word.size() > 1) words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (word.size() > 1) words.push_back(word);
  return words;
}

// An attribute whose values say nothing of a headline's kind.
bool says_nothing(std::string_view name) {
  for (const char* n : {"href", "src", "alt", "title", "style", "width", "height", "onclick", "target", "rel"})
    if (iequals(name, n)) return true;
  return istarts_with(name, "xmlns");  // a namespace declaration, not the element's own
}

// A name the ParseDef document can hold as an element or attribute name.
bool is_xml_name(std::string_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
    if (!(letter || (i > 0 && ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':')))) return false;
  }
  return true;
}

}  // namespace

bool is_inside(const page_record& page, std::uint32_t node, std::uint32_t ancestor) {
  const auto& n = page.nodes()[node];
  const auto& a = page.nodes()[ancestor];
  return ancestor == document || (a.first_event < n.first_event && n.last_event < a.last_event);
}

std::uint32_t record_of(const page_record& page, std::uint32_t node, std::uint32_t block) {
  while (node != document && page.nodes()[node].parent != block) node = page.nodes()[node].parent;
  return node;
}

std::string search_form(std::string_view text) {
  // A no-break space reads as a space: the user types one.
  std::string spaced;
  spaced.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
      spaced.push_back(' ');
      ++i;
    } else {
      spaced.push_back(text[i]);
    }
  }
  return fold_case(collapse_spaces(spaced));
}

std::vector<example_place> find_example(const page_record& page, const std::string& example, size_t limit) {
  std::vector<example_place> places;
  const std::string needle = search_form(example);
  if (needle.empty()) return places;
  // The page's texts folded and joined with spaces, as a capture joins them, so an example
  // that runs over two elements ("<b>AT&T</b> and the board") is found whole.
  std::string text;
  std::vector<std::uint32_t> starts, events;
  const auto& all = page.events();
  for (std::uint32_t i = 0; i < all.size(); ++i) {
    if (all[i].kind != page_record::event_kind::text || !all[i].visible || inside_code(page, all[i].node)) continue;
    if (!text.empty()) text.push_back(' ');
    starts.push_back(static_cast<std::uint32_t>(text.size()));
    events.push_back(i);
    text.append(search_form(page.text(all[i])));
  }
  for (size_t at = text.find(needle); at != std::string::npos && places.size() < limit;
       at = text.find(needle, at + 1)) {
    auto first = std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1;
    auto last = std::upper_bound(starts.begin(), starts.end(), at + needle.size() - 1) - starts.begin() - 1;
    node_id element = all[events[static_cast<size_t>(first)]].node;
    for (auto i = first + 1; i <= last; ++i)
      element = common_ancestor(page, element, all[events[static_cast<size_t>(i)]].node);
    if (element == document) continue;
    if (!places.empty() && places.back().element == element) continue;
    places.push_back({element, in_page_title(page, element)});
  }
  return places;
}

std::vector<std::string> closest_texts(const page_record& page, const std::string& example, size_t count) {
  const std::vector<std::string> wanted = words_of(search_form(example));
  if (wanted.empty()) return {};
  struct scored {
    double score;
    std::string text;
  };
  std::vector<scored> best;
  std::set<std::string> seen;
  for (const auto& e : page.events()) {
    if (e.kind != page_record::event_kind::text || !e.visible || inside_code(page, e.node)) continue;
    const std::vector<std::string> words = words_of(search_form(page.text(e)));
    if (words.empty()) continue;
    size_t shared = 0;
    for (const std::string& w : wanted)
      if (std::find(words.begin(), words.end(), w) != words.end()) ++shared;
    if (shared == 0) continue;
    const double score = static_cast<double>(shared) / static_cast<double>(std::max(words.size(), wanted.size()));
    std::string shown = collapse_spaces(page.text(e));
    if (shown.size() > 80) shown = shown.substr(0, utf8_prefix_length(shown, 77)) + "...";
    if (!seen.insert(shown).second) continue;
    best.push_back({score, std::move(shown)});
  }
  std::stable_sort(best.begin(), best.end(), [](const scored& a, const scored& b) { return a.score > b.score; });
  std::vector<std::string> out;
  for (size_t i = 0; i < best.size() && i < count; ++i) out.push_back(std::move(best[i].text));
  return out;
}

std::vector<std::uint32_t> heading_elements(const page_record& page, std::uint32_t element) {
  std::vector<std::uint32_t> chain{element};
  const size_t length = page.text_length(element);
  for (node_id n = page.nodes()[element].parent; n != document; n = page.nodes()[n].parent) {
    if (is_named(page, n, "body") || is_named(page, n, "html")) break;
    // The same text, give or take a few characters of decoration.
    if (page.text_length(n) > length + length / 8 + 4) break;
    chain.push_back(n);
  }
  return chain;
}

std::string link_of(const page_record& page, std::uint32_t heading, std::uint32_t record) {
  const auto& nodes = page.nodes();
  if (page.is_xml()) {
    // A feed: the item's <link>, by its href (Atom) or its text (RSS).
    const node_id item = record != document ? record : nodes[heading].parent;
    std::string text_link;
    for (node_id child : nodes[item].children) {
      if (!is_named(page, child, "link")) continue;
      const auto rel = page.attribute(child, "rel");
      if (auto href = page.attribute(child, "href")) {
        if (!rel || iequals(*rel, "alternate")) return std::string(*href);
        continue;
      }
      if (text_link.empty()) text_link = page.text_of(child);
    }
    return text_link;
  }
  for (node_id n = heading; n != document && n != nodes[record].parent; n = nodes[n].parent)
    if (is_named(page, n, "a"))
      if (auto href = page.attribute(n, "href")) return std::string(*href);
  // An anchor within the heading, else the first after it in its record, else the last before it.
  const auto& events = page.events();
  const std::uint32_t end = record != document ? nodes[record].last_event : nodes[heading].last_event;
  for (std::uint32_t i = nodes[heading].first_event; i < end; ++i) {
    const auto& e = events[i];
    if (e.kind == page_record::event_kind::start && is_named(page, e.node, "a"))
      if (auto href = page.attribute(e.node, "href")) return std::string(*href);
  }
  if (record == document || record == heading) return {};
  for (std::uint32_t i = nodes[heading].first_event; i-- > nodes[record].first_event;) {
    const auto& e = events[i];
    if (e.kind == page_record::event_kind::start && is_named(page, e.node, "a"))
      if (auto href = page.attribute(e.node, "href")) return std::string(*href);
  }
  return {};
}

expected_set headlines_like(const page_record& page, std::uint32_t heading) {
  const auto& nodes = page.nodes();
  expected_set set;
  // Alike over three levels (an anchor, its cell, its row), or two when that leaves the
  // example alone.
  std::vector<node_id> items;
  for (int levels : {3, 2}) {
    items.clear();
    for (node_id n = 1; n < nodes.size(); ++n)
      if (nodes[n].name == nodes[heading].name && alike(page, n, heading, levels)) items.push_back(n);
    if (items.size() > 1) break;
  }
  // The list: the nearest element around the example that holds another one like it.
  set.block = nodes[heading].parent;
  if (items.size() > 1) {
    for (node_id b = nodes[heading].parent; b != document; b = nodes[b].parent) {
      const auto inside = std::count_if(items.begin(), items.end(), [&](node_id i) { return is_inside(page, i, b); });
      set.block = b;
      if (inside > 1) break;
    }
  }
  // Lists like it elsewhere on the page count too (each section's list of a front page).
  for (node_id n = 1; n < nodes.size(); ++n)
    if (nodes[n].name == nodes[set.block].name && alike(page, n, set.block, 2)) set.blocks.push_back(n);
  if (set.blocks.empty()) set.blocks.push_back(set.block);
  for (node_id i : items) {
    const bool listed =
        std::any_of(set.blocks.begin(), set.blocks.end(), [&](node_id b) { return is_inside(page, i, b); });
    if (!listed && i != heading) continue;
    // An item within another (a heading inside a heading) is one headline.
    if (!set.headings.empty() && is_inside(page, i, set.headings.back())) continue;
    const std::string text = page.text_of(i);
    if (text.empty()) continue;
    set.headings.push_back(i);
    set.texts.push_back(text);
    node_id block = set.block;
    for (node_id b : set.blocks)
      if (is_inside(page, i, b)) block = b;
    set.links.push_back(link_of(page, i, record_of(page, i, block)));
  }
  return set;
}

bool matches(const page_record& page, std::uint32_t node, const element_choice& choice, bool substring_mode) {
  if (node == document || !iequals(page.name_of(node), choice.name)) return false;
  if (choice.attribute.empty()) return true;
  const auto value = page.attribute(node, choice.attribute);
  if (!value) return false;
  // Both sides ignoring letter case, as the walk compares them.
  return substring_mode ? ifind(*value, choice.value) != std::string::npos : iequals(*value, choice.value);
}

size_t matches_on_page(const page_record& page, const element_choice& choice, bool substring_mode,
                       const std::vector<std::uint32_t>* among) {
  size_t count = 0;
  if (among != nullptr) {
    for (node_id n : *among) count += matches(page, n, choice, substring_mode) ? 1 : 0;
    return count;
  }
  // The name first, by its index: most elements are of other names.
  const std::string name = lower_ascii(choice.name);
  const auto& names = page.names();
  std::vector<char> named(names.size());
  for (size_t i = 0; i < names.size(); ++i) named[i] = names[i] == name;
  for (node_id n = 1; n < page.nodes().size(); ++n)
    if (named[page.nodes()[n].name]) count += matches(page, n, choice, substring_mode) ? 1 : 0;
  return count;
}

namespace {

// How many elements of the page each of choices (all of one name) matches, in one pass.
std::vector<size_t> counts_on_page(const page_record& page, const std::vector<element_choice>& choices) {
  std::vector<size_t> counts(choices.size());
  if (choices.empty()) return counts;
  const auto& names = page.names();
  const auto& nodes = page.nodes();
  const auto named = std::find(names.begin(), names.end(), lower_ascii(choices.front().name));
  if (named == names.end()) return counts;
  const auto name = static_cast<std::uint32_t>(named - names.begin());
  for (node_id n = 1; n < nodes.size(); ++n) {
    if (nodes[n].name != name) continue;
    for (size_t i = 0; i < choices.size(); ++i) counts[i] += matches(page, n, choices[i], choices[i].substring);
  }
  return counts;
}

}  // namespace

std::vector<element_choice> patterns_for(const page_record& page, const std::vector<std::uint32_t>& elements) {
  std::vector<element_choice> choices;
  for (auto& counted : counted_patterns_for(page, elements)) choices.push_back(std::move(counted.second));
  return choices;
}

std::vector<std::pair<size_t, element_choice>> counted_patterns_for(const page_record& page,
                                                                    const std::vector<std::uint32_t>& elements) {
  std::vector<element_choice> choices;
  if (elements.empty()) return {};
  const std::string& name = page.name_of(elements.front());
  if (!is_xml_name(name)) return {};
  choices.push_back({name, "", "", false});
  // An attribute value every one of them has.
  for (const auto& pair : page.attributes(elements.front())) {
    // Named copies: a lambda may not capture a structured binding on every compiler we build with.
    const auto& attr = pair.first;
    const auto& value = pair.second;
    if (says_nothing(attr) || !is_xml_name(attr) || value.empty()) continue;
    const bool shared = std::all_of(elements.begin(), elements.end(), [&](node_id n) {
      const auto v = page.attribute(n, attr);
      return v && iequals(*v, value);
    });
    if (shared) choices.push_back({name, std::string(attr), std::string(value), false});
  }
  // A class word every one of them has.
  const auto first_words = class_words(page, elements.front());
  for (const std::string& word : first_words) {
    const bool shared = std::all_of(elements.begin(), elements.end(), [&](node_id n) {
      const auto words = class_words(page, n);
      return std::find(words.begin(), words.end(), word) != words.end();
    });
    if (shared && !(first_words.size() == 1 && choices.size() > 1 && choices.back().attribute == "class"))
      choices.push_back({name, "class", word, true});
  }
  // Fewest elements matched besides them first; at a tie the one that says more (a page that
  // grows more elements of the name stays apart), a whole value before a class word.
  std::vector<std::pair<size_t, element_choice>> ranked;
  const std::vector<size_t> counts = counts_on_page(page, choices);
  for (size_t i = 0; i < choices.size(); ++i) ranked.emplace_back(counts[i], std::move(choices[i]));
  auto says = [](const element_choice& c) { return c.attribute.empty() ? 0 : c.substring ? 1 : 2; };
  std::stable_sort(ranked.begin(), ranked.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : says(a.second) > says(b.second);
  });
  return ranked;
}

std::optional<element_choice> distinct_ancestor(const page_record& page, const std::vector<std::uint32_t>& blocks) {
  std::vector<node_id> around(blocks.begin(), blocks.end());
  for (int level = 0; level < 5; ++level) {
    for (node_id& n : around) n = page.nodes()[n].parent;
    if (around.front() == document || is_named(page, around.front(), "body") || is_named(page, around.front(), "html"))
      break;
    std::vector<node_id> distinct = around;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (std::any_of(distinct.begin(), distinct.end(),
                    [&](node_id n) { return page.nodes()[n].name != page.nodes()[distinct.front()].name; }))
      break;
    // A pattern that matches these and nothing else on the page.
    for (auto& [count, c] : counted_patterns_for(page, distinct))
      if (count == distinct.size()) return std::move(c);
  }
  return std::nullopt;
}

std::optional<element_choice> preceding_marker(const page_record& page, const std::vector<std::uint32_t>& blocks) {
  for (size_t back = 1; back <= 3; ++back) {
    std::vector<node_id> before;
    for (node_id b : blocks) {
      const auto& siblings = page.nodes()[page.nodes()[b].parent].children;
      const auto at = static_cast<size_t>(std::find(siblings.begin(), siblings.end(), b) - siblings.begin());
      if (at < back) return std::nullopt;
      before.push_back(siblings[at - back]);
    }
    if (std::any_of(before.begin(), before.end(),
                    [&](node_id n) { return page.nodes()[n].name != page.nodes()[before.front()].name; }))
      return std::nullopt;
    for (auto& [count, c] : counted_patterns_for(page, before))
      if (count == before.size()) return std::move(c);
  }
  return std::nullopt;
}

namespace {

bool looks_like_address(std::string_view text) {
  return istarts_with(text, "http://") || istarts_with(text, "https://");
}

// Children of a feed's item that are no summary: its addresses, dates and the like.
bool is_feed_detail(std::string_view name) {
  for (const char* n : {"link", "id", "guid", "pubdate", "updated", "published", "date", "dc:date", "category",
                        "author", "comments", "enclosure", "source", "url"})
    if (iequals(name, n)) return true;
  return false;
}

}  // namespace

std::optional<element_choice> feed_link(const page_record& page, const std::vector<std::uint32_t>& records) {
  if (records.empty()) return std::nullopt;
  std::optional<std::string> name;
  for (node_id child : page.nodes()[records.front()].children) {
    if (is_named(page, child, "link")) return element_choice{page.name_of(child), "", "", false};
    if (!name && looks_like_address(page.text_of(child))) name = page.name_of(child);
  }
  if (name && is_xml_name(*name)) return element_choice{*name, "", "", false};
  return std::nullopt;
}

std::vector<element_choice> feed_summary(const page_record& page, const std::vector<std::uint32_t>& records,
                                         const std::vector<std::uint32_t>& headings) {
  if (records.empty() || headings.empty()) return {};
  std::optional<std::string> found;
  for (const char* wanted : {"description", "summary", "content", "abstract"}) {
    for (node_id child : page.nodes()[records.front()].children)
      if (is_named(page, child, wanted) && !found) found = page.name_of(child);
  }
  if (!found) {
    for (node_id child : page.nodes()[records.front()].children) {
      if (child == headings.front() || is_feed_detail(page.name_of(child))) continue;
      if (page.text_length(child) < 2 || looks_like_address(page.text_of(child))) continue;
      found = page.name_of(child);
      break;
    }
  }
  if (!found || !is_xml_name(*found)) return {};
  // Every record must have one, or items would pair with the next one's.
  size_t with = 0;
  for (node_id r : records)
    for (node_id child : page.nodes()[r].children)
      if (page.name_of(child) == *found) {
        ++with;
        break;
      }
  if (with != records.size()) return {};
  return {element_choice{*found, "", "", false}};
}

}  // namespace vantrel::suggest_detail
