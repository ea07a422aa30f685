// The editor's reading of tags and faults: the partner of the tag the caret is in, the line of
// a document's first fault, the lines of the rules a check found never matching.
#include "editor/xml_tags.h"

#include <gtest/gtest.h>

#include "common/desktop_apps.h"
#include "editor/document_faults.h"

namespace vantrel {
namespace {

TEST(XmlTags, ThePartnerOfTheTagTheCaretIsIn) {
  const std::string xml =
      "<?xml version='1.0'?>\n<a x='>'>\n  <b/>\n  <a>inner</a>\n  <!-- </a> -->\n  <![CDATA[</a>]]>\n</a>\n<c>";
  const auto at = [&](const std::string& needle, size_t nth = 0) {
    size_t pos = xml.find(needle);
    while (nth-- > 0) pos = xml.find(needle, pos + 1);
    return pos;
  };
  const size_t outer_open = at("<a x"), outer_close = at("</a>\n<c>");
  const size_t inner_open = at("<a>"), inner_close = at("</a>\n  <!--");
  struct {
    const char* where;
    size_t caret;
    std::optional<tag_pair> want;
  } cases[] = {
      {"on the outer start tag's name", outer_open + 1,
       tag_pair{{outer_open + 1, outer_open + 2}, {outer_close + 2, outer_close + 3}}},
      {"in its quoted attribute holding \">\"", at("'>'") + 1,
       tag_pair{{outer_open + 1, outer_open + 2}, {outer_close + 2, outer_close + 3}}},
      {"just after it", at("'>'") + 4, tag_pair{{outer_open + 1, outer_open + 2}, {outer_close + 2, outer_close + 3}}},
      {"on the outer end tag", outer_close + 3,
       tag_pair{{outer_open + 1, outer_open + 2}, {outer_close + 2, outer_close + 3}}},
      {"on the inner start tag", inner_open + 1,
       tag_pair{{inner_open + 1, inner_open + 2}, {inner_close + 2, inner_close + 3}}},
      {"on the inner end tag", inner_close,
       tag_pair{{inner_open + 1, inner_open + 2}, {inner_close + 2, inner_close + 3}}},
      {"in text", at("inner") + 2, std::nullopt},
      {"on an empty-element tag", at("<b/>") + 1, std::nullopt},
      {"in the declaration", 3, std::nullopt},
      {"on a tag left open", xml.size() - 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(matching_tags(xml, c.caret), c.want);
  }
  EXPECT_FALSE(matching_tags(xml, outer_open + 1, 20)) << "a partner further away than asked for";
}

TEST(DocumentFaults, TheLineOfTheFirstFaultAndOfRulesNeverMatched) {
  EXPECT_FALSE(first_fault("<parsedef>\n<section/>\n</parsedef>\n"));
  EXPECT_EQ(first_fault("<parsedef>\n  <section>\n    <start><div></start>\n  </section>\n</parsedef>\n"),
            (document_fault{3, "Opening and ending tag mismatch: div line 3 and start"}));
  EXPECT_EQ(first_fault("")->line, 1);

  const std::string doc =
      "<parsedef>\n"
      "  <section>\n"
      "    <start><div class='news'/></start>\n"
      "    <!-- a comment between rules -->\n"
      "    <headline><a/></headline>\n"
      "    <link><b/></link>\n"
      "  </section>\n"
      "  <section>\n"
      "    <start><aside/></start>\n"
      "    <headline><b/></headline>\n"
      "  </section>\n"
      "</parsedef>\n";
  rule_report report;
  report.sections.resize(2);
  report.sections[0].rules = {{rule_kind::start, "START <div class=\"news\">", 1},
                              {rule_kind::headline, "HEADLINE <a>", 4},
                              {rule_kind::link, "LINK <b>", 0}};
  report.sections[1].rules = {{rule_kind::start, "START <aside>", 0}, {rule_kind::headline, "HEADLINE <b>", 0}};
  EXPECT_EQ(unmatched_rules(doc, report),
            (std::vector<document_fault>{{6, "never matched: LINK <b>"}, {9, "never matched: START <aside>"}}))
      << "a section never entered names its start only";
  EXPECT_TRUE(unmatched_rules("<parsedef", report).empty());
}

TEST(DesktopApps, ExecLinesAsTheDesktopReadsThem) {
  const std::string file = "/tmp/my logo.bmp";
  struct {
    const char* exec;
    std::vector<std::string> want;
  } cases[] = {
      {"gimp %U", {"gimp", file}},
      {"\"/opt/My Paint/paint\" --new-window %f", {"/opt/My Paint/paint", "--new-window", file}},
      {"paint -i %i -c %c %k", {"paint", "-i", "-c", file}},
      {"viewer", {"viewer", file}},
      {"\"quote \\\"in\\\" name\" 100%% %F", {"quote \"in\" name", "100%", file}},
      {"\"unterminated", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(desktop_exec_arguments(c.exec, file), c.want) << c.exec;
}

}  // namespace
}  // namespace vantrel
