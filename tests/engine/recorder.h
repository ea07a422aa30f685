#pragma once
// A parse job owner that records everything a job hands over, for the engine tests.
#include <memory>
#include <string>
#include <vector>

#include "engine/parser.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::testing {

class named_picture : public picture {
 public:
  explicit named_picture(std::string name) : name(std::move(name)) {}
  std::string name;
};

struct recorder {
  std::vector<std::unique_ptr<headline_item>> items;
  std::vector<std::string> events;  // "start a", "attr href = x", "text News", "end a"
  std::vector<int> statuses;
  int pictures_freed = 0;
  bool logo_loads = true;
  int cancel_at = -1;  // status code whose first report answers -1

  parser_callbacks callbacks() {
    parser_callbacks cb;
    cb.owner = this;
    cb.add_item = [](void* o, std::unique_ptr<headline_item> item) { self(o)->items.push_back(std::move(item)); };
    cb.load_picture = [](void* o, const std::string&, const std::string& path) -> std::unique_ptr<picture> {
      if (!self(o)->logo_loads) return nullptr;
      return std::make_unique<named_picture>(path);
    };
    cb.copy_picture = [](void*, const picture& p) -> std::unique_ptr<picture> {
      return std::make_unique<named_picture>(static_cast<const named_picture&>(p).name);
    };
    cb.free_picture = [](void* o, std::unique_ptr<picture>) { ++self(o)->pictures_freed; };
    cb.tag_start = [](void* o, const char* n) { self(o)->events.push_back(std::string("start ") + n); };
    cb.tag_attribute = [](void* o, const char*, const char* n, const char* v) {
      self(o)->events.push_back(std::string("attr ") + n + " = " + v);
    };
    cb.tag_end = [](void* o, const char* n) { self(o)->events.push_back(std::string("end ") + n); };
    cb.tag_text = [](void* o, const char* t) { self(o)->events.push_back(std::string("text ") + t); };
    cb.status = [](void* o, int code, const char*) {
      recorder* r = self(o);
      r->statuses.push_back(code);
      if (code == r->cancel_at) {
        r->cancel_at = -1;
        return -1;
      }
      return 0;
    };
    return cb;
  }

  // "heading | subheading-or-(none) | link" per item.
  std::vector<std::string> summary() const {
    std::vector<std::string> out;
    for (const auto& i : items)
      out.push_back(i->heading + " | " + i->subheading.value_or("(none)") + " | " + i->link);
    return out;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("text ", 0) == 0) out.push_back(e.substr(5));
    return out;
  }

 private:
  static recorder* self(void* o) { return static_cast<recorder*>(o); }
};

// A parser with a ParseDef given as text, over pages given as text.
class page_run {
 public:
  // events false: no page-event callbacks, as the console tool and the queue run jobs.
  explicit page_run(const std::string& parsedef_xml = "", bool events = true)
      : p_(std::make_unique<parser>(without_events(rec.callbacks(), events))) {
    if (!parsedef_xml.empty()) {
      path_ = dir.write("site.xml", parsedef_xml);
      load_result = p_->load_parsedef(path_);
    }
  }
  static parser_callbacks without_events(parser_callbacks cb, bool events) {
    if (!events) cb.tag_start = nullptr, cb.tag_attribute = nullptr, cb.tag_end = nullptr, cb.tag_text = nullptr;
    return cb;
  }
  int run(const std::string& page) { return p_->parse_buffer(page.data(), page.size()); }
  parser& p() { return *p_; }
  void destroy() { p_.reset(); }

  temp_dir dir;
  recorder rec;
  int load_result = 0;

 private:
  std::string path_;
  std::unique_ptr<parser> p_;
};

// A ParseDef with one section holding the given rules.
inline std::string one_section(const std::string& rules, const std::string& section_attrs = "",
                               const std::string& root_attrs = "url='http://site.example/news/'") {
  return "<parsedef " + root_attrs + "><section " + section_attrs + ">" + rules + "</section></parsedef>";
}

}  // namespace vantrel::testing
