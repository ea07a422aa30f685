#pragma once
// A parse job owner that records everything a job hands over, for the engine tests.
#include <memory>
#include <string>
#include <vector>

#include "common/paths.h"
#include "engine/parser.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::testing {

class named_picture : public picture {
 public:
  explicit named_picture(std::string text) : name(std::move(text)) {}
  std::string name;
};

// Implements every callback of a job and keeps what it was given.
struct recorder : job_callbacks {
  std::vector<std::unique_ptr<headline_item>> items;
  std::vector<std::string> events;  // "start a", "attr href = x", "text News", "end a"
  std::vector<int> statuses;
  int pictures_freed = 0;
  bool logo_loads = true;
  bool page_events = true;
  int cancel_at = -1;  // status code whose first report answers -1

  void add_item(std::unique_ptr<headline_item> item) override { items.push_back(std::move(item)); }
  std::unique_ptr<picture> load_picture(const std::string&, const std::string& path) override {
    return logo_loads ? std::make_unique<named_picture>(path) : nullptr;
  }
  std::unique_ptr<picture> copy_picture(const picture& p) override {
    return std::make_unique<named_picture>(static_cast<const named_picture&>(p).name);
  }
  void free_picture(std::unique_ptr<picture>) override { ++pictures_freed; }
  bool wants_page_events() const override { return page_events; }
  void tag_start(const char* n) override { events.push_back(std::string("start ") + n); }
  void tag_attribute(const char*, const char* n, const char* v) override {
    events.push_back(std::string("attr ") + n + " = " + v);
  }
  void tag_end(const char* n) override { events.push_back(std::string("end ") + n); }
  void tag_text(const char* t) override { events.push_back(std::string("text ") + t); }
  int status(int code, const char*) override {
    statuses.push_back(code);
    if (code != cancel_at) return 0;
    cancel_at = -1;
    return -1;
  }

  // "heading | subheading-or-(none) | link" per item.
  std::vector<std::string> summary() const {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i->heading + " | " + i->subheading.value_or("(none)") + " | " + i->link);
    return out;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("text ", 0) == 0) out.push_back(e.substr(5));
    return out;
  }
};

// A parser with a ParseDef given as text, over pages given as text.
class page_run {
 public:
  // events false: no page-event callbacks, as the console tool and the queue run jobs.
  explicit page_run(const std::string& parsedef_xml = "", bool events = true) {
    rec.page_events = events;
    p_ = std::make_unique<parser>(&rec, tidewatch_folder);
    if (!parsedef_xml.empty()) {
      path_ = dir.write("site.xml", parsedef_xml);
      load_result = p_->load_parsedef(path_);
    }
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
