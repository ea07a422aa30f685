#include "common/parsedef_file.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <fstream>

#include "common/file_read.h"
#include "common/text_util.h"

namespace vantrel {

int is_package_name(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return 0;
  std::string_view ext = std::string_view(name).substr(dot + 1);
  return (!ext.empty() && iequals(ext, "nov")) ? 1 : 0;
}

namespace {

bool is_blank_text(const xmlNode* n) {
  if (n->type != XML_TEXT_NODE || n->content == nullptr) return false;
  for (const xmlChar* c = n->content; *c; ++c)
    if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') return false;
  return true;
}

// The rule walk takes the root's first child as the first section and a rule's children as
// its patterns, so text made only of white space (indentation, or a rule written
// "<start> </start>") must not stay in the tree. Comments stay; they act as nothing.
void drop_blank_text(xmlNode* parent) {
  xmlNode* n = parent->children;
  while (n != nullptr) {
    xmlNode* next = n->next;
    if (is_blank_text(n)) {
      xmlUnlinkNode(n);
      xmlFreeNode(n);
    } else if (n->type == XML_ELEMENT_NODE) {
      drop_blank_text(n);
    }
    n = next;
  }
}

// ParseDefs are small; anything past this is not one.
constexpr std::uintmax_t max_parsedef_bytes = 16u << 20;

}  // namespace

parsedef_file::~parsedef_file() { close(); }

void parsedef_file::close() { doc_.reset(); }

int parsedef_file::load(const std::string& path) {
  xml_library_init();
  last_error_.clear();
  std::string parse_path = path;
  if (is_package_name(path)) {
    if (package_.open_package(path) != 0) {
      last_error_ = package_.last_error();
      return -1;
    }
    parse_path = package_.xml_path().value_or(std::string());
    is_package_ = 1;
  } else {
    is_package_ = 0;
  }
  doc_.reset();

  auto read = read_whole_file(parse_path, max_parsedef_bytes);
  if (!read) {
    last_error_ = read.message();
    return -1;
  }
  const std::string text = std::move(*read);

  // Entities are substituted for this parse only (so attribute values read as written);
  // no network, no DTD, and the library's own message printing is off: the reason is kept.
  xml_parser_ctxt_ptr ctxt(xmlNewParserCtxt());
  if (!ctxt) {
    last_error_ = "out of memory";
    return -1;
  }
  const first_xml_error first;
  xml_doc_ptr doc(xmlCtxtReadMemory(
      ctxt.get(), text.data(), static_cast<int>(text.size()), parse_path.c_str(), nullptr,
      XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES));
  if (!doc || !ctxt->wellFormed) {
    last_error_ = first.text().empty() ? describe_xml_error(&ctxt->lastError) : first.text();
    return -1;
  }
  ctxt.reset();
  drop_blank_text(reinterpret_cast<xmlNode*>(doc.get()));
  doc_ = std::move(doc);

  size_t slash = parse_path.rfind('/');
  folder_ = slash == std::string::npos ? std::nullopt : std::optional<std::string>(parse_path.substr(0, slash + 1));
  xml_path_ = parse_path;
  return 0;
}

pd_node parsedef_file::root() const { return pd_node(doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr); }

std::optional<std::string> parsedef_file::root_attribute(const char* name) const {
  pd_node r = root();
  if (!r) return std::nullopt;
  return r.attribute(name);
}

std::optional<std::string> parsedef_file::get_url() const { return root_attribute("url"); }
std::optional<std::string> parsedef_file::get_name() const { return root_attribute("name"); }
std::optional<std::string> parsedef_file::get_charset() const { return root_attribute("charset"); }

std::optional<std::string> parsedef_file::get_user_agent() const { return root_attribute("useragent"); }

std::optional<std::string> parsedef_file::get_logo() const {
  auto logo = root_attribute("logo");
  if (!logo) return std::nullopt;
  return folder_.value_or(std::string()) + *logo;
}

int parsedef_file::get_version() const {
  auto v = root_attribute("version");
  return v ? leading_int(*v) : -1;
}

std::string parsedef_file::get_category() const { return root_attribute("category").value_or(""); }

}  // namespace vantrel
