#pragma once
// Rules from an example: given a page and the text of one of its headlines (or two), a ParseDef
// whose rules yield that headline and all the others like it. The page's structure says which
// elements are "like it"; a few candidate rule sets are run over the page's events with the
// engine's own rule walk, and the one that yields those headlines best is kept. No toolkit:
// the console tool prints the result, VantEdit's Preview shows it.
#include <optional>
#include <string>
#include <vector>

#include "common/headline.h"
#include "engine/page_record.h"

namespace vantrel {

struct suggest_request {
  std::vector<std::string> examples;  // headlines as the user sees them on the page
  std::string address;                // the page's address: the ParseDef's url, the base of links
};

struct suggestion {
  // ok when rules were made. Why not: not_found for an example on no text of the page ("no
  // text of the page holds ...") or only in its title, or no rules that yield it; invalid
  // when no example was given. closest: the page's texts nearest to an example not found.
  status failure{status_code::not_found, "no rules were made"};
  bool found() const { return failure.ok(); }
  std::vector<std::string> closest;

  std::string parsedef;         // the ParseDef document, UTF-8 XML
  std::string sections;         // its <section> element alone, for an editor to put in
  std::vector<headline> items;  // what the rules yield on the page
  std::string summary;          // what the rules match, in one line
};

suggestion suggest_rules(const page_record& page, const suggest_request& request);

// The page's title as a ParseDef's name: the HTML <title>, or an RSS channel's or an Atom
// feed's title; "" when it has none.
std::string page_title(const page_record& page);

}  // namespace vantrel
