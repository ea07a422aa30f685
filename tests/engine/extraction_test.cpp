// The rule walk, driven by small ParseDefs and pages.
#include <gtest/gtest.h>

#include "tests/engine/parser_test_access.h"
#include "tests/engine/recorder.h"

namespace vantrel {
namespace {

using testing::one_section;
using testing::page_run;
using V = std::vector<std::string>;

const std::string rdf_rules =
    "<start><item/></start><headline><title/></headline><subhead><description/></subhead><link><link/></link>";

TEST(Extraction, FeedItemsBecomeHeadlines) {
  page_run r(one_section(rdf_rules));
  ASSERT_EQ(r.load_result, 0);
  EXPECT_EQ(r.run("<?xml version='1.0'?><rdf><channel><title>Channel</title></channel>"
                  "<item><title>One</title><link>http://a.example/1</link><description>D1</description></item>"
                  "<item><title>Two</title><link>http://a.example/2</link><description>D2</description></item></rdf>"),
            0);
  EXPECT_EQ(r.rec.summary(), (V{"One | D1 | http://a.example/1", "Two | D2 | http://a.example/2"}));
  EXPECT_EQ(parser_test_access::state(r.p()), rule_kind::start);  // back to START after each item
}

TEST(Extraction, AnItemWithoutDescriptionMergesWithTheNext) {
  page_run r(one_section(rdf_rules));
  r.run(
      "<?xml version='1.0'?><rdf>"
      "<item><title>One</title><link>http://a.example/1</link></item>"
      "<item><title>Two</title><link>http://a.example/2</link><description>D2</description></item></rdf>");
  // The first heading wins, the later link and description complete it.
  EXPECT_EQ(r.rec.summary(), (V{"One | D2 | http://a.example/2"}));
}

TEST(Extraction, AnchorHeadlinesTakeTheirHrefAsLink) {
  page_run r(one_section("<start><div class='list'/></start><headline><a class='h'/></headline>"));
  r.run(
      "<html><body><div class='list'><a class='h' href='/x1'>First</a> between "
      "<a class='h' href='x2.html'>Second</a></div></body></html>");
  // The state stays HEADLINE after each anchor, so text between anchors joins the next heading.
  EXPECT_EQ(r.rec.summary(), (V{"First | (none) | http://site.example/x1",
                                "between Second | (none) | http://site.example/news/x2.html"}));
}

TEST(Extraction, LinkSearchFirstKeepsTheHref) {
  const std::string rules = "<start><div/></start><headline><h2/></headline><link><a/></link><subhead><p/></subhead>";
  const std::string page = "<html><body><div><h2>Head</h2><a href='/story'>more</a><p>Sub</p></div></body></html>";
  page_run last(one_section(rules));
  last.run(page);
  EXPECT_EQ(last.rec.summary(), (V{"Head | Sub | http://site.example/news/more"}));  // anchor text replaced it
  page_run first(one_section(rules, "linksearch='FIRST'"));
  first.run(page);
  EXPECT_EQ(first.rec.summary(), (V{"Head | Sub | http://site.example/story"}));
}

TEST(Extraction, TextPatternsStartBlocksAndStarIsLiteralThere) {
  const std::string page = "<html><body><p>Top stories today</p><a href='/1'>One</a></body></html>";
  page_run text(one_section("<start>Top stories</start><headline><a/></headline>"));
  text.run(page);
  EXPECT_EQ(text.rec.summary(), (V{"One | (none) | http://site.example/1"}));

  page_run star(one_section("<start>*</start><headline><a/></headline>"));
  star.run(page);
  EXPECT_TRUE(star.rec.items.empty());
  star.run("<html><body><p>*** Top</p><a href='/1'>One</a></body></html>");
  EXPECT_EQ(star.rec.items.size(), 1u);
}

TEST(Extraction, ALineBreakThenAnElementEndsTheCapture) {
  page_run r(one_section("<start><div/></start><headline><span class='h'/></headline><link><a/></link>"));
  r.run(
      "<html><body><div><span class='h'>Line one<br>line two<b>bold</b></span>"
      "<a href='/l'>x</a></div></body></html>");
  EXPECT_EQ(r.rec.summary(), (V{"Line one line two | (none) | http://site.example/l"}));
  // The element after the break is reported as ended once more; the break's own end is not.
  auto& e = r.rec.events;
  auto first_b = std::find(e.begin(), e.end(), "end b");
  ASSERT_NE(first_b, e.end());
  EXPECT_EQ(*(first_b + 1), "start b");
  EXPECT_EQ(std::count(e.begin(), e.end(), "end br"), 0);
}

struct attribute_case {
  const char* match;    // section's match attribute
  const char* pattern;  // element pattern of the START rule
  const char* element;  // page element
  bool fires;
};

TEST(Extraction, AttributePatterns) {
  const attribute_case cases[] = {
      {"", "<a class='story'/>", "<a class='STORY'>", true},  // whole value, any case
      {"", "<a class='story'/>", "<a class='story big'>", false},
      {"", "<A CLASS='story'/>", "<a class='story'>", true},  // names in any case
      {"", "<a class=''/>", "<a class='anything'>", true},    // empty: any value
      {"", "<a class=''/>", "<a id='x'>", false},
      {"", "<a/>", "<a href='x'>", true},
      {"", "<a class='nomatch' id='x'/>", "<a id='x'>", true},  // the last attribute decides
      {"", "<a id='x' class='nomatch'/>", "<a id='x'>", false},
      {"", "<a class='h'/>", "<a hidden class='h'>", false},  // a bare attribute ends the scan
      {"", "<a class='h'/>", "<a class='*'>", true},          // a page value "*" matches
      {"regexp", "<a class='STORY-*'/>", "<a class='story-12'>", true},
      {"regexp", "<a class='story-?'/>", "<a class='story-12'>", false},
      {"REGEXP", "<a class='[a-c]x'/>", "<a class='Bx'>", true},
      {"substr", "<a class='LEAD'/>", "<a class='headline lead big'>", true},
      {"substr", "<a class='lead'/>", "<a class='headline'>", false},
      {"other", "<a class='lead'/>", "<a class='headline lead'>", false},
  };
  for (const attribute_case& c : cases) {
    std::string section_attrs = *c.match ? std::string("match='") + c.match + "'" : "";
    page_run r(one_section(std::string("<start>") + c.pattern + "</start>", section_attrs));
    ASSERT_EQ(r.load_result, 0) << c.pattern;
    r.run(std::string("<html><body>") + c.element + "</a></body></html>");
    EXPECT_EQ(parser_test_access::state(r.p()) == rule_kind::start, c.fires)
        << c.match << " " << c.pattern << " on " << c.element;
  }
}

TEST(Extraction, StarSubheadTakesTheTextAfterTheHeading) {
  page_run r(one_section("<start><div/></start><headline><a/></headline><subhead>*</subhead>"));
  r.run("<html><body><div><a href='/1'>Head</a> the sub text <i>x</i><a href='/2'>Next</a></div></body></html>");
  // The capture runs until an element start changes the state: the next headline.
  EXPECT_EQ(r.rec.summary(), (V{"Head | the sub text x | http://site.example/1"}));
}

TEST(Extraction, SkiptoSkipsUntilItsPattern) {
  page_run r(one_section("<start><div/></start><headline><a/></headline><skipto><hr/></skipto>"));
  r.run("<html><body><div><a href='/1'>One</a><a href='/ad'>Ad</a><hr><a href='/2'>Two</a></div></body></html>");
  EXPECT_EQ(r.rec.summary(), (V{"One | (none) | http://site.example/1", "Two | (none) | http://site.example/2"}));
}

TEST(Extraction, EndMovesToTheNextSectionAndPastTheLastBackToTheFirst) {
  page_run r(
      "<parsedef url='http://s.example/'>"
      "<section><start><div class='s1'/></start><headline><a/></headline><end><hr/></end></section>"
      "<section><start><p/></start><headline><b/></headline><end><hr/></end></section></parsedef>");
  r.run(
      "<html><body><div class='s1'><a href='/1'>A1</a><b>not yet</b></div><hr>"
      "<p><a href='/x'>ignored</a><b>B1</b><a href='/y'>link</a></p><hr>"
      "<div class='s1'><a href='/3'>A3</a></div></body></html>");
  // Section two has no anchor rule: an anchor lends its href only to a heading being captured.
  EXPECT_EQ(r.rec.summary(), (V{"A1 | (none) | http://s.example/1", "B1 | (none) | http://s.example/y",
                                "A3 | (none) | http://s.example/3"}));
}

TEST(Extraction, CommentsAroundSectionsAreNotSections) {
  page_run r(
      "<parsedef url='http://s.example/'><!-- sites --><section><start><div/></start>"
      "<headline><a/></headline><end><p/></end></section><!-- the second -->"
      "<section><start><ul/></start><headline><b/></headline></section></parsedef>");
  r.run("<html><body><div><a href='/1'>A1</a></div><p/><ul><b>B1</b><a href='/2'>x</a></ul></body></html>");
  EXPECT_EQ(r.rec.summary(), (V{"A1 | (none) | http://s.example/1", "B1 | (none) | http://s.example/2"}));
}

TEST(Extraction, ElementPatternsOnlyMatchElements) {
  // A text pattern must not be taken for an element named "text".
  page_run r(one_section("<start>Zebra</start>"));
  r.run("<?xml version='1.0'?><feed><text>hello</text><comment>x</comment></feed>");
  EXPECT_EQ(parser_test_access::state(r.p()), rule_kind::end);
}

TEST(Extraction, IncompleteOrEmptyItemsAreNeverHandedOver) {
  page_run r(one_section("<start><div/></start><headline><a/></headline>"));
  r.run(
      "<html><body><div><a href='/1'>   </a><a href='&#9;&#10;'>No link</a>"
      "<a href='/ok'>Fine</a></div></body></html>");
  EXPECT_EQ(r.rec.summary(), (V{"Fine | (none) | http://site.example/ok"}));
}

TEST(Extraction, VisibleTextBeforeAnyBlockDropsAnOpenItem) {
  page_run r(one_section(rdf_rules + "<end><stop/></end>"));
  r.run(
      "<?xml version='1.0'?><rdf><item><title>One</title><stop/></item>text<item><link>http://a/1</link>"
      "<description>D</description></item></rdf>");
  EXPECT_TRUE(r.rec.items.empty());  // "One" was dropped by the text in state END
}

TEST(Extraction, TheSameItemsWithoutPageEventCallbacks) {
  // Jobs that nobody watches take shortcuts over texts; the results must not change.
  struct row {
    std::string rules, page;
  };
  const row cases[] = {
      {rdf_rules + "<end><stop/></end>",
       "<?xml version='1.0'?><rdf><item><title>One</title><stop/></item>text<item><link>http://a/1</link>"
       "<description>D</description></item><item><title>T</title><link>http://a/2</link><description>D2"
       "</description></item></rdf>"},
      {"<start><div class='list'/></start><headline><a class='h'/></headline>",
       "<html><body><div class='list'><a class='h' href='/x1'>First</a> between \n <a class='h' href='x2.html'>"
       "Second</a></div></body></html>"},
      {"<start><div/></start><headline><a/></headline><subhead>*</subhead>",
       "<html><body><div><a href='/1'>Head</a> the sub text <i>x</i><a href='/2'>Next</a></div></body></html>"},
      {"<start><div/></start><headline><a/></headline><skipto><hr/></skipto>",
       "<html><body><div><a href='/1'>One</a> noise <a href='/ad'>Ad</a><hr><a href='/2'>Two</a></div></body></html>"},
  };
  for (const row& c : cases) {
    page_run watched(one_section(c.rules)), unwatched(one_section(c.rules), false);
    watched.run(c.page);
    unwatched.run(c.page);
    EXPECT_FALSE(watched.rec.items.empty()) << c.page;
    EXPECT_EQ(unwatched.rec.summary(), watched.rec.summary()) << c.page;
    EXPECT_TRUE(unwatched.rec.events.empty());
  }
}

TEST(Extraction, ItemsCarryTheEncodingIndex) {
  const std::string rules = "<start><div/></start><headline><a/></headline>";
  const std::string meta1251 = "<meta http-equiv='Content-Type' content='text/html; charset=Windows-1251'>";
  const std::string items = "<div><a href='/1'>A</a></div>";
  page_run fixed(one_section(rules, "", "url='http://s/' charset='windows-1251'"));
  fixed.run("<html><head><meta content='charset=windows-1257'></head><body>" + items + "</body></html>");
  ASSERT_EQ(fixed.rec.items.size(), 1u);
  EXPECT_EQ(fixed.rec.items[0]->encoding, 2);  // the ParseDef's charset wins over the page's

  page_run meta(one_section(rules));
  meta.run("<html><head>" + meta1251 + "</head><body>" + items + "</body></html>");
  ASSERT_EQ(meta.rec.items.size(), 1u);
  EXPECT_EQ(meta.rec.items[0]->encoding, 2);
  meta.run("<html><head>" + meta1251 + "<meta content='text/html; charset=koi8-r'></head><body>" + items +
           "</body></html>");
  EXPECT_EQ(meta.rec.items[1]->encoding, 0);  // the last meta wins; unknown names give 0

  page_run unknown(one_section(rules, "", "url='http://s/' charset='x-unknown'"));
  unknown.run("<html><head>" + meta1251 + "</head><body>" + items + "</body></html>");
  EXPECT_EQ(unknown.rec.items[0]->encoding, 0);
}

TEST(Extraction, TheLogoTravelsWithEveryItem) {
  const std::string pd =
      one_section("<start><div/></start><headline><a/></headline>", "", "url='http://s/' logo='logo.bmp'");
  const std::string page = "<html><body><div><a href='/1'>A</a><a href='/2'>B</a></div></body></html>";
  page_run r(pd);
  r.run(page);
  ASSERT_EQ(r.rec.items.size(), 2u);
  for (const auto& item : r.rec.items)
    EXPECT_EQ(static_cast<testing::named_picture*>(item->logo.get())->name, r.dir.path() + "/logo.bmp");
  r.destroy();
  EXPECT_EQ(r.rec.pictures_freed, 1);

  page_run missing;
  missing.rec.logo_loads = false;
  ASSERT_EQ(missing.p().load_parsedef(missing.dir.write("s.xml", pd)), 0);
  missing.run(page);
  ASSERT_EQ(missing.rec.items.size(), 2u);
  EXPECT_EQ(missing.rec.items[0]->logo, nullptr);
}

}  // namespace
}  // namespace vantrel
