#pragma once
// What the engine's tests read inside a parser: the walk's state and encoding, whether the page
// was XML, the base of links, the redirect a page asked for, the logo and the fetched page's
// temporary file.
#include "engine/parser.h"

namespace vantrel {

struct parser_test_access {
  static rule_kind state(const parser& p) { return p.walk_.state(); }
  static int encoding(const parser& p) { return p.walk_.encoding(); }
  static bool is_xml(const parser& p) { return p.is_xml_; }
  static const std::optional<std::string>& base_url(const parser& p) { return p.walk_.base_url(); }
  static const std::optional<std::string>& redirect_url(const parser& p) { return p.redirect_url_; }
  static const picture* logo(const parser& p) { return p.logo_.get(); }
  static const std::string& temp_fname(const parser& p) { return p.temp_fname_; }
};

}  // namespace vantrel
