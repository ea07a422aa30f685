#pragma once
// A page read once and kept as its parse events and the tree of its elements: what rules are
// suggested from. The events are exactly those a parse job's rules see (the same HTML or XML
// decision, the same encoding, raw texts), kept compactly, so candidate rules can be run over
// them again and again without parsing the page anew.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/status.h"
#include "engine/page_parser.h"

namespace vantrel {

class page_fetcher;

class page_record {
 public:
  enum class event_kind : std::uint8_t { start, end, text };
  struct event {
    event_kind kind;
    std::uint32_t name = 0;   // start, end: the element's name (index into names()); text: its node
    std::uint32_t node = 0;   // start, end: the element's node
    std::uint32_t text = 0;   // text: where its text begins in the store; start: its first attribute
    std::uint32_t count = 0;  // text: its length; start: its number of attributes
    bool visible = false;     // text: it has a visible character
  };
  struct stored_attribute {
    std::uint32_t name = 0, value = 0;                // where each begins in the store; value no_value for none
    std::uint32_t name_length = 0, value_length = 0;  // kept: the rules ask for attributes often
  };
  static constexpr std::uint32_t no_value = 0xFFFFFFFF;
  struct element {
    std::uint32_t name = 0;  // index into names(), in small letters
    std::uint32_t parent = 0;
    std::uint32_t first_event = 0, last_event = 0;  // its start and its end
    std::uint32_t depth = 0;
    std::uint32_t first_attribute = 0, attribute_count = 0;  // its attributes, without going by its event
    std::vector<std::uint32_t> children;                     // element children, in order
  };

  // Reads the page as a parse job would (no ParseDef). A failure when it cannot be parsed: XML
  // that is not well-formed, a page beyond max_page_bytes.
  static result<page_record> read(std::string_view page);
  // Fetches the page at address as a parse job would (redirects followed: the last page is
  // kept), into the private folder of the program named app. stop: asked now and then; true
  // ends the fetch (the status is then stopped).
  static result<page_record> fetch(const std::string& address, page_fetcher& fetcher, const std::string& app,
                                   const std::function<bool()>& stop);
  // The page saved at saved_page when there is one, else the one at address: what the console
  // tool and the Preview make rules from. The failure names the file or the address.
  static result<page_record> load(const std::optional<std::string>& saved_page, const std::string& address,
                                  page_fetcher& fetcher, const std::string& app, const std::function<bool()>& stop);

  const std::vector<event>& events() const { return events_; }
  const std::vector<element>& nodes() const { return nodes_; }  // node 0 is the document itself
  const std::vector<std::string>& names() const { return names_; }
  bool is_xml() const { return is_xml_; }

  // A text event's text as the page gives it (white space not collapsed).
  std::string_view text(const event& e) const { return {store_.data() + e.text, e.count}; }
  // An element's attributes up to the first without a value (the rules look no further).
  std::vector<std::pair<std::string_view, std::string_view>> attributes(std::uint32_t node) const;
  std::optional<std::string_view> attribute(std::uint32_t node, std::string_view name) const;
  const std::string& name_of(std::uint32_t node) const { return names_[nodes_[node].name]; }
  // Every visible text inside the element, collapsed and joined with single spaces: what a
  // capture of it collects.
  std::string text_of(std::uint32_t node) const;
  // Its length without building it.
  size_t text_length(std::uint32_t node) const;

  // Runs the page's events into sink again, in order.
  void replay(page_event_sink& sink) const;

 private:
  friend class page_recorder;
  std::uint32_t intern(std::string_view name);
  std::uint32_t keep(std::string_view bytes);  // into the store, followed by a zero byte

  std::vector<event> events_;
  std::vector<stored_attribute> attributes_;
  std::vector<element> nodes_;
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::uint32_t> name_index_;
  std::string store_;
  bool is_xml_ = false;
};

}  // namespace vantrel
