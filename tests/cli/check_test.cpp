// --check over small pages that break the rules in each way: the verdict, the exit status and
// the fact that explains it; a queue's checks, one per site.
#include <gtest/gtest.h>

#include <map>

#include "tests/cli/run_cli.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::cli {
namespace {

using testing::result;
using testing::run_cli;
using testing::temp_dir;

// Headlines are anchors inside <div class="news">, each followed by its subheading.
constexpr const char* news_rules =
    "<parsedef name='News' url='http://news.example/'><section match='substr'>"
    "<start><div class='news'/></start><headline><a/></headline><subhead><p/></subhead>"
    "<end><div class='footer'/></end></section></parsedef>";

std::string page(const std::string& body, const std::string& head = "") {
  return "<html><head>" + head + "</head><body>" + body + "</body></html>";
}

TEST(Check, VerdictsOverPagesThatBreakTheRules) {
  const std::string good = "<a href='/1'>One</a><p>first</p><a href='/2'>Two</a><p>second</p>";
  struct row {
    const char* what;
    std::string page;
    int status;
    const char* verdict;
    const char* fact;  // a piece of the JSON report that explains the verdict
  };
  const std::vector<row> cases = {
      {"fits", page("<div class='news'>" + good + "</div><div class='footer'>x</div>"), 0, "healthy",
       "\"headlines\":2"},
      {"the end never came", page("<div class='news'>" + good + "</div>"), 0, "warnings",
       "{\"kind\":\"END\",\"rule\":\"END <div class=\\\"footer\\\">\",\"matches\":0}"},
      {"the site renamed its block", page("<div class='stories'>" + good + "</div>"), 3, "broken",
       "\"start_matched\":false"},
      {"headings lost their links", page("<div class='news'><a>One</a><p>first</p></div><p>x</p>"), 3, "broken",
       "\"heading_without_link\":1"},
      {"a heading without link pairs with the next item's link",
       page("<div class='news'><a>One</a><a href='/2'>Two</a><p>second</p></div>"), 0, "warnings",
       "\"heading_ignored\":1"},
      {"an empty link", page("<div class='news'><a href=''>One</a><p>first</p></div>"), 3, "broken",
       "\"empty_field\":1"},
      {"encoding from a meta tag", page("<div class='news'>" + good + "</div>", "<meta charset='koi8-r'>"), 0,
       "warnings", "\"encoding\":\"koi8-r\",\"encoding_source\":\"a <meta> tag\""},
  };
  temp_dir dir;
  const std::string parsedef = dir.write("news.xml", news_rules);
  for (const row& c : cases) {
    const std::string source = dir.write("page.html", c.page);
    result json = run_cli({"--check", "--format", "json", "--source", source, parsedef});
    EXPECT_EQ(json.code, c.status) << c.what << "\n" << json.out << json.err;
    EXPECT_NE(json.out.find(std::string("\"verdict\":\"") + c.verdict + "\""), std::string::npos) << c.what;
    EXPECT_NE(json.out.find(c.fact), std::string::npos) << c.what << "\n" << json.out;
    EXPECT_EQ(json.out.find('\n'), json.out.size() - 1) << "one line per site";
  }

  // For people: the verdict and the reason, without JSON.
  dir.write("page.html", page("<div class='stories'>" + good + "</div>"));
  result text = run_cli({"--check", "--source", dir.file("page.html"), parsedef});
  EXPECT_NE(text.out.find("Verdict: broken, the rules found nothing\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Section 1: its start never matched: START <div class=\"news\">\n"), std::string::npos);

  // An XML page says its encoding in its declaration.
  dir.write("feed.xml",
            "<?xml version='1.0' encoding='ISO-8859-1'?><rss><div class='news'>"
            "<a href='http://news.example/c'>Caf\xE9</a><p>x</p></div></rss>");
  result xml = run_cli({"--check", "--source", dir.file("feed.xml"), parsedef});
  EXPECT_NE(xml.out.find("Encoding: ISO-8859-1, from the XML declaration\n"), std::string::npos) << xml.out;
  EXPECT_NE(xml.out.find("Sample: Caf\xC3\xA9 -> http://news.example/c\n"), std::string::npos) << xml.out;
}

TEST(Check, WhatCannotBeHadIsUnavailable) {
  temp_dir dir;
  const std::string parsedef = dir.write("news.xml", news_rules);
  result no_page = run_cli({"--check", "--format", "json", "--source", dir.file("gone.html"), parsedef});
  EXPECT_EQ(no_page.code, 1);
  EXPECT_NE(no_page.out.find("\"verdict\":\"unavailable\""), std::string::npos) << no_page.out;
  EXPECT_NE(no_page.out.find("gone.html: cannot be opened"), std::string::npos) << no_page.out;
  result bad_parsedef =
      run_cli({"--check", "--source", dir.write("p.html", page("")), dir.write("bad.xml", "<parsedef")});
  EXPECT_EQ(bad_parsedef.code, 1);
  EXPECT_NE(bad_parsedef.out.find("Verdict: unavailable, "), std::string::npos) << bad_parsedef.out;
}

// A site that answers 404 with a page of its usual layout: the rules would fit it, but the
// site is unavailable, and a plain run fails too, printing nothing.
TEST(Check, AnErrorReplyIsUnavailableNotHealthy) {
  testing::http_server server;
  const std::string body = page("<div class='news'><a href='/1'>One</a><p>first</p></div>");
  server.route("/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(404, body, "Content-Type: text/html\r\n"));
  });
  temp_dir dir;
  std::string rules = news_rules;
  rules.replace(rules.find("http://news.example/"), 20, server.url("/"));
  const std::string parsedef = dir.write("news.xml", rules);
  result check = run_cli({"--check", "--no-store", parsedef});
  EXPECT_EQ(check.code, 1);
  EXPECT_NE(check.out.find("Verdict: unavailable, " + server.url("/") + ": HTTP 404 Not Found"), std::string::npos)
      << check.out;
  result plain = run_cli({"--no-store", parsedef});
  EXPECT_EQ(plain.code, 1);
  EXPECT_EQ(plain.out, "");
  EXPECT_NE(plain.err.find("HTTP 404 Not Found"), std::string::npos) << plain.err;
}

TEST(Check, QueueChecksEverySiteAndExitsWithTheWorst) {
  testing::http_server server;
  const std::map<std::string, std::string> pages = {
      {"/fine", page("<div class='news'><a href='/a'>A</a><p>a</p></div>")}, {"/empty", page("<p>moved</p>")}};
  for (const auto& [path, text] : pages) {
    server.route(path, [body = text](testing::http_connection& c, const testing::http_request&) {
      c.send(testing::http_server::reply(200, body, "Content-Type: text/html\r\n"));
    });
  }
  temp_dir dir;
  auto parsedef = [&](const std::string& path) {
    std::string s = news_rules;
    s.replace(s.find("http://news.example/"), 20, server.url(path));
    return s;
  };
  dir.write("lib/fine.xml", parsedef("/fine"));
  dir.write("lib/empty.xml", parsedef("/empty"));
  dir.write("lib/queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='fine.xml'>Fine</SITE><SITE fname='empty.xml'>Empty</SITE>"
            "</VANTREL_SITE_QUEUE>");
  result broken = run_cli({"--check", "--queue", "--root", dir.file("lib")});
  EXPECT_EQ(broken.code, 3) << broken.out << broken.err;
  EXPECT_NE(broken.out.find("# Fine (fine.xml)\nParseDef: fine.xml\n"), std::string::npos) << broken.out;

  dir.write("lib/queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='empty.xml'>Empty</SITE><SITE fname='gone.xml'>Gone</SITE>"
            "</VANTREL_SITE_QUEUE>");
  result json = run_cli({"--check", "--queue", "--format", "json", "--root", dir.file("lib")});
  EXPECT_EQ(json.code, 1) << "a site that cannot be had is worse than one that is broken";
  EXPECT_NE(json.out.find("\"verdict\":\"broken\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"verdict\":\"unavailable\",\"status\":1,\"failure\":\"not in the library"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"site\":\"Gone\",\"site_file\":\"gone.xml\"}\n"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace vantrel::cli
