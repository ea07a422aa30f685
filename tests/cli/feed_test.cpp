// Feeds of hostile headlines: well-formed for the XML library, and read back by a real feed
// parser with the same titles, links and summaries; stable, distinct ids; a queue's feeds
// written per site, a failed site keeping its old feed.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "cli/cli_run.h"
#include "cli/feed_output.h"
#include "common/text_util.h"
#include "tests/cli/run_cli.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::cli {
namespace {

const std::vector<headline> hostile = {
    {"<b>Bold</b> & \"quoted\" 'news'", std::string("<script>alert(1)</script>"), "http://x.example/a?b=1&c=\"2\""},
    {"Control\x01\x08\x1F characters\x7F", std::nullopt, "http://x.example/b"},
    {"Broken \xC3 UTF-8 \xFF and \xEF\xBF\xBF", std::string(""), "http://x.example/c"},
    {"Новости дня — 東京", std::string("Μια περίληψη"), "https://x.example/%D0%BD"},
    {"]]> and <![CDATA[", std::string("&amp; stays &amp;"), "http://x.example/d#frag"},
};

bool well_formed(const std::string& xml) {
  std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "feed.xml", nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR),
      xmlFreeDoc);
  return doc != nullptr;
}

// The entries as a real feed reader sees them: "title|link|summary|id" lines.
std::string read_with_feedparser(const std::string& path) {
  const std::string command =
      "/usr/bin/python3 -c \"import feedparser,sys\n"
      "d=feedparser.parse(sys.argv[1])\n"
      "assert not d.bozo, d.bozo_exception\n"
      "print(d.feed.title)\n"
      "[print(e.title+'|'+e.link+'|'+e.get('summary','')+'|'+e.id) for e in d.entries]\" '" +
      path + "' 2>&1";
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  char buffer[4096];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  return output;
}

TEST(Feeds, HostileHeadlinesMakeValidFeeds) {
  testing::temp_dir dir;
  const feed_head head{"Site & <Co>", "http://x.example/?a=1&b=2", 1796724000};
  for (const bool atom : {true, false}) {
    feed_builder builder(atom, head);
    for (const headline& e : hostile) builder.add(e);
    const std::string feed = builder.finish();
    ASSERT_TRUE(well_formed(feed)) << feed;
    const std::string seen = read_with_feedparser(dir.write(atom ? "f.atom" : "f.rss", feed));
    // A reader shows an Atom summary as the text it is; an RSS description is HTML, so it hands
    // the text over escaped for HTML (and shows it as the same text).
    auto summary = [&](const std::string& text) { return atom ? text : xml_escape(text); };
    EXPECT_EQ(seen,
              "Site & <Co>\n"
              "<b>Bold</b> & \"quoted\" 'news'|http://x.example/a?b=1&c=\"2\"|" +
                  summary("<script>alert(1)</script>") + "|" + entry_id(hostile[0].link) +
                  "\nControl characters|http://x.example/b||" + entry_id("http://x.example/b") +
                  "\nBroken \xEF\xBF\xBD UTF-8 \xEF\xBF\xBD and|http://x.example/c||" + entry_id("http://x.example/c") +
                  "\nНовости дня — 東京|https://x.example/%D0%BD|Μια περίληψη|" + entry_id("https://x.example/%D0%BD") +
                  "\n]]> and <![CDATA[|http://x.example/d#frag|" + summary("&amp; stays &amp;") + "|" +
                  entry_id("http://x.example/d#frag") + "\n")
        << (atom ? "atom" : "rss");
  }
  EXPECT_EQ(entry_id("http://x.example/b"), entry_id("http://x.example/b"));
  EXPECT_NE(entry_id("http://x.example/b"), entry_id("http://x.example/c"));
}

using testing::result;
using testing::run_cli;

TEST(Feeds, AQueueWritesOneFeedPerSiteAndAFailureKeepsTheOldOne) {
  testing::http_server server;
  server.route("/one", [](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, "<html><body><div class=s><a href='/x'>One & only</a></div></body></html>",
                                       "Content-Type: text/html\r\n"));
  });
  testing::temp_dir dir;
  auto parsedef = [&](const std::string& url) {
    return "<parsedef name='Site' url='" + url +
           "'><section match='substr'><start><div class='s'/></start><headline><a/></headline></section></parsedef>";
  };
  dir.write("lib/News/one.xml", parsedef(server.url("/one")));
  dir.write("lib/News/dead.xml", parsedef("http://127.0.0.1:1/"));
  dir.write("outside/one.xml", parsedef(server.url("/one")));
  dir.write("lib/queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='News/one.xml'>One</SITE>"
            "<SITE fname='News/dead.xml'>Dead</SITE><SITE fname='../outside/one.xml'>Out</SITE></VANTREL_SITE_QUEUE>");
  dir.write("feeds/News/dead.atom", "the previous feed");
  const result r =
      run_cli({"--queue", "--format", "atom", "--root", dir.file("lib"), "--output-dir", dir.file("feeds")});
  EXPECT_EQ(r.code, 1) << "one site failed";
  EXPECT_TRUE(r.out.empty());
  const std::string one = testing::read_file(dir.file("feeds/News/one.atom"));
  EXPECT_TRUE(well_formed(one));
  EXPECT_NE(one.find("<title>One &amp; only</title>"), std::string::npos) << one;
  EXPECT_EQ(testing::read_file(dir.file("feeds/News/dead.atom")), "the previous feed");
  EXPECT_EQ(testing::list_files(dir.file("feeds")), "News/dead.atom\nNews/one.atom\n");
  EXPECT_FALSE(testing::file_exists(dir.file("outside/one.atom")));
  EXPECT_NE(r.err.find("../outside/one.xml: its feed would be written outside"), std::string::npos) << r.err;

  const result single = run_cli({"--format", "rss", dir.file("lib/News/one.xml")});
  EXPECT_EQ(single.code, 0) << single.err;
  EXPECT_TRUE(well_formed(single.out));
  EXPECT_EQ(run_cli({"--queue", "--format", "rss", "--root", dir.file("lib")}).code, 2) << "no --output-dir";
}

TEST(Feeds, EachQueueEntryGetsItsOwnFileInsideTheFolder) {
  const std::vector<std::string> names = {"News/bbc.xml", "News/bbc.nov", "News\\other.nov", "./top.xml", "noext",
                                          "../up.xml",    "/abs.xml",     "a/../../b.xml",   "a/./",      "x.y.xml"};
  const std::vector<std::optional<std::string>> expected = {
      "News/bbc.xml.atom", "News/bbc.nov.atom", "News/other.atom", "top.atom", "noext.atom",
      std::nullopt,        std::nullopt,        std::nullopt,      "a.atom",   "x.y.atom"};
  EXPECT_EQ(feed_file_names(names, ".atom"), expected);
}

}  // namespace
}  // namespace vantrel::cli
