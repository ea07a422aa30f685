#include "common/site_queue.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "common/file_read.h"
#include "common/platform.h"
#include "common/text_util.h"
#include "common/trace_log.h"
#include "common/xml_support.h"

namespace vantrel {

namespace {

constexpr const char* root_name = "VANTREL_SITE_QUEUE";
constexpr const char* site_name = "SITE";
constexpr unsigned long long max_queue_bytes = 64ull << 20;

const xmlChar* x(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
const char* c(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

std::optional<std::string> attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, x(name));
  if (value == nullptr) return std::nullopt;
  std::string text(c(value));
  xmlFree(value);
  return text;
}

// A number attribute as C's text-to-number reads it: white space, sign, digits; text that is
// no number ("no", "") reads as 0, so enabled="no" is a disabled entry. Absent: unchanged.
void read_number(const std::optional<std::string>& text, long& out) {
  if (text) out = std::strtol(text->c_str(), nullptr, 10);
}
void read_number(const std::optional<std::string>& text, int& out) {
  if (text) out = leading_int(*text);
}

// The entries of a queue file's text; false with the reason when it is not one.
bool read_entries(const std::string& text, const std::string& path, std::vector<std::unique_ptr<queue_site>>& sites,
                  std::string& why) {
  xml_parser_ctxt_ptr ctxt(xmlNewParserCtxt());
  if (!ctxt) {
    why = "out of memory";
    return false;
  }
  xml_doc_ptr doc(xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), path.c_str(), nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc || !ctxt->wellFormed) {
    why = describe_xml_error(&ctxt->lastError);
    return false;
  }
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || !iequals(c(root->name), root_name)) {
    why = "not a site queue";
    return false;
  }
  for (xmlNode* node = root->children; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE || !iequals(c(node->name), site_name)) continue;
    auto site = std::make_unique<queue_site>();
    xmlChar* content = xmlNodeGetContent(node);
    if (content != nullptr) {
      if (*content != 0) site->name = std::string(c(content));
      xmlFree(content);
    }
    if (auto fname = attribute(node, "fname")) site->fname = fname;
    read_number(attribute(node, "refresh"), site->refresh);
    read_number(attribute(node, "last_refresh"), site->last_refresh);
    read_number(attribute(node, "enabled"), site->enabled);
    sites.push_back(std::move(site));
  }
  return true;
}

// An entry as the file keeps it: missing texts as missing_text, an empty name as none, the switch
// as 0 or 1.
std::tuple<std::string, std::string, long, long, int> stored_form(const queue_site& site) {
  const std::string name = site.name && !site.name->empty() ? *site.name : missing_text;
  return {queue_fname(site), name, site.refresh, site.last_refresh, site.enabled != 0 ? 1 : 0};
}

}  // namespace

std::optional<std::string> queue_name_problem(std::string_view fname) {
  if (!is_valid_utf8(fname)) return "Its name is not UTF-8 text";
  // Characters a queue file cannot hold and read back (XML 1.0 has no place for them).
  if (has_control_chars(fname) || fname.find("\xEF\xBF\xBE") != std::string_view::npos ||
      fname.find("\xEF\xBF\xBF") != std::string_view::npos) {
    return "Its name holds a control character";
  }
  return std::nullopt;
}

std::string queue_path(const std::string& parsedef_root) {
  if (!parsedef_root.empty() && parsedef_root.back() == '/') return parsedef_root + "queue.xml";
  return parsedef_root + "/queue.xml";
}

long site_queue::save(const std::string& path) {
  xml_doc_ptr doc(xmlNewDoc(x("1.0")));
  if (!doc) return -1;
  xmlNode* root = xmlNewDocNode(doc.get(), nullptr, x(root_name), nullptr);
  if (root == nullptr) return -1;
  xmlDocSetRootElement(doc.get(), root);
  for (const auto& site : sites_) {
    // As text content, so "&" and "<" in a name are escaped and read back unchanged.
    xmlNode* node = xmlNewTextChild(root, nullptr, x(site_name), x(site->name.value_or(missing_text).c_str()));
    if (node == nullptr) return -1;
    xmlSetProp(node, x("fname"), x(queue_fname(*site).c_str()));
    xmlSetProp(node, x("refresh"), x(std::to_string(site->refresh).c_str()));
    xmlSetProp(node, x("last_refresh"), x(std::to_string(site->last_refresh).c_str()));
    xmlSetProp(node, x("enabled"), x(site->enabled != 0 ? "1" : "0"));
  }
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc.get(), &text, &size, "UTF-8", 1);
  if (text == nullptr) return -1;
  const std::string contents(c(text), static_cast<size_t>(size));
  xmlFree(text);
  // What is written must read back as the same queue; else the old file stays.
  std::vector<std::unique_ptr<queue_site>> check;
  std::string why;
  if (!read_entries(contents, path, check, why) || check.size() != sites_.size()) {
    trace("site_queue::save: the queue would not read back: %s", why.c_str());
    return -1;
  }
  for (size_t i = 0; i < check.size(); ++i) {
    if (stored_form(*check[i]) != stored_form(*sites_[i])) {
      const std::string shown = printable_text(queue_fname(*sites_[i]));
      trace("site_queue::save: entry %zu (%s) would not read back", i + 1, shown.c_str());
      return -1;
    }
  }

  std::error_code ec;
  if (unreadable_ && *unreadable_ == path && std::filesystem::exists(path, ec)) {
    std::filesystem::rename(path, path + ".bak", ec);
    if (ec) {
      trace("site_queue::save: unable to keep %s as .bak: %s", path.c_str(), ec.message().c_str());
      return -1;
    }
    trace("site_queue::save: the unreadable queue file was kept as %s.bak", path.c_str());
  }
  unreadable_.reset();
  if (status written = platform::replace_file(path, contents); !written.ok()) {
    trace("site_queue::save: %s", written.message().c_str());
    return -1;
  }
  return static_cast<long>(contents.size());
}

int site_queue::load(const std::string& path) {
  sites_.clear();
  unreadable_.reset();
  std::string why;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  auto text = read_whole_file(path, max_queue_bytes);
  if (!text) why = text.message();
  if (!text || !read_entries(*text, path, sites_, why)) {
    sites_.clear();
    if (exists) unreadable_ = path;  // kept before anything is saved over it
    trace("load_queue: %s: %s", path.c_str(), why.c_str());
    return -1;
  }
  return 0;
}

queue_site* site_queue::find(const std::string& fname) {
  for (auto& site : sites_) {
    if (queue_fname(*site) == fname) return site.get();
  }
  for (auto& site : sites_) {
    if (iequals(queue_fname(*site), fname)) return site.get();
  }
  return nullptr;
}

int site_queue::remove(const std::string& fname) {
  queue_site* site = find(fname);
  if (site == nullptr) return -1;
  for (size_t i = 0; i < sites_.size(); ++i) {
    if (sites_[i].get() == site) {
      sites_.erase(sites_.begin() + static_cast<long>(i));
      break;
    }
  }
  return 0;
}

void site_queue::remove_index(size_t index) {
  if (index < sites_.size()) sites_.erase(sites_.begin() + static_cast<long>(index));
}

bool site_queue::move(size_t index, int step) {
  if (index >= sites_.size()) return false;
  const long target = static_cast<long>(index) + step;
  if (target < 0 || target >= static_cast<long>(sites_.size())) return false;
  std::swap(sites_[index], sites_[static_cast<size_t>(target)]);
  return true;
}

}  // namespace vantrel
