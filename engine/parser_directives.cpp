// The parser's page directives (parser.h): what a page says about itself through its
// attributes: a meta refresh to another address, a meta character set, and, in the body of a
// "moved" reply, the anchor naming the new address.
#include <cstring>

#include "common/text_util.h"
#include "engine/parser.h"

namespace vantrel {

namespace {
constexpr int max_refresh_delay = 20;  // seconds; a slower refresh is a page reload, not a move

// Pages often quote the refresh address: url='next.html'.
std::string_view unquote(std::string_view s) {
  if (!s.empty() && (s.front() == '\'' || s.front() == '"')) {
    char q = s.front();
    s.remove_prefix(1);
    if (size_t end = s.find(q); end != std::string_view::npos) s = s.substr(0, end);
  }
  return s;
}
}  // namespace

// Returns true when the attribute set a redirect: the element's remaining attributes are then
// neither examined nor reported.
bool parser::apply_page_directives(std::string_view name, const char* value) {
  const bool is_meta = element_ == element_class::meta;
  bool& refresh_pending = refresh_pending_;
  if (is_meta) {
    // A refresh needs http-equiv="refresh" directly followed by its content attribute.
    if (!refresh_pending) {
      if (iequals(name, "http-equiv") && iequals(value, "refresh")) refresh_pending = true;
    } else {
      refresh_pending = false;
      if (name == "content") {
        std::string_view v(value);
        int delay = leading_int(v);
        size_t eq = v.find('=');
        if (eq != std::string_view::npos && delay <= max_refresh_delay) {
          std::string_view target = unquote(trim_spaces(v.substr(eq + 1)));
          if (target.empty() || target.front() != '/') {
            // A page-relative target is read against the page's own address, as links are.
            set_redirect(is_relative_url(target) ? join_url(walk_.base_url(), target).value_or(std::string(target))
                                                 : std::string(target));
            return true;
          }
          // A site path: keep the scheme and host of the ParseDef's address.
          if (auto site = get_url()) {
            set_redirect(join_url(*site, target).value_or(std::string(target)));
            return true;
          }
        }
      }
    }
    if (name == "content" && parsedef_encoding_ == 3) {
      std::string lowered = lower_ascii(value);
      size_t eq = lowered.find('=');
      if (lowered.find("charset") != std::string::npos && eq != std::string::npos)
        walk_.set_encoding(encoding_lookup(trim_spaces(std::string_view(lowered).substr(eq + 1))));
    }
  }
  const rule_kind state = walk_.state();
  if (element_ == element_class::anchor && iequals(name, "href") &&
      (http_status_ == 302 || (http_status_ == 301 && (state == rule_kind::end || state == rule_kind::start)))) {
    set_redirect(join_url(walk_.base_url(), value).value_or(value));
    return true;
  }
  return false;
}

}  // namespace vantrel
