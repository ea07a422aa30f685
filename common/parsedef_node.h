#pragma once
// A read-only view of one node of a loaded ParseDef tree: what the rule walk needs to read
// sections, rules and patterns without seeing the XML library. A view is valid while the
// parsedef_file that loaded the document keeps it.
#include <optional>
#include <string>
#include <string_view>

struct _xmlNode;
struct _xmlAttr;

namespace vantrel {

class pd_attr {
 public:
  pd_attr() = default;
  explicit pd_attr(const _xmlAttr* a) : a_(a) {}
  explicit operator bool() const { return a_ != nullptr; }
  std::string_view name() const;
  std::string value() const;  // "" for an attribute written empty
  pd_attr next() const;

 private:
  const _xmlAttr* a_ = nullptr;
};

class pd_node {
 public:
  pd_node() = default;
  explicit pd_node(const _xmlNode* n) : n_(n) {}
  explicit operator bool() const { return n_ != nullptr; }
  bool operator==(const pd_node&) const = default;

  bool is_element() const;
  // Text and CDATA nodes: the patterns of a rule that match page text.
  bool is_text() const;
  std::string_view name() const;  // element name; empty for other nodes
  std::string_view text() const;  // content of a text node; empty for other nodes
  long line() const;              // the line of the document it began on

  pd_node first_child() const;
  pd_node next_sibling() const;
  pd_attr first_attribute() const;
  // Value of the attribute with exactly this name, or nullopt.
  std::optional<std::string> attribute(const char* name) const;

 private:
  const _xmlNode* n_ = nullptr;
};

}  // namespace vantrel
