#include "common/parsedef_node.h"

#include <libxml/tree.h>

namespace vantrel {

namespace {
std::string_view view(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}
}  // namespace

std::string_view pd_attr::name() const { return view(a_->name); }

std::string pd_attr::value() const {
  xmlChar* v = xmlNodeListGetString(a_->doc, a_->children, 1);
  std::string out(view(v));
  xmlFree(v);
  return out;
}

pd_attr pd_attr::next() const { return pd_attr(a_->next); }

bool pd_node::is_element() const { return n_->type == XML_ELEMENT_NODE; }
bool pd_node::is_text() const { return n_->type == XML_TEXT_NODE || n_->type == XML_CDATA_SECTION_NODE; }
std::string_view pd_node::name() const { return is_element() ? view(n_->name) : std::string_view(); }
std::string_view pd_node::text() const { return is_text() ? view(n_->content) : std::string_view(); }
long pd_node::line() const { return xmlGetLineNo(n_); }
pd_node pd_node::first_child() const { return pd_node(n_->children); }
pd_node pd_node::next_sibling() const { return pd_node(n_->next); }
pd_attr pd_node::first_attribute() const { return pd_attr(is_element() ? n_->properties : nullptr); }

std::optional<std::string> pd_node::attribute(const char* name) const {
  if (!is_element()) return std::nullopt;
  xmlChar* v = xmlGetProp(n_, reinterpret_cast<const xmlChar*>(name));
  if (v == nullptr) return std::nullopt;
  std::string out(view(v));
  xmlFree(v);
  return out;
}

}  // namespace vantrel
