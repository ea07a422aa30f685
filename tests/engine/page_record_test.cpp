// The page as the suggester keeps it: replayed, it gives the rules exactly the events a job's
// parse gives them; its tree, attributes and texts answer as the rules would see them.
#include "engine/page_record.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "engine/parser.h"

namespace vantrel {
namespace {

// Every event as one line, attributes without a value marked.
struct event_lines : page_event_sink {
  std::vector<std::string> lines;
  void on_start_element(const char* name, const char* const* attrs) override {
    std::string line = std::string("<") + name;
    for (size_t i = 0; attrs != nullptr && attrs[i] != nullptr; i += 2)
      line += std::string(" ") + attrs[i] + "=" + (attrs[i + 1] != nullptr ? attrs[i + 1] : "(none)");
    lines.push_back(line);
  }
  void on_end_element(const char* name) override { lines.push_back(std::string("</") + name); }
  void on_characters(std::string_view text) override { lines.push_back("text " + std::string(text)); }
};

TEST(PageRecord, ReplayGivesTheEventsOfAJobsParse) {
  const std::string pages[] = {
      "<html><body><P Class=a>One &amp; <b>two</b><input disabled name=q><br></p><ul><li>x<li>y</ul>"
      "<script>if (a < b) {}</script></body></html>",
      "<?xml version='1.0' encoding='ISO-8859-1'?><rss xmlns:dc='http://purl.org/dc/elements/1.1/'><channel>"
      "<item><Title>Caf\xe9</Title><dc:creator>me</dc:creator><![CDATA[<raw>]]></item></channel></rss>",
      "<html><body><div><span>not closed",
  };
  for (const std::string& page : pages) {
    event_lines direct;
    parser job(nullptr, tidewatch_folder);
    job.set_page_tap(&direct);
    ASSERT_EQ(job.parse_buffer(page.data(), page.size()), 0) << page;
    const auto record = page_record::read(page);
    ASSERT_TRUE(record) << record.message();
    event_lines replayed;
    record->replay(replayed);
    EXPECT_EQ(replayed.lines, direct.lines) << page;
    EXPECT_FALSE(direct.lines.empty());
  }
}

TEST(PageRecord, TreeAttributesAndTextsAsTheRulesSeeThem) {
  const auto record = page_record::read(
      "<html><body><DIV ID=main Class='a  b'><a href='/x' DISABLED title=t>  Ferry\n returns </a>"
      "<p>to the <i>island</i></p><span>  </span></DIV></body></html>");
  ASSERT_TRUE(record) << record.message();
  std::uint32_t div = 0, a = 0;
  for (std::uint32_t n = 1; n < record->nodes().size(); ++n) {
    if (record->name_of(n) == "div") div = n;
    if (record->name_of(n) == "a") a = n;
  }
  ASSERT_NE(div, 0u);
  ASSERT_NE(a, 0u);
  EXPECT_EQ(record->nodes()[a].parent, div);
  EXPECT_EQ(record->nodes()[div].children.size(), 3u);
  EXPECT_EQ(record->attribute(div, "class").value_or("?"), "a  b");
  EXPECT_EQ(record->attribute(div, "CLASS").value_or("?"), "a  b") << "names in any case";
  EXPECT_EQ(record->attribute(a, "href").value_or("?"), "/x");
  EXPECT_FALSE(record->attribute(a, "title")) << "the rules look no further than an attribute without a value";
  EXPECT_EQ(record->attributes(a).size(), 1u);
  EXPECT_FALSE(record->attribute(0, "class")) << "the document has none";
  EXPECT_EQ(record->text_of(div), "Ferry returns to the island") << "visible texts, collapsed, one space between";
  EXPECT_GE(record->text_length(div), record->text_of(div).size());
  EXPECT_FALSE(record->is_xml());
}

TEST(PageRecord, PagesItCannotReadSayWhy) {
  const auto broken = page_record::read("<?xml version='1.0'?><rss><channel><item></channel></rss>");
  ASSERT_FALSE(broken);
  EXPECT_EQ(broken.error().code(), status_code::invalid);
  EXPECT_NE(broken.message(), "");
  const auto xml = page_record::read("<?xml version='1.0'?><feed><entry/></feed>");
  ASSERT_TRUE(xml);
  EXPECT_TRUE(xml->is_xml());
}

}  // namespace
}  // namespace vantrel
