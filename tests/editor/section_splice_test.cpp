// Suggested rules put into documents of every shape: the root's attributes and whatever
// precedes it stay, its sections go.
#include "editor/section_splice.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

std::string applied(const std::string& document, const std::string& sections) {
  const auto s = sections_splice(document, sections);
  if (!s) return "(none: " + s.message() + ")";
  return document.substr(0, s->from) + s->text + document.substr(s->to);
}

TEST(SectionSplice, TheRootsContentGivesWayToTheNewSections) {
  const std::string sections = "  <section><start><ul/></start></section>\n";
  struct row {
    std::string document, want;
  } rows[] = {
      {"<?xml version=\"1.0\"?>\n<!-- note -->\n<parsedef name=\"A > B\" url='x'>\n  <section/>\n  <!-- old -->\n"
       "  <section><end/></section>\n</parsedef>\n",
       "<?xml version=\"1.0\"?>\n<!-- note -->\n<parsedef name=\"A > B\" url='x'>\n" + sections + "</parsedef>\n"},
      {"<PARSEDEF url=\"x\"/>", "<PARSEDEF url=\"x\">\n" + sections + "</PARSEDEF>"},
      {"<!DOCTYPE x><parsedef></parsedef>", "<!DOCTYPE x><parsedef>\n" + sections + "</parsedef>"},
      {"just text", "(none: the document has no root element to hold the rules)"},
      {"<parsedef name='cut short", "(none: the document has no root element to hold the rules)"},
  };
  for (const row& r : rows) EXPECT_EQ(applied(r.document, sections), r.want) << r.document;
}

}  // namespace
}  // namespace vantrel
