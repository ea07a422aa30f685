#pragma once
// The rule walk: every element start, element end and text of a page runs the rules of the
// current ParseDef section, moves the rule state and stores captured texts into the item
// under construction. Nothing is buffered or looked ahead. It is fed page events directly
// (by the page parser, or by tests) and hands what it sees and completes to its observer.
//
// One walk belongs to one parse job, on the worker thread.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <string_view>

#include "engine/headline_item.h"
#include "engine/page_parser.h"
#include "engine/parsedef_rules.h"

namespace vantrel {

// Ways an item goes wrong before it is complete.
enum class item_fault : int {
  heading_without_link,  // dropped holding a heading but no link
  link_without_heading,  // dropped holding a link but no heading
  incomplete,            // dropped holding only a subheading
  empty_field,           // all fields arrived but the heading or the link was empty
  heading_ignored,       // a second heading came while the item had one: the first is kept
  link_replaced,         // a second link came while the item had one: the second is kept
};
constexpr int item_fault_count = 6;

class walk_observer {
 public:
  virtual ~walk_observer() = default;
  // Page events, in document order, before the rules see them.
  virtual void element_started(const char* name) = 0;
  virtual void element_ended(const char* name) = 0;
  // Each attribute of an element start, until the first one without a value. True when the
  // attribute set a redirect: the element's remaining attributes are then not examined.
  virtual bool attribute_seen(const char* element, const char* name, const char* value) = 0;
  // A text with a visible character, white space collapsed. Only when the walk was made
  // with report_texts.
  virtual void text_seen(const std::string& text) = 0;
  // A complete item with a heading and a link.
  virtual void item_completed(std::unique_ptr<headline_item> item) = 0;

  // What a check of the rules wants to know; the walk's results do not depend on these.
  // A rule fired: the index of the section it belongs to and its index there. reported: the
  // event that fired it was reported just before (element_started, or text_seen).
  virtual void rule_matched(int section, int rule, bool reported) { (void)section, (void)rule, (void)reported; }
  // Something was lost from an item under construction.
  virtual void item_faulted(item_fault fault) { (void)fault; }
};

class rule_walk : public page_event_sink {
 public:
  // report_texts: whether the observer wants text_seen (collapsing texts costs time).
  rule_walk(walk_observer& observer, bool report_texts);

  void set_rules(parsedef_rules rules);
  // The rules, taken out: until they are set again the walk matches nothing (a page is still
  // walked, its events reported, but no rule fires and no item is made).
  parsedef_rules take_rules() {
    section_ = -1;
    return std::exchange(rules_, parsedef_rules());
  }
  // Before a page: state END, no capture, no item, no current section.
  void start_page();
  // After a page: an item still under construction is dropped (and reported).
  void end_page();

  // Address that links are joined with.
  void set_base_url(std::optional<std::string> url) { base_url_ = std::move(url); }
  const std::optional<std::string>& base_url() const { return base_url_; }
  // Encoding index stamped on items.
  void set_encoding(int encoding) { encoding_ = encoding; }
  int encoding() const { return encoding_; }

  rule_kind state() const { return state_; }

  void on_start_element(const char* name, const char* const* attrs) override;
  void on_end_element(const char* name) override;
  void on_characters(std::string_view text) override;

 private:
  const section_rules& current() const;
  void match_rules(std::string_view name, const char* const* attrs, const std::string* text);
  bool attribute_matches(const attribute_pattern& p, const char* const* attrs);
  // Stores a field into the item under construction; true when that completed a valid item.
  bool set_field(field_kind kind, const std::optional<std::string_view>& text);
  bool complete_item();
  void drop_item();
  void after_field();

  walk_observer& observer_;
  const bool report_texts_;
  parsedef_rules rules_;
  int section_ = -1;  // index of the current section, -1 for none

  rule_kind state_ = rule_kind::end;
  bool pending_subhead_ = false;  // a capture opened by a "*" text pattern
  std::optional<std::string> base_url_;
  int encoding_ = 0;
  std::optional<std::string> capture_tag_;
  std::optional<std::string> break_tag_;
  std::unique_ptr<headline_item> item_;
  bool section_has_subhead_ = false, section_has_link_ = false, section_has_skipto_ = false;
  std::optional<std::string> text_;
  bool event_reported_ = false;    // the event the rules are looking at was reported
  bool link_element_hit_ = false;  // a LINK rule's element pattern fired at this element start

  std::string collapsed_;  // reused for every text event
  std::string lowered_;    // reused for attribute comparisons
};

}  // namespace vantrel
