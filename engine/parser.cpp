#include "engine/parser.h"

#include <filesystem>
#include <system_error>

#include "common/text_util.h"

namespace vantrel {

parser::parser(const parser_callbacks& callbacks, page_fetcher* fetcher)
    : cb_(callbacks), fetcher_(fetcher) {}

parser::~parser() {
  if (!temp_fname_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temp_fname_, ec);
  }
  item_.reset();
  if (logo_ && cb_.free_picture) cb_.free_picture(cb_.owner, std::move(logo_));
  logo_.reset();
}

int parser::load_parsedef(const std::string& path) {
  if (parsedef_file::load(path) != 0) return -1;
  section_cache_.clear();
  root_ = root();
  has_text_patterns_ = false;
  for (pd_node section = root_ ? root_.first_child() : pd_node(); section; section = section.next_sibling())
    for (const auto& r : rules_of(section).rules) has_text_patterns_ = has_text_patterns_ || r.has_text_patterns;
  set_section(pd_node());
  if (auto logo_path = get_logo(); logo_path && cb_.load_picture) {
    if (logo_ && cb_.free_picture) cb_.free_picture(cb_.owner, std::move(logo_));
    logo_ = cb_.load_picture(cb_.owner, path, *logo_path);
  }
  if (auto url = get_url()) base_url_ = std::move(url);
  parsedef_encoding_ = 3;
  encoding_ = 0;
  parsedef_charset_ = get_charset();
  if (parsedef_charset_) {
    encoding_ = encoding_lookup(*parsedef_charset_);
    parsedef_encoding_ = encoding_;
  }
  return 0;
}

void parser::set_redirect(std::string_view address) {
  redirect_url_ = std::string(address);
  base_url_ = std::string(address);
}

int parser::set_field(int kind, const std::optional<std::string_view>& text) {
  if (!item_) item_ = std::make_unique<headline_item>();
  item_->encoding = encoding_;
  switch (kind) {
    case field_heading:
      if (item_->fields_set & field_heading) return 0;  // the first heading wins
      if (text) {
        item_->heading = std::string(*text);
        item_->fields_set |= field_heading;
      }
      break;
    case field_subheading:
      item_->subheading = text ? std::optional<std::string>(std::string(*text)) : std::nullopt;
      item_->fields_set |= field_subheading;
      break;
    case field_link:
      if (section_rules_ && section_rules_->linksearch_first && (item_->fields_set & field_link)) break;
      item_->link = text ? join_url(base_url_, *text).value_or(std::string()) : std::string();
      item_->fields_set |= field_link;
      break;
    default:
      break;
  }
  if ((item_->fields_set & all_fields) == all_fields) return complete_item();
  return 0;
}

int parser::complete_item() {
  std::unique_ptr<headline_item> done = std::move(item_);
  if (done->heading.empty() || done->link.empty()) return 0;  // dropped silently
  if (logo_ && cb_.copy_picture) done->logo = cb_.copy_picture(cb_.owner, *logo_);
  if (cb_.add_item) cb_.add_item(cb_.owner, std::move(done));
  return 1;
}

void parser::after_field(int& s) {
  if (section_has_skipto_ && (s == st_subhead || (s == st_headline && !section_has_subhead_)))
    s = st_skipto;
}

int parser::report(int code, const char* text) {
  return cb_.status ? cb_.status(cb_.owner, code, text) : 0;
}

}  // namespace vantrel
