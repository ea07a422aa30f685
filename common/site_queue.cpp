#include "common/site_queue.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <filesystem>

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

template <class T>
void read_number(const std::optional<std::string>& text, T& out) {
  if (!text) return;
  std::string_view v = trim_spaces(*text);
  T value{};
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec == std::errc() && end != v.data()) out = value;
}

}  // namespace

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
    xmlNode* node = xmlNewTextChild(root, nullptr, x(site_name), x(site->name.value_or("NULL").c_str()));
    if (node == nullptr) return -1;
    xmlSetProp(node, x("fname"), x(site->fname.value_or("NULL").c_str()));
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
  std::string why;
  if (!platform::replace_file(path, contents, &why)) {
    trace("site_queue::save: %s", why.c_str());
    return -1;
  }
  return static_cast<long>(contents.size());
}

int site_queue::load(const std::string& path) {
  sites_.clear();
  unreadable_.reset();
  std::string text, why;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  auto failed = [&](const std::string& reason) {
    sites_.clear();
    if (exists) unreadable_ = path;  // kept before anything is saved over it
    trace("load_queue: %s: %s", path.c_str(), reason.c_str());
    return -1;
  };
  if (!read_small_file(path, max_queue_bytes, text, why)) return failed(why);
  xml_parser_ctxt_ptr ctxt(xmlNewParserCtxt());
  if (!ctxt) return failed("out of memory");
  xml_doc_ptr doc(xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), path.c_str(), nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc || !ctxt->wellFormed) return failed(describe_xml_error(&ctxt->lastError));
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || !iequals(c(root->name), root_name)) return failed("not a site queue");
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
    sites_.push_back(std::move(site));
  }
  return 0;
}

queue_site* site_queue::find(const std::string& fname) {
  for (auto& site : sites_) {
    if (site->fname.value_or("NULL") == fname) return site.get();
  }
  for (auto& site : sites_) {
    if (iequals(site->fname.value_or("NULL"), fname)) return site.get();
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
