#pragma once
// What the suggester reads from a page's structure (suggest.h): where an example stands, which
// elements are like it, and the element patterns that could pick them out. Internal to the
// suggester.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/page_record.h"

namespace vantrel::suggest_detail {

// An element pattern of a rule: a name and at most one attribute.
struct element_choice {
  std::string name;
  std::string attribute, value;  // attribute "" for none
  bool substring = false;        // the value is a class word, matched as a substring
  bool operator==(const element_choice&) const = default;
};

// Where an example stands: the smallest element holding its text.
struct example_place {
  std::uint32_t element = 0;
  bool in_title = false;  // the page's own title (head, channel or feed)
};

// The headlines like the example, as the page's structure gives them.
struct expected_set {
  std::vector<std::uint32_t> headings;  // the elements whose text is each heading, in page order
  std::uint32_t block = 0;              // the element holding the example's list
  std::vector<std::uint32_t> blocks;    // every element like it (the lists like the example's)
  std::vector<std::string> texts;       // each heading as the rules would capture it
  std::vector<std::string> links;       // each link as the page gives it ("" when none)
};

// A text as examples are looked for in it: letter case folded, every run of spaces (a no-break
// space too) one space.
std::string search_form(std::string_view text);
// Every place an example's text stands (at most limit), in page order.
std::vector<example_place> find_example(const page_record& page, const std::string& example, size_t limit);
// The page's texts nearest to an example that stands nowhere, at most count.
std::vector<std::string> closest_texts(const page_record& page, const std::string& example, size_t count);

// The elements holding the same text as the example's, from it outwards (an anchor, then the
// heading around it).
std::vector<std::uint32_t> heading_elements(const page_record& page, std::uint32_t element);
// The headlines like the one at heading.
expected_set headlines_like(const page_record& page, std::uint32_t heading);

// Patterns that pick out the elements given, best first: the name alone, or with an attribute
// value or class word all of them share.
std::vector<element_choice> patterns_for(const page_record& page, const std::vector<std::uint32_t>& elements);
// The same, each with how many elements of the page it matches.
std::vector<std::pair<size_t, element_choice>> counted_patterns_for(const page_record& page,
                                                                    const std::vector<std::uint32_t>& elements);
// How many elements of the page a pattern matches (mode: the section's "substr" or not).
size_t matches_on_page(const page_record& page, const element_choice& choice, bool substring_mode,
                       const std::vector<std::uint32_t>* among = nullptr);
bool matches(const page_record& page, std::uint32_t node, const element_choice& choice, bool substring_mode);

// A heading's link as the page gives it: the anchor it is in or holds, else the first anchor
// after it within its record; an RSS <link>'s text or an Atom link's href for feeds.
std::string link_of(const page_record& page, std::uint32_t heading, std::uint32_t record);
// The child of block that holds node (node's record).
std::uint32_t record_of(const page_record& page, std::uint32_t node, std::uint32_t block);
// A pattern for the elements around the lists that matches nothing else on the page (<main>,
// <div id="content">, each section's box): where a block of headlines can start when the lists
// themselves are like others.
std::optional<element_choice> distinct_ancestor(const page_record& page, const std::vector<std::uint32_t>& blocks);
// The same for an element just before each list (its heading, "Latest").
std::optional<element_choice> preceding_marker(const page_record& page, const std::vector<std::uint32_t>& blocks);
// A feed's link element in its items (<link>, or whatever child holds an address), and its
// summary (description, summary, content, ...) when every item has one.
std::optional<element_choice> feed_link(const page_record& page, const std::vector<std::uint32_t>& records);
std::vector<element_choice> feed_summary(const page_record& page, const std::vector<std::uint32_t>& records,
                                         const std::vector<std::uint32_t>& headings);
bool is_inside(const page_record& page, std::uint32_t node, std::uint32_t ancestor);

}  // namespace vantrel::suggest_detail
