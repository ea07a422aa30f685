#include "engine/parser.h"

#include <filesystem>
#include <system_error>

#include "common/text_util.h"

namespace vantrel {

namespace {
job_callbacks& callbacks_or_none(job_callbacks* cb) {
  static job_callbacks none;
  return cb ? *cb : none;
}
}  // namespace

parser::parser(job_callbacks* callbacks, std::string app, page_fetcher* fetcher, retrieval_progress* progress)
    : parsedef_file(std::move(app)),
      cb_(callbacks_or_none(callbacks)),
      fetcher_(fetcher),
      progress_(progress ? *progress : own_progress_),
      page_events_(cb_.wants_page_events()),
      walk_(*this, page_events_) {}

parser::~parser() {
  if (!temp_fname_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temp_fname_, ec);
  }
  if (logo_) cb_.free_picture(std::move(logo_));
}

int parser::load_parsedef(const std::string& path) {
  if (parsedef_file::load(path) != 0) return -1;
  parsedef_rules rules = read_parsedef_rules(root());
  report_ = rule_report::for_rules(rules);
  walk_.set_rules(std::move(rules));
  if (auto logo_path = get_logo()) {
    if (logo_) cb_.free_picture(std::move(logo_));
    logo_ = cb_.load_picture(path, *logo_path);
  }
  if (auto url = get_url()) walk_.set_base_url(std::move(url));
  parsedef_encoding_ = 3;
  walk_.set_encoding(0);
  parsedef_charset_ = get_charset();
  parsedef_user_agent_ = get_user_agent();
  if (parsedef_charset_) {
    walk_.set_encoding(encoding_lookup(*parsedef_charset_));
    parsedef_encoding_ = walk_.encoding();
  }
  return 0;
}

void parser::set_redirect(std::string_view address) {
  redirect_url_ = std::string(address);
  walk_.set_base_url(std::string(address));
}

void parser::element_started(const char* name) {
  if (page_events_) cb_.tag_start(name);
  element_ = iequals(name, "meta") ? element_class::meta
             : iequals(name, "a")  ? element_class::anchor
                                   : element_class::other;
  refresh_pending_ = false;
}

void parser::element_ended(const char* name) {
  if (page_events_) cb_.tag_end(name);
}

bool parser::attribute_seen(const char* element, const char* name, const char* value) {
  if (page_events_) cb_.tag_attribute(element, name, value);
  return apply_page_directives(name, value);
}

void parser::text_seen(const std::string& text) { cb_.tag_text(text.c_str()); }

void parser::rule_matched(int section, int rule, bool reported) {
  rule_tally& tally = report_.sections[static_cast<size_t>(section)].rules[static_cast<size_t>(rule)];
  ++tally.matches;
  if (reported && page_events_) cb_.rule_fired(section, tally.kind);
}

void parser::item_faulted(item_fault fault) { ++report_.faults[static_cast<size_t>(fault)]; }

void parser::item_completed(std::unique_ptr<headline_item> item) {
  ++report_.headlines;
  if (logo_) item->logo = cb_.copy_picture(*logo_);
  cb_.add_item(std::move(item));
}

int parser::report(int code, const char* text) { return cb_.status(code, text); }

}  // namespace vantrel
