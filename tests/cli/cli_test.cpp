#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_run.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/sqlite_db.h"
#include "tests/cli/run_cli.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"
#include "tests/helpers/zip_builder.h"

namespace vantrel::cli {
namespace {

using vantrel::testing::temp_dir;

using testing::result;
using testing::run_cli;

const std::string sample_dir = std::string(VANTREL_TEST_DATA) + "/../../samples/";

TEST(CliOptions, UsageErrorsAndModes) {
  struct row {
    std::vector<std::string> args;
    bool ok;
  };
  const row cases[] = {
      {{"--source", "p.html", "site.xml"}, true},
      {{"--format", "json", "--trace", "t.txt", "--source", "p.html", "site.nov"}, true},
      {{"--events", "page.html"}, true},
      {{"--events", "--parsedef", "site.xml", "page.html"}, true},
      {{"site.xml"}, true},  // fetches the site's page
      {{"--progress", "--url", "http://x/"}, true},
      {{"--events", "--url", "http://x/"}, true},
      {{"--url", "http://x/", "site.xml"}, false},
      {{"--url", "http://x/", "--source", "p.html"}, false},
      {{"--url"}, false},
      {{"--source", "p.html"}, false},  // no ParseDef
      {{"--source", "p.html", "a.xml", "b.xml"}, false},
      {{"--format", "xml", "--source", "p.html", "a.xml"}, false},
      {{"--format"}, false},
      {{"--events", "--source", "p.html", "x"}, false},
      {{"--parsedef", "a.xml", "--source", "p", "b.xml"}, false},
      {{"--frobnicate", "x"}, false},
      {{"--format=json", "site.xml", "--source=p.html"}, true},  // GNU long options, in any order
      {{"--form=json", "site.xml"}, true},                       // an unambiguous abbreviation
      {{"--queue", "--root", "/lib"}, true},
      {{"--queue", "site.xml"}, false},
      {{"--root", "/lib", "site.xml"}, false},
      {{"--check", "--source", "p.html", "a.xml"}, true},
      {{"--check", "--queue"}, true},
      {{"--check", "--format", "rss", "a.xml"}, false},
      {{"--check", "--url", "http://x/"}, false},
      {{"--check", "--events", "p.html"}, false},
      {{"--queue", "--due", "--new", "--store", "s.db"}, true},
      {{"--due", "a.xml"}, false},
      {{"--check", "--queue", "--due"}, false},
      {{"--store", "s.db", "--no-store", "a.xml"}, false},
      {{"--new", "--format", "rss", "a.xml"}, false},
      {{"--new", "--no-store", "a.xml"}, true},
      {{"--suggest", "Ferry", "--url", "http://x/"}, true},
      {{"--suggest", "Ferry", "--suggest", "Storm", "--source", "p.html", "--url", "http://x/"}, true},
      {{"--suggest", "Ferry", "--source", "p.html"}, false},  // the page needs its address
      {{"--suggest", "Ferry", "--url", "http://x/", "site.xml"}, false},
      {{"--suggest", "Ferry", "--url", "http://x/", "--format", "json"}, false},
  };
  for (const row& c : cases) {
    parse_result r = parse_options(c.args);
    EXPECT_EQ(r.opts.has_value(), c.ok) << c.args[0] << " " << r.error;
    if (!c.ok) {
      EXPECT_FALSE(r.error.empty());
    }
  }
  EXPECT_EQ(parse_options({"x", "--help"}).opts->what, mode::help);
  EXPECT_EQ(parse_options({"--format=json", "site.xml"}).opts->format, output_format::json);

  result usage = run_cli({"--format"});  // one line and a hint, not the whole help
  EXPECT_EQ(usage.code, 2);
  EXPECT_EQ(usage.err,
            "tidewatch-cli: option --format needs a value\nTry 'tidewatch-cli --help' for more information.\n");
}

TEST(CliOutput, JsonStringsAreEscapedAndValid) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
      {"tab\tnl\n\x01", "\"tab\\tnl\\n\\u0001\""},
      {"caf\xC3\xA9 \xE2\x80\x9C", "\"caf\xC3\xA9 \xE2\x80\x9C\""},
      {"bad \xE9 byte", "\"bad \xEF\xBF\xBD byte\""},
      {"cut \xE2\x80", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(json_string(in), want);
}

TEST(CliRun, SampleAsText) {
  result r = run_cli({"--source", sample_dir + "harbour-gazette.html", sample_dir + "harbour-gazette.xml"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("AT&T")),
            "New ferry route opens to the islands\n"
            "  Crossings every hour from the north quay, starting Monday.\n"
            "  http://gazette.example/news/2026/12/ferry.html\n\n");
  EXPECT_NE(r.out.find("Storm Ingrid: what to expect\n  Gusts of 90\xC2\xA0km/h"), std::string::npos);
  EXPECT_EQ(r.out.find("About the Gazette"), std::string::npos);  // after the END rule
}

TEST(CliRun, PackageAsJson) {
  temp_dir t;
  std::string pkg = t.file("gazette.nov");
  vantrel::testing::write_zip(
      pkg, {{"harbour-gazette.xml", vantrel::testing::read_file(sample_dir + "harbour-gazette.xml")},
            {"harbour-gazette.bmp", vantrel::testing::read_file(sample_dir + "harbour-gazette.bmp")}});
  result r = run_cli({"--format", "json", "--source", sample_dir + "harbour-gazette.html", pkg});
  EXPECT_EQ(r.code, 0) << r.err;
  std::string first = r.out.substr(0, r.out.find('\n'));
  const std::string want =
      "{\"heading\":\"New ferry route opens to the islands\",\"subheading\":\"Crossings every hour from the north "
      "quay, starting Monday.\",\"link\":\"http://gazette.example/news/2026/12/ferry.html\",\"encoding\":0,\"logo\":\"";
  EXPECT_EQ(first.substr(0, want.size()), want);
  EXPECT_NE(first.find("/harbour-gazette.bmp\",\"new\":true}"), std::string::npos) << first;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4);
}

TEST(CliRun, LogoThatDoesNotLoadIsNull) {
  temp_dir t;
  std::string pd = t.write("site.xml",
                           "<parsedef url='http://s/' logo='missing.bmp'><section><start><div/></start>"
                           "<headline><a/></headline></section></parsedef>");
  std::string page = t.write("p.html", "<div><a href='/1'>One</a></div>");
  result r = run_cli({"--format", "json", "--source", page, pd});
  EXPECT_EQ(
      r.out,
      "{\"heading\":\"One\",\"subheading\":null,\"link\":\"http://s/1\",\"encoding\":0,\"logo\":null,\"new\":true}\n");
}

TEST(CliRun, EventsListThePageAsParsed) {
  temp_dir t;
  std::string page = t.write("p.html", "<html><body><a href=\"x\">News 100%s</a><FONT>f</FONT></body></html>");
  result r = run_cli({"--events", page});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "start 15 html\nstart 19 body\nstart 6 a\nattr href = x\ntext News 100%s\nend 7 a\n"
            "start 1 font\ntext f\nend 10 font\nend 20 body\nend 16 html\n");
  result with_rules = run_cli({"--events", "--parsedef", sample_dir + "harbour-gazette.xml", page});
  EXPECT_EQ(with_rules.out, r.out);
  // Where the ParseDef's rules fire, a line says which.
  result marked =
      run_cli({"--events", "--parsedef", sample_dir + "harbour-gazette.xml", sample_dir + "harbour-gazette.html"});
  EXPECT_NE(marked.out.find(" div\nrule START\nattr class = stories\n"), std::string::npos) << marked.out;

  // A value or text that holds a line break cannot fake an event line.
  std::string forged = t.write("f.html", "<p title=\"a&#10;start 6 a\">x&#13;&#10;end 7 a \\ y</p>");
  EXPECT_EQ(run_cli({"--events", forged}).out,
            "start 15 html\nstart 19 body\nstart 2 p\nattr title = a\\nstart 6 a\ntext x end 7 a \\\\ y\n"
            "end 3 p\nend 20 body\nend 16 html\n");
}

TEST(CliRun, FailuresSayWhichFileAndWhy) {
  temp_dir t;
  std::string good_pd = sample_dir + "harbour-gazette.xml";
  std::string page = sample_dir + "harbour-gazette.html";
  struct row {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const row cases[] = {
      {{"--source", page, t.write("bad.xml", "<parsedef>")}, 1, "bad.xml: not well-formed XML"},
      {{"--source", page, t.file("none.xml")}, 1, "none.xml: cannot be opened"},
      {{"--source", page, t.write("zip.nov", "not a zip")}, 1, "zip.nov: not a ParseDef package"},
      {{"--source", t.file("missing.html"), good_pd}, 1, "missing.html: cannot be opened"},
      {{"--source", t.write("f.xml", "<?xml version='1.0'?>\n<a>\n<b></a>\n\n\n"), good_pd},
       1,
       "f.xml: not well-formed XML (line 3"},
      {{"--events", t.file("missing.html")}, 1, "missing.html: cannot be opened"},
      {{"--source", page}, 2, "missing file"},
      {{"--url", "file:///etc/passwd"}, 1, "not an http or https address"},
  };
  for (const row& c : cases) {
    result r = run_cli(c.args);
    EXPECT_EQ(r.code, c.code) << c.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (c.code == 1) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST(CliRun, FetchesTheSitesPage) {
  vantrel::testing::http_server server;
  server.route("/news/", [](vantrel::testing::http_connection& c, const vantrel::testing::http_request&) {
    c.send(vantrel::testing::http_server::reply(200, vantrel::testing::read_file(sample_dir + "harbour-gazette.html"),
                                                "Content-Type: text/html\r\n"));
  });
  temp_dir t;
  std::string pd = vantrel::testing::read_file(sample_dir + "harbour-gazette.xml");
  pd.replace(pd.find("http://gazette.example/news/"), 28, server.url("/news/"));
  result r = run_cli({"--progress", t.write("site.xml", pd)});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("New ferry route opens to the islands\n"), std::string::npos);
  EXPECT_NE(r.out.find(server.url("/news/2026/12/telecom.html")), std::string::npos);
  EXPECT_EQ(r.err.rfind("Finding site \"Harbour Gazette\"\n", 0), 0u) << r.err;

  result events = run_cli({"--events", "--url", server.url("/news/")});
  EXPECT_EQ(events.code, 0) << events.err;
  EXPECT_EQ(events.out.rfind("start 15 html\nattr lang = en\n", 0), 0u);
}

TEST(CliRun, FetchFailuresAndStops) {
  result refused = run_cli({"--url", "http://127.0.0.1:" + std::to_string(vantrel::testing::closed_port()) + "/"});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("onnect"), std::string::npos) << refused.err;
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1);

  vantrel::testing::http_server server;
  server.route("/", [](vantrel::testing::http_connection& c, const vantrel::testing::http_request&) {
    c.stall(std::chrono::seconds(30));
  });
  std::thread interrupter([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(getpid(), SIGINT);  // Ctrl-C
  });
  result stopped = run_cli({"--url", server.url("/")});
  interrupter.join();
  EXPECT_EQ(stopped.code, 130);
  EXPECT_EQ(stopped.err, "tidewatch-cli: stopped\n");
}

// Each run's private folder goes when the run ends, whether it succeeded, failed or was used
// for a package.
TEST(CliRun, LeavesNoFolderBehind) {
  temp_dir t;
  std::string pkg = t.file("gazette.nov");
  vantrel::testing::write_zip(pkg, {{"g.xml", vantrel::testing::read_file(sample_dir + "harbour-gazette.xml")}});
  const std::string page = sample_dir + "harbour-gazette.html";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--source", page, pkg}, {"--source", t.file("missing.html"), pkg}, {"--url", "http://127.0.0.1:1/"}}) {
    run_cli(args);
    const std::string run_folder = "tidewatch-cli-" + std::to_string(platform::process_id());
    std::string folder = *private_folder(run_folder);  // made again by the look
    EXPECT_EQ(vantrel::testing::list_files(folder), "") << args[0];
    remove_private_folder(run_folder);
    EXPECT_FALSE(std::filesystem::exists(folder));
  }
}

TEST(CliRun, HelpAndVersion) {
  result help = run_cli({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out, usage_text);
  result version = run_cli({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("tidewatch-cli 1.", 0), 0u);
}

TEST(CliQueue, RunsEveryEnabledSiteAndReportsTheOnesThatFail) {
  testing::http_server server;
  for (const char* page : {"/one", "/two"}) {
    server.route(page, [page](testing::http_connection& c, const testing::http_request&) {
      c.send(testing::http_server::reply(
          200, std::string("<html><body><div class=s><a href='/x'>News from ") + page + "</a></div></body></html>",
          "Content-Type: text/html\r\n"));
    });
  }
  temp_dir dir;
  auto parsedef = [&](const std::string& page) {
    return "<parsedef name='Site " + page + "' url='" + server.url(page) +
           "'><section match='substr'><start><div class='s'/></start><headline><a/></headline></section></parsedef>";
  };
  dir.write("lib/A/one.xml", parsedef("/one"));
  dir.write("lib/B/two.xml", parsedef("/two"));
  dir.write("lib/off.xml", parsedef("/one"));
  dir.write("lib/queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='A/one.xml'>One</SITE><SITE fname='gone.xml'>Gone</SITE>"
            "<SITE fname='off.xml' enabled='0'>Off</SITE><SITE fname='b\\TWO.XML'>Two</SITE></VANTREL_SITE_QUEUE>");
  result text = run_cli({"--queue", "--root", dir.file("lib")});
  EXPECT_EQ(text.code, 1) << "one site is missing";
  EXPECT_EQ(text.out, "# One (A/one.xml)\nNews from /one\n  " + server.url("/x") +
                          "\n\n# Two (b\\TWO.XML)\nNews from /two\n  " + server.url("/x") + "\n\n");
  EXPECT_NE(text.err.find("gone.xml: not in the library"), std::string::npos) << text.err;

  result json = run_cli({"--queue", "--format", "json", "--root", dir.file("lib")});
  EXPECT_NE(json.out.find(",\"site\":\"Two\",\"site_file\":\"b\\\\TWO.XML\"}"), std::string::npos) << json.out;
  EXPECT_EQ(run_cli({"--queue", "--root", dir.file("nowhere")}).code, 1);
}

TEST(CliSuggest, PrintsAParseDefOrSaysWhyNot) {
  const std::string page = sample_dir + "harbour-gazette.html";
  result made =
      run_cli({"--suggest", "Storm Ingrid: what to expect", "--source", page, "--url", "http://gazette.example/news/"});
  EXPECT_EQ(made.code, 0) << made.err;
  EXPECT_EQ(made.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Suggested from the headline", 0), 0u);
  EXPECT_NE(made.out.find("<headline><a class=\"headline\"/></headline>"), std::string::npos) << made.out;
  // What it prints runs as any ParseDef does.
  temp_dir t;
  result run = run_cli({"--source", page, t.write("suggested.xml", made.out)});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4 * 4) << run.out;

  result absent = run_cli({"--suggest", "Ferry leaves", "--source", page, "--url", "http://gazette.example/news/"});
  EXPECT_EQ(absent.code, 3);
  EXPECT_EQ(absent.out, "");
  EXPECT_EQ(absent.err.rfind(
                "tidewatch-cli: no text of the page holds \"Ferry leaves\"\nThe nearest texts on the page:\n  ", 0),
            0u)
      << absent.err;
  result missing = run_cli({"--suggest", "Ferry", "--source", t.file("gone.html"), "--url", "http://x/"});
  EXPECT_EQ(missing.code, 1);

  // From the site itself, through a redirect.
  testing::http_server server;
  server.route("/old", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(301, "", "Location: " + server.url("/news/") + "\r\n"));
  });
  server.route("/news/", [&](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, testing::read_file(page), "Content-Type: text/html\r\n"));
  });
  result fetched = run_cli({"--suggest", "Storm Ingrid: what to expect", "--url", server.url("/old")});
  EXPECT_EQ(fetched.code, 0) << fetched.err;
  EXPECT_NE(fetched.out.find("url=\"" + server.url("/old") + "\""), std::string::npos) << fetched.out;
  EXPECT_EQ(
      run_cli({"--suggest", "Storm", "--url", "http://127.0.0.1:" + std::to_string(testing::closed_port()) + "/"}).code,
      1);
}

// A library under dir/lib with one site, "One" (A/one.xml, hourly), whose page is at url: its
// headlines are the anchors in <div class="s">.
void write_one_site_library(const temp_dir& dir, const std::string& url) {
  dir.write("lib/A/one.xml", "<parsedef name='One' url='" + url +
                                 "'><section match='substr'><start><div class='s'/></start><headline><a/></headline>"
                                 "</section></parsedef>");
  dir.write("lib/queue.xml",
            "<VANTREL_SITE_QUEUE><SITE fname='A/one.xml' refresh='60'>One</SITE></VANTREL_SITE_QUEUE>");
}

// The headline store across console runs: what is new, pages that did not change, sites that
// are not due, a run that leaves the store alone and a damaged store.
TEST(CliStore, RunsRememberWhatTheyFound) {
  testing::http_server server;
  std::mutex lock;
  std::string page = "<a href='/1'>First</a>", version = "\"v1\"";
  server.route("/one", [&](testing::http_connection& c, const testing::http_request& request) {
    std::lock_guard hold(lock);
    const auto asked = request.headers.find("if-none-match");
    if (asked != request.headers.end() && asked->second == version) {
      c.send(testing::http_server::reply(304, "", "ETag: " + version + "\r\n"));
    } else {
      c.send(testing::http_server::reply(200, "<div class=s>" + page + "</div>", "ETag: " + version + "\r\n"));
    }
  });
  temp_dir dir;
  write_one_site_library(dir, server.url("/one"));
  const std::string store = dir.file("store.db");
  const std::vector<std::string> queue = {"--queue", "--root", dir.file("lib"), "--store", store};
  auto with = [&queue](std::vector<std::string> more) {
    more.insert(more.begin(), queue.begin(), queue.end());
    return run_cli(more);
  };

  result first = with({"--format", "json"});
  EXPECT_EQ(first.code, 0) << first.err;
  EXPECT_NE(first.out.find("\"heading\":\"First\""), std::string::npos);
  EXPECT_NE(first.out.find("\"new\":true,\"site\":\"One\""), std::string::npos) << first.out;

  result same = with({"--new", "--progress"});
  EXPECT_EQ(same.code, 0) << same.err;
  EXPECT_EQ(same.out, "# One (A/one.xml)\n") << "the page was asked for conditionally and had not changed";
  EXPECT_NE(same.err.find("One: Unchanged since the last run\n1 site: 1 with headlines (0 new)\n"), std::string::npos)
      << same.err;
  EXPECT_EQ(server.requests().back().headers["if-none-match"], "\"v1\"");
  {
    std::lock_guard hold(lock);
    page = "<a href='/2'>Second</a><a href='/1'>First</a>";
    version = "\"v2\"";
  }
  result more = with({"--new", "--format", "json"});
  EXPECT_EQ(std::count(more.out.begin(), more.out.end(), '\n'), 1) << more.out;
  EXPECT_NE(more.out.find("\"heading\":\"Second\""), std::string::npos) << more.out;

  const size_t asked = server.requests().size();
  EXPECT_EQ(with({"--due"}).out, "") << "it ran a moment ago and refreshes hourly";
  EXPECT_EQ(server.requests().size(), asked);

  result alone = run_cli({"--queue", "--root", dir.file("lib"), "--no-store", "--format", "json"});
  EXPECT_EQ(std::count(alone.out.begin(), alone.out.end(), '\n'), 2);
  EXPECT_EQ(alone.out.find("\"new\":false"), std::string::npos) << "without a store nothing was seen before";

  const std::string garbage = dir.write("damaged.db", std::string(8192, 'x'));
  result damaged = run_cli({"--queue", "--root", dir.file("lib"), "--store", garbage});
  EXPECT_EQ(damaged.code, 0);
  EXPECT_NE(damaged.out.find("First"), std::string::npos);
  EXPECT_NE(damaged.err.find("was damaged: it is kept as"), std::string::npos) << damaged.err;
}

// --new and --due over a store that cannot keep runs would print every headline as new on
// every run: the console tool says so and fails instead.
TEST(CliStore, HistoryAskedForAndNotKeptIsAFailure) {
  testing::http_server server;
  server.route("/one", [](testing::http_connection& c, const testing::http_request&) {
    c.send(testing::http_server::reply(200, "<div class=s><a href='/1'>First</a></div>"));
  });
  temp_dir dir;
  write_one_site_library(dir, server.url("/one"));
  const std::string plain = dir.write("plain", "x");
  result none = run_cli({"--queue", "--new", "--root", dir.file("lib"), "--store", plain + "/store.db"});
  EXPECT_EQ(none.code, 1);
  EXPECT_EQ(none.out, "") << "no site was run";
  EXPECT_NE(none.err.find("--new and --due need the headline store"), std::string::npos) << none.err;
  result single = run_cli({"--new", "--store", plain + "/store.db", dir.file("lib/A/one.xml")});
  EXPECT_EQ(single.code, 1);
  EXPECT_EQ(single.out, "");

  // A store whose runs table was dropped by hand is kept aside once, and a new one keeps runs.
  const std::string store = dir.file("store.db");
  ASSERT_EQ(run_cli({"--queue", "--root", dir.file("lib"), "--store", store}).code, 0);
  {
    sqlite_db db;
    ASSERT_TRUE(db.open(store, false).ok());
    ASSERT_TRUE(db.exec("DROP TABLE runs").ok());
  }
  result repaired = run_cli({"--queue", "--new", "--root", dir.file("lib"), "--store", store});
  EXPECT_EQ(repaired.code, 0) << repaired.err;
  EXPECT_NE(repaired.err.find("has no table runs"), std::string::npos) << repaired.err;
  EXPECT_NE(repaired.out.find("First"), std::string::npos);
  result again = run_cli({"--queue", "--new", "--root", dir.file("lib"), "--store", store});
  EXPECT_EQ(again.code, 0);
  EXPECT_EQ(again.err, "") << "said once";
  EXPECT_EQ(again.out.find("First"), std::string::npos) << "nothing new";

  // A store that refuses every run (as a full disk does): the run cannot be kept.
  {
    sqlite_db db;
    ASSERT_TRUE(db.open(store, false).ok());
    ASSERT_TRUE(db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON runs BEGIN SELECT RAISE(ABORT, 'disk full'); END").ok());
  }
  result unkept = run_cli({"--queue", "--new", "--root", dir.file("lib"), "--store", store});
  EXPECT_EQ(unkept.code, 1);
  EXPECT_NE(unkept.err.find("the headline store could not keep the run"), std::string::npos) << unkept.err;
  result plain_run = run_cli({"--queue", "--root", dir.file("lib"), "--store", store});
  EXPECT_EQ(plain_run.code, 0) << "a run that asks nothing of the history still prints its headlines";
  EXPECT_NE(plain_run.out.find("First"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::cli
