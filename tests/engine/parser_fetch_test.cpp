// Fetching pages from a local server that misbehaves on purpose. Every job that is not
// cancelled must end with exactly one pst_parsing_done; none may hang or crash, and the fetched
// page's temporary file goes with the parser.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "common/paths.h"
#include "common/trace_log.h"
#include "engine/curl_fetcher.h"
#include "tests/engine/parser_test_access.h"
#include "tests/engine/recorder.h"
#include "tests/engine/scripted_fetcher.h"
#include "tests/helpers/http_server.h"

extern char** environ;

namespace vantrel {
namespace {

using testing::http_connection;
using testing::http_request;
using testing::http_server;
using testing::one_section;
using V = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string anchor_rules = "<start><div/></start><headline><a/></headline>";
const std::string story_page = "<html><body><div><a href='/story'>Story</a></div></body></html>";

fetch_limits test_limits() {
  fetch_limits l;
  l.connect_timeout = 5s;
  l.stall_timeout = 5s;
  l.step = 20ms;
  return l;
}

// A parser with a real fetcher. cancel_after_code: the first report of that code (or any
// later one) answers -1, as a pressed Stop does.
struct fetch_run {
  explicit fetch_run(const std::string& parsedef = "", fetch_limits limits = test_limits())
      : fetcher(limits), p(std::make_unique<parser>(&rec, tidewatch_folder, &fetcher)) {
    if (!parsedef.empty()) {
      EXPECT_EQ(p->load_parsedef(dir.write("site.xml", parsedef)), 0);
    }
  }
  int run(const std::string& url) {
    int r = p->process_url(url);
    temp = parser_test_access::temp_fname(*p);
    return r;
  }
  long done_reports() const { return std::count(rec.statuses.begin(), rec.statuses.end(), pst_parsing_done); }
  bool temp_removed_with_parser() {
    p.reset();
    return temp.empty() || !std::filesystem::exists(temp);
  }

  testing::temp_dir dir;
  testing::recorder rec;
  curl_fetcher fetcher;
  std::unique_ptr<parser> p;
  std::string temp;
};

void serve(http_server& s, const std::string& path, const std::string& raw) {
  s.route(path, [raw](http_connection& c, const http_request&) { c.send(raw); });
}

TEST(Retrieval, AnOrdinaryPageReportsEveryPhaseAndSendsOurHeaders) {
  http_server server;
  serve(server, "/", http_server::reply(200, story_page, "Content-Type: text/html\r\n"));
  fetch_run r(one_section(anchor_rules, "", "url='" + server.url("/") + "' name='Local' charset='windows-1257'"));
  EXPECT_EQ(r.run(server.url("/")), 0);
  EXPECT_EQ(r.rec.summary(), (V{"Story | (none) | " + server.url("/story")}));
  ASSERT_GE(r.rec.statuses.size(), 4u);
  EXPECT_EQ(r.rec.statuses.front(), pst_finding_site);
  EXPECT_EQ(std::vector<int>(r.rec.statuses.end() - 3, r.rec.statuses.end()),
            (std::vector<int>{pst_done, pst_parsing, pst_parsing_done}));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].headers["user-agent"], "Vantrel/1.1 (Windows)");
  EXPECT_EQ(requests[0].headers["accept-charset"], "windows-1257");
  EXPECT_TRUE(r.temp_removed_with_parser());
}

// The User-Agent: the preferences' (set on the fetcher), unless the ParseDef names its own; one
// that would break the request's header lines is not sent.
TEST(Retrieval, TheUserAgentIsThePreferencesOrTheParseDefsOwn) {
  http_server server;
  serve(server, "/", http_server::reply(200, story_page, "Content-Type: text/html\r\n"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "Mine/1"},
      {" useragent='Gazette Reader/2'", "Gazette Reader/2"},
      {" useragent='Bad&#13;&#10;X-Injected: 1'", "Mine/1"},
  };
  for (const auto& [attribute, expected] : cases) {
    fetch_run r(one_section(anchor_rules, "", "url='" + server.url("/") + "' name='Local'" + attribute));
    r.fetcher.set_user_agent("Mine/1");
    const size_t before = server.requests().size();
    EXPECT_EQ(r.run(server.url("/")), 0);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), before + 1);
    EXPECT_EQ(requests.back().headers["user-agent"], expected) << attribute;
    EXPECT_EQ(requests.back().headers.count("x-injected"), 0u);
  }
}

TEST(Retrieval, AnUnchangedPageIsAskedForConditionallyAndNotParsed) {
  http_server server;
  const std::string etag = "\"v1\"", stamp = "Tue, 08 Dec 2026 10:00:00 GMT";
  server.route("/news", [&](http_connection& c, const http_request& request) {
    const auto match = request.headers.find("if-none-match");
    if (match != request.headers.end() && match->second == etag) {
      c.send(http_server::reply(304, "", "ETag: " + etag + "\r\n"));
    } else {
      c.send(http_server::reply(200, story_page, "ETag: " + etag + "\r\nLast-Modified: " + stamp + "\r\n"));
    }
  });
  fetch_run first(one_section(anchor_rules));
  EXPECT_EQ(first.run(server.url("/news")), 0);
  EXPECT_EQ(first.rec.summary().size(), 1u);
  EXPECT_FALSE(first.p->not_modified());
  const page_validators told = first.p->reply_validators();
  EXPECT_EQ(told, (page_validators{etag, stamp}));

  fetch_run again(one_section(anchor_rules));
  again.p->set_validators(told);
  EXPECT_EQ(again.run(server.url("/news")), 0);
  EXPECT_TRUE(again.p->not_modified());
  EXPECT_EQ(again.p->http_status(), 304);
  EXPECT_TRUE(again.rec.summary().empty());
  EXPECT_EQ(again.done_reports(), 1);
  EXPECT_EQ(again.p->reply_validators(), told) << "what the 304 left out is kept";
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].headers.count("if-none-match"), 0u);
  EXPECT_EQ(requests[1].headers["if-none-match"], etag);
  EXPECT_EQ(requests[1].headers["if-modified-since"], stamp);

  // A stored value that would forge a header line is not sent; the page comes whole.
  fetch_run forged(one_section(anchor_rules));
  forged.p->set_validators({etag + "\r\nX-Evil: 1", std::nullopt});
  EXPECT_EQ(forged.run(server.url("/news")), 0);
  EXPECT_FALSE(forged.p->not_modified());
  requests = server.requests();
  EXPECT_EQ(requests.back().headers.count("if-none-match"), 0u);
  EXPECT_EQ(requests.back().headers.count("x-evil"), 0u);
}

TEST(Retrieval, BodiesInEveryShapeArriveWhole) {
  const std::string body =
      "<html><body><div><a href='/story'>Story " + std::string(20000, 'x') + "</a></div></body></html>";
  http_server server;
  serve(server, "/length", http_server::reply(200, body));
  serve(server, "/close", http_server::reply(200, body, "", false));
  serve(server, "/chunked",
        http_server::reply(200, http_server::chunked(body, 777), "Transfer-Encoding: chunked\r\n", false));
  serve(server, "/gzip", http_server::reply(200, http_server::gzip(body), "Content-Encoding: gzip\r\n"));
  for (const char* path : {"/length", "/close", "/chunked", "/gzip"}) {
    fetch_run r(one_section(anchor_rules));
    EXPECT_EQ(r.run(server.url(path)), 0) << path << ": " << r.p->failure();
    EXPECT_EQ(r.rec.items.size(), 1u) << path;
    EXPECT_EQ(r.done_reports(), 1) << path;
    EXPECT_TRUE(r.temp_removed_with_parser()) << path;
  }
}

// A site that answers with an error page of its usual layout: no headline comes of it, the run
// fails saying the reply's status, and its events still reach whoever watches the page.
TEST(Retrieval, AnErrorReplyIsAFailureWhateverItsBodyHolds) {
  http_server server;
  serve(server, "/gone", http_server::reply(404, story_page));
  serve(server, "/broken", http_server::reply(500, story_page));
  serve(server, "/odd", http_server::reply(599, story_page));
  serve(server, "/empty", http_server::reply(503, ""));
  const struct {
    const char* path;
    const char* failure;
  } cases[] = {
      {"/gone", "HTTP 404 Not Found"},
      {"/broken", "HTTP 500 Internal Server Error"},
      {"/odd", "HTTP 599"},
      {"/empty", "HTTP 503 Service Unavailable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    fetch_run r(one_section(anchor_rules));
    EXPECT_EQ(r.run(server.url(c.path)), -1);
    EXPECT_EQ(r.p->failure().code(), status_code::unavailable);
    EXPECT_EQ(r.p->failure().message(), c.failure);
    EXPECT_TRUE(r.rec.items.empty()) << "the error page's links are no headlines";
    EXPECT_EQ(r.done_reports(), 1);
    const bool story_seen = std::find(r.rec.events.begin(), r.rec.events.end(), "text Story") != r.rec.events.end();
    EXPECT_EQ(story_seen, std::string(c.path) != "/empty") << "its body still shows in Parsed Source";
    EXPECT_TRUE(r.temp_removed_with_parser());
  }
  // The rules still stand for the next page the parser reads.
  serve(server, "/ok", http_server::reply(200, story_page));
  fetch_run r(one_section(anchor_rules));
  EXPECT_EQ(r.run(server.url("/gone")), -1);
  EXPECT_EQ(r.run(server.url("/ok")), 0);
  EXPECT_EQ(r.rec.items.size(), 1u);
}

// A 304 to a request that asked nothing conditionally is no "unchanged": the run fails and
// keeps no validators, so the next run asks for the page whole.
TEST(Retrieval, ANotModifiedNobodyAskedForIsAFailure) {
  http_server server;
  serve(server, "/news", http_server::reply(304, "", "ETag: \"stale\"\r\n"));
  for (const page_validators& sent : {page_validators{}, page_validators{std::string("\"a\"\nX: 1"), std::nullopt}}) {
    fetch_run r(one_section(anchor_rules));
    r.p->set_validators(sent);
    EXPECT_EQ(r.run(server.url("/news")), -1);
    EXPECT_FALSE(r.p->not_modified());
    EXPECT_EQ(r.p->failure().message(), "HTTP 304 Not Modified, though the page was not asked for conditionally");
    EXPECT_TRUE(r.p->reply_validators().empty()) << "its ETag is not kept";
    EXPECT_EQ(r.done_reports(), 1);
  }
}

TEST(Retrieval, ProgressCountsWireBytesAgainstTheAnnouncedLength) {
  http_server server;
  const std::string body = "<html><body>" + std::string(400000, 'y') + "</body></html>";
  const std::string packed = http_server::gzip(body);
  server.route("/slow-gzip", [&](http_connection& c, const http_request&) {
    std::string raw = http_server::reply(200, packed, "Content-Encoding: gzip\r\n");
    for (size_t i = 0; i < raw.size(); i += 200) {
      c.send(raw.substr(i, 200));
      c.stall(2ms);
    }
  });
  long long last_read = -1, last_total = 0;
  struct observer {
    long long* read;
    long long* total;
  } o{&last_read, &last_total};
  curl_fetcher fetcher(test_limits());
  testing::temp_dir dir;
  fetch_result got =
      fetcher.fetch({server.url("/slow-gzip"), std::nullopt, dir.file("body"), {}, {}}, [&o](const fetch_progress& p) {
        if (p.phase == fetch_phase::response_body) {
          *o.read = p.bytes_read;
          *o.total = p.bytes_total;
          EXPECT_LE(p.bytes_read, p.bytes_total);
        }
        return 0;
      });
  EXPECT_TRUE(got.done()) << got.failure.message();
  EXPECT_EQ(last_total, static_cast<long long>(packed.size()));
  EXPECT_EQ(got.body_bytes, static_cast<long long>(body.size()));
}

TEST(Retrieval, FailedFetchesEndWithOneParsingDone) {
  http_server server;
  serve(server, "/empty", http_server::reply(200, ""));
  server.route("/reset", [](http_connection& c, const http_request&) {
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'z'));
    c.reset();
  });
  server.route("/stall-headers", [](http_connection& c, const http_request&) { c.stall(30s); });
  server.route("/stall-body", [](http_connection& c, const http_request&) {
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<html>");
    c.stall(30s);
  });
  serve(server, "/huge", http_server::reply(200, std::string(2u << 20, 'h')));

  struct row {
    std::string url;
    int result;
    std::string failure;
  };
  const row cases[] = {
      {"http://127.0.0.1:" + std::to_string(testing::closed_port()) + "/", -1, "onnect"},
      {"http://nohost.invalid/", -1, "esolv"},  // "Could not resolve" or "Resolving timed out"
      {server.url("/empty"), 0, ""},
      {server.url("/reset"), -1, ""},
      {server.url("/stall-headers"), -1, "sent nothing for 0.3 s"},
      {server.url("/stall-body"), -1, "sent nothing for 0.3 s"},
      {server.url("/huge"), -1, "larger than 1 MiB"},
      {"ftp://127.0.0.1/", -1, "not an http or https address"},
  };
  for (const row& c : cases) {
    fetch_limits limits = test_limits();
    limits.stall_timeout = 300ms;
    limits.max_body = 1u << 20;
    fetch_run r("", limits);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(r.run(c.url), c.result) << c.url;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << c.url;
    EXPECT_EQ(r.done_reports(), 1) << c.url;
    EXPECT_EQ(r.rec.statuses.back(), pst_parsing_done) << c.url;
    EXPECT_NE(r.p->failure().message().find(c.failure), std::string::npos) << c.url << ": " << r.p->failure();
    EXPECT_TRUE(r.temp_removed_with_parser()) << c.url;
  }
}

TEST(Retrieval, RedirectsByLocationAnchorAndMetaRefresh) {
  http_server server;
  const std::string final_page = "<html><body><div><a href='story.html'>Story</a></div></body></html>";
  serve(server, "/news/final.html", http_server::reply(200, final_page));
  serve(server, "/301", http_server::reply(301, "", "Location: /news/final.html\r\n"));
  serve(server, "/302",
        http_server::reply(302, "<a href='x'>x</a>", "Location: " + server.url("/news/final.html") + "\r\n"));
  serve(server, "/302-anchor",
        http_server::reply(302, "<html><body><a href='/news/final.html'>moved</a></body></html>"));
  serve(server, "/meta0",
        http_server::reply(200, "<meta http-equiv='refresh' content='0; url=" + server.url("/news/final.html") + "'>"));
  serve(server, "/meta20", http_server::reply(200, "<meta http-equiv='refresh' content='20;url=/news/final.html'>"));
  serve(server, "/meta30", http_server::reply(200, "<meta http-equiv='refresh' content='30;url=/news/final.html'>"));
  for (const char* path : {"/301", "/302", "/302-anchor", "/meta0", "/meta20"}) {
    fetch_run r(one_section(anchor_rules, "", "url='" + server.url("/") + "'"));
    EXPECT_EQ(r.run(server.url(path)), 0) << path << ": " << r.p->failure();
    // Links on the new page are joined with its own address.
    EXPECT_EQ(r.rec.summary(), (V{"Story | (none) | " + server.url("/news/story.html")})) << path;
    EXPECT_EQ(r.done_reports(), 1) << path;
    EXPECT_EQ(std::count(r.rec.statuses.begin(), r.rec.statuses.end(), pst_finding_site), 2) << path;
  }
  fetch_run slow(one_section(anchor_rules, "", "url='" + server.url("/") + "'"));
  EXPECT_EQ(slow.run(server.url("/meta30")), 0);
  EXPECT_EQ(server.requests().back().path, "/meta30");  // a slow refresh is not followed
}

TEST(Retrieval, A301AnchorIsOnlyFollowedBeforeAHeadline) {
  http_server server;
  serve(server, "/moved",
        http_server::reply(301, "<html><body><div><a href='/elsewhere'>Headline</a></div></body></html>"));
  fetch_run r(one_section(anchor_rules, "", "url='" + server.url("/") + "'"));
  EXPECT_EQ(r.run(server.url("/moved")), 0);
  EXPECT_EQ(r.rec.summary(), (V{"Headline | (none) | " + server.url("/elsewhere")}));
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(Retrieval, RedirectLoopsEndAfterTenRedirects) {
  http_server server;
  serve(server, "/loop", http_server::reply(302, "", "Location: /loop\r\n"));
  fetch_run r;
  EXPECT_EQ(r.run(server.url("/loop")), -1);
  EXPECT_EQ(server.requests().size(), 11u);
  EXPECT_EQ(r.done_reports(), 1);
  EXPECT_NE(r.p->failure().message().find("more than 10 redirects"), std::string::npos);
}

TEST(Retrieval, TheReplysCharsetDecodesThePage) {
  http_server server;
  serve(server, "/ru",
        http_server::reply(200, "<html><body><p>\xCF\xF0\xE8\xE2\xE5\xF2</p></body></html>",
                           "Content-Type: text/html; charset=\"windows-1251\"\r\n"));
  fetch_run r;
  EXPECT_EQ(r.run(server.url("/ru")), 0);
  EXPECT_EQ(r.rec.texts(), (V{"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"}));
}

TEST(Retrieval, StopIsNoticedQuicklyAndReportsNothingMore) {
  http_server server;
  server.route("/stall", [](http_connection& c, const http_request&) { c.stall(30s); });
  server.route("/body", [](http_connection& c, const http_request&) {
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<html>");
    c.stall(30s);
  });
  for (const char* path : {"/stall", "/body"}) {
    fetch_run r;
    std::atomic<bool> stop{false};
    struct owner_state : job_callbacks {
      std::atomic<bool>* stop;
      std::vector<int> codes;
      int status(int code, const char*) override {
        codes.push_back(code);
        return stop->load() ? -1 : 0;
      }
    } state;
    state.stop = &stop;
    parser p(&state, tidewatch_folder, &r.fetcher);
    std::chrono::steady_clock::time_point pressed;
    std::thread stopper([&] {
      std::this_thread::sleep_for(300ms);
      pressed = std::chrono::steady_clock::now();
      stop = true;
      r.fetcher.wake();
    });
    EXPECT_EQ(p.process_url(server.url(path)), -1);
    auto noticed = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_LT(noticed - pressed, 1s) << path;  // bench/run measures it closely
    EXPECT_EQ(std::count(state.codes.begin(), state.codes.end(), pst_parsing_done), 0) << path;
  }
}

// A local HTTPS server from the openssl tool, with a certificate for 127.0.0.1 that no
// authority signed.
class tls_server {
 public:
  tls_server() {
    port_ = testing::closed_port();
    std::string data = VANTREL_TEST_DATA;
    std::vector<std::string> args = {"openssl", "s_server",
                                     "-quiet",  "-www",
                                     "-accept", std::to_string(port_),
                                     "-cert",   data + "/local-https.pem",
                                     "-key",    data + "/local-https.key"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ok_ = posix_spawnp(&pid_, "openssl", &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; ok_ && i < 100 && !listening(); ++i) std::this_thread::sleep_for(50ms);
  }
  ~tls_server() {
    if (ok_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool ok() const { return ok_; }
  std::string url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  bool listening() const {
    curl_fetcher probe(test_limits());
    testing::temp_dir d;
    fetch_result r = probe.fetch({url(), std::nullopt, d.file("b"), {}, {}}, [](const fetch_progress&) { return 0; });
    return r.failure.message().find("onnect") == std::string::npos;
  }
  pid_t pid_ = 0;
  int port_ = 0;
  bool ok_ = false;
};

TEST(Retrieval, HttpsChecksTheCertificate) {
  tls_server server;
  ASSERT_TRUE(server.ok()) << "the openssl tool is needed for this test";
  {
    testing::scoped_env ca("CURL_CA_BUNDLE", "/etc/ssl/certs/ca-certificates.crt");
    fetch_run untrusted;
    EXPECT_EQ(untrusted.run(server.url()), -1);
    EXPECT_NE(untrusted.p->failure().message().find("certificate"), std::string::npos) << untrusted.p->failure();
    EXPECT_EQ(untrusted.done_reports(), 1);
  }
  testing::scoped_env ca("CURL_CA_BUNDLE", std::string(VANTREL_TEST_DATA) + "/local-https.pem");
  fetch_run trusted;
  EXPECT_EQ(trusted.run(server.url()), 0) << trusted.p->failure();
  EXPECT_FALSE(trusted.rec.texts().empty());
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// Failures played by a scripted fetcher: each ends the job once, with its trace line.
TEST(Retrieval, ScriptedFailuresEndTheJobOnceWithTheirTraceLine) {
  using testing::scripted_reply;
  using store = fetch_result::store_failure;
  const scripted_reply moved{302, "", std::string("/next")};
  struct row {
    const char* name;
    std::vector<scripted_reply> replies;
    const char* charset;
    const char* trace_line;
    size_t requests;
  };
  const row rows[] = {
      {"an eleventh redirect", std::vector<scripted_reply>(11, moved), nullptr,
       "process_url: more than 10 redirects, giving up at http://site.example/next", 11},
      {"a body file that cannot be opened", {{200, "<p/>", {}, true, store::open}}, nullptr, "Unable to open file ", 1},
      {"a body that cannot be written",
       {{200, "<p/>", {}, true, store::write}},
       nullptr,
       "Unable to write body to file ",
       1},
      {"a charset that would forge header lines",
       {{200, "<p/>"}},
       "utf-8&#13;&#10;X-Forged: 1",
       "fetch_page: the ParseDef's charset holds control characters",
       0},
  };
  for (const row& c : rows) {
    testing::temp_dir t;
    the_trace_log().start(t.file("Vantrace.txt"));
    testing::recorder rec;
    testing::scripted_fetcher fetcher;
    fetcher.replies.assign(c.replies.begin(), c.replies.end());
    parser p(&rec, tidewatch_folder, &fetcher);
    const std::string charset = c.charset ? std::string(" charset='") + c.charset + "'" : "";
    ASSERT_EQ(p.load_parsedef(t.write("s.xml", "<parsedef url='http://site.example/'" + charset + "/>")), 0);
    EXPECT_EQ(p.process_url(p.get_url()), -1) << c.name;
    the_trace_log().stop();
    EXPECT_EQ(std::count(rec.statuses.begin(), rec.statuses.end(), pst_parsing_done), 1) << c.name;
    EXPECT_EQ(fetcher.requests.size(), c.requests) << c.name;
    EXPECT_NE(testing::read_file(t.file("Vantrace.txt")).find(c.trace_line), std::string::npos) << c.name;
  }
}

}  // namespace
}  // namespace vantrel
