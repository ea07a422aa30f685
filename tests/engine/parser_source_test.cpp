// Bringing pages into the event parser: XML or HTML, encodings, page directives, bad input.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/engine/parser_test_access.h"
#include "tests/engine/recorder.h"

namespace vantrel {
namespace {

using testing::one_section;
using testing::page_run;
using V = std::vector<std::string>;

TEST(SourceLoading, EventsOfASmallPageInOrder) {
  page_run r;
  EXPECT_EQ(r.run("<html><body><a href=\"x\">News</a>\n  \n</body></html>"), 0);
  EXPECT_EQ(r.rec.events, (V{"start html", "start body", "start a", "attr href = x", "text News", "end a", "end body",
                             "end html"}));  // white space alone gives no text event
  EXPECT_FALSE(parser_test_access::is_xml(r.p()));
}

TEST(SourceLoading, OneRunOfTextIsOneEvent) {
  page_run html;
  html.run("<html><body><p>AT&amp;T  and\n<!-- c -->T&#45;Mobile</p></body></html>");
  EXPECT_EQ(html.rec.texts(), (V{"AT&T and", "T-Mobile"}));  // a comment still separates

  page_run xml;
  xml.run("<?xml version='1.0'?><r><d>AT&amp;T <![CDATA[<b>bold</b>]]> end</d></r>");
  EXPECT_EQ(xml.rec.texts(), (V{"AT&T <b>bold</b> end"}));  // CDATA is text
}

TEST(SourceLoading, LongTextCrossingTheParsersBuffersStaysWhole) {
  std::string words;
  for (int i = 0; i < 5000; ++i) words += "w" + std::to_string(i) + " &amp; ";
  page_run r;
  r.run("<html><body><p>" + words + "</p></body></html>");
  ASSERT_EQ(r.rec.texts().size(), 1u);
  EXPECT_EQ(r.rec.texts()[0].substr(0, 12), "w0 & w1 & w2");
}

TEST(SourceLoading, XmlIsDetectedByItsDeclarationAnywhere) {
  page_run r;
  EXPECT_EQ(r.run("<html><body><script>var s = '<?xml';</script><p>x</p></body></html>"), -1);
  EXPECT_TRUE(parser_test_access::is_xml(r.p()));
  EXPECT_NE(r.p().failure().message().find("not well-formed"), std::string::npos) << r.p().failure();
  r.run("<?XML version='1.0'?><r/>");
  EXPECT_TRUE(parser_test_access::is_xml(r.p()));
  r.run("<html><body><a href='/q?xml=1'>x</a></body></html>");  // "?xml" without "<" is not one
  EXPECT_FALSE(parser_test_access::is_xml(r.p()));
}

TEST(SourceLoading, XmlAttributesHaveEntitiesSubstituted) {
  page_run r(one_section("<start><item/></start><headline><title/></headline><link><link/></link>"));
  r.run(
      "<?xml version='1.0'?><rss><item><title>T</title><link>http://a.example/q?a=1&amp;b=2</link>"
      "<a href='q?a=1&amp;b=2'/></item></rss>");
  EXPECT_EQ(r.rec.summary(), (V{"T | (none) | http://a.example/q?a=1&b=2"}));
  EXPECT_NE(std::find(r.rec.events.begin(), r.rec.events.end(), "attr href = q?a=1&b=2"), r.rec.events.end());
}

TEST(SourceLoading, XmlPagesCannotLoadEntitiesOrExplode) {
  testing::temp_dir t;
  std::string secret = t.write("secret.txt", "TOP-SECRET");
  page_run xxe;
  xxe.run("<?xml version='1.0'?><!DOCTYPE r [<!ENTITY s SYSTEM 'file://" + secret + "'>]><r>&s;</r>");
  for (const auto& e : xxe.rec.events) EXPECT_EQ(e.find("TOP-SECRET"), std::string::npos);

  std::string laughs = "<?xml version='1.0'?><!DOCTYPE r [<!ENTITY a0 'lol'>";
  for (int i = 1; i <= 10; ++i) {
    laughs += "<!ENTITY a" + std::to_string(i) + " '";
    for (int k = 0; k < 10; ++k) laughs += "&a" + std::to_string(i - 1) + ";";
    laughs += "'>";
  }
  laughs += "]><r>&a10;</r>";
  page_run bomb;
  auto start = std::chrono::steady_clock::now();
  bomb.run(laughs);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  size_t text_bytes = 0;
  for (const auto& text : bomb.rec.texts()) text_bytes += text.size();
  EXPECT_LT(text_bytes, 1000u);
}

TEST(SourceLoading, HtmlIsDecodedToUtf8) {
  struct row {
    std::string name, parsedef_attrs, page, want;
  };
  const std::string cyr1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in windows-1251
  const std::string cyr = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  const row cases[] = {
      {"utf-8 without declaration", "", "<html><body><p>caf\xC3\xA9</p></body></html>", "caf\xC3\xA9"},
      {"parsedef charset", "charset='windows-1251'", "<html><body><p>" + cyr1251 + "</p></body></html>", cyr},
      {"html5 meta after the title", "",
       "<html><head><title>t</title><meta charset='windows-1251'></head><body><p>" + cyr1251 + "</p></body></html>",
       cyr},
      {"windows-1252 guess", "", "<html><body><p>\x93q\x94 caf\xE9</p></body></html>",
       "\xE2\x80\x9Cq\xE2\x80\x9D caf\xC3\xA9"},
      {"latin-1 label read as windows-1252", "",
       "<html><head><meta http-equiv='content-type' content='text/html; charset=ISO-8859-1'></head>"
       "<body><p>\x93q\x94</p></body></html>",
       "\xE2\x80\x9Cq\xE2\x80\x9D"},
      {"byte-order mark", "", "\xEF\xBB\xBF<html><body><p>\xC3\xA9t\xC3\xA9</p></body></html>", "\xC3\xA9t\xC3\xA9"},
      {"meta says utf-8 over windows-1252 bytes", "charset='utf-8'", "<html><body><p>\xE2\x82\xAC 5</p></body></html>",
       "\xE2\x82\xAC 5"},
  };
  for (const row& c : cases) {
    page_run r(c.parsedef_attrs.empty() ? "" : "<parsedef " + c.parsedef_attrs + "/>");
    r.run(c.page);
    auto texts = r.rec.texts();
    ASSERT_FALSE(texts.empty()) << c.name;
    EXPECT_EQ(texts.back(), c.want) << c.name;
  }
}

TEST(SourceLoading, MetaRefresh) {
  struct row {
    std::string meta;
    std::optional<std::string> want;
  };
  const row cases[] = {
      {"<meta http-equiv='refresh' content='0; url=http://other.example/a'>", "http://other.example/a"},
      {"<meta http-equiv='Refresh' content='20;URL= http://other.example/b'>", "http://other.example/b"},
      {"<meta http-equiv='refresh' content='30; url=http://other.example/c'>", std::nullopt},
      {"<meta http-equiv='refresh' content='5'>", std::nullopt},
      {"<meta content='0; url=http://other.example/d' http-equiv='refresh'>", std::nullopt},
      {"<meta http-equiv='refresh' name='x' content='0; url=http://other.example/e'>", std::nullopt},
      {"<meta http-equiv='refresh' content='0; url=/moved/here.html'>", "http://site.example/moved/here.html"},
      {"<meta http-equiv='refresh' content='0; url=next.html'>", "http://site.example/news/next.html"},
      {"<meta http-equiv='refresh' content=\"0; URL='http://other.example/q'\">", "http://other.example/q"},
  };
  for (const row& c : cases) {
    page_run r(one_section("<start><div/></start>", "", "url='http://site.example/news/index.html'"));
    r.run("<html><head>" + c.meta + "</head><body></body></html>");
    EXPECT_EQ(parser_test_access::redirect_url(r.p()), c.want) << c.meta;
    if (c.want) {
      EXPECT_EQ(parser_test_access::base_url(r.p()), c.want);
    }
  }
  // A site's bare address, with or without its trailing "/", gives the same target.
  for (const char* url : {"http://site.example", "http://site.example/"}) {
    page_run r(one_section("<start><div/></start>", "", std::string("url='") + url + "'"));
    r.run("<html><head><meta http-equiv='refresh' content='0;url=/x'></head></html>");
    EXPECT_EQ(parser_test_access::redirect_url(r.p()), "http://site.example/x") << url;
  }
  // Without a ParseDef address a site path goes nowhere; after a redirect no attribute is reported.
  page_run bare;
  bare.run("<html><head><meta http-equiv='refresh' content='0;url=/x' name='after'></head></html>");
  EXPECT_EQ(parser_test_access::redirect_url(bare.p()), std::nullopt);
  page_run followed;
  followed.run("<html><head><meta http-equiv='refresh' content='0;url=http://o/' name='after'></head></html>");
  EXPECT_EQ(std::count(followed.rec.events.begin(), followed.rec.events.end(), "attr name = after"), 0);
}

TEST(SourceLoading, MovedPageAnchors) {
  const std::string page = "<html><body><a href='http://new.example/'>moved</a></body></html>";
  page_run found(one_section("<start><div/></start>"));
  found.p().set_http_status(302);
  found.run(page);
  EXPECT_EQ(parser_test_access::redirect_url(found.p()), "http://new.example/");

  page_run permanent(one_section("<start><div/></start><headline><p/></headline>"));
  permanent.p().set_http_status(301);
  permanent.run("<html><body><div><p><a href='http://later.example/'>x</a></p></div></body></html>");
  EXPECT_EQ(parser_test_access::redirect_url(permanent.p()), std::nullopt);  // state 2: a 301 anchor is only a link
  permanent.run(page);
  EXPECT_EQ(parser_test_access::redirect_url(permanent.p()), "http://new.example/");

  page_run ok(one_section("<start><div/></start>"));
  ok.p().set_http_status(200);
  ok.run(page);
  EXPECT_EQ(parser_test_access::redirect_url(ok.p()), std::nullopt);
}

TEST(SourceLoading, FilesThatCannotBeReadFail) {
  page_run r;
  EXPECT_EQ(r.p().parse_file(r.dir.file("missing.html")), -1);
  EXPECT_NE(r.p().failure().message().find("cannot be opened"), std::string::npos);
  EXPECT_EQ(r.p().parse_file(r.dir.path()), -1);
  EXPECT_EQ(r.p().parse_buffer(nullptr, 0), -1);
  EXPECT_EQ(r.p().parse_file(r.dir.write("empty.html", "")), 0);
  EXPECT_TRUE(r.rec.events.empty());
}

TEST(SourceLoading, HostilePagesEndWithoutHarm) {
  page_run r;
  std::string binary;
  for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  EXPECT_EQ(r.p().parse_file(r.dir.write("binary.bin", binary)), 0);

  std::string deep_html = "<html><body>" + std::string(0, ' ');
  for (int i = 0; i < 20000; ++i) deep_html += "<div>";
  deep_html += "deep";
  EXPECT_EQ(r.run(deep_html), 0);

  std::string deep_xml = "<?xml version='1.0'?>";
  for (int i = 0; i < 20000; ++i) deep_xml += "<d>";
  EXPECT_EQ(r.run(deep_xml), -1);  // the XML parser refuses excessive depth

  r.rec.events.clear();
  std::string one_text = "<html><body><p>" + std::string(50u << 20, 'x') + "</p></body></html>";
  EXPECT_EQ(r.run(one_text), 0);
  auto texts = r.rec.texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].size(), 50u << 20);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

TEST(SourceLoading, A200MegabytePageIsParsedToTheEnd) {
  if (sanitized) GTEST_SKIP() << "too slow under the sanitizers; the normal build runs it";
  testing::page_run r(testing::one_section("<start><div/></start><headline><a/></headline>"));
  const std::string block = "<div><a href='/n'>Headline</a><p>" + std::string(900, 'x') + "</p></div>\n";
  std::string page = "<html><body>";
  while (page.size() < (200u << 20)) page += block;
  page += "<div><a href='/last'>Last</a></div></body></html>";
  std::string path = r.dir.write("big.html", page);
  page.clear();
  page.shrink_to_fit();
  EXPECT_EQ(r.p().parse_file(path), 0);
  ASSERT_FALSE(r.rec.items.empty());
  EXPECT_EQ(r.rec.items.back()->link, "http://site.example/last");
}

}  // namespace
}  // namespace vantrel
