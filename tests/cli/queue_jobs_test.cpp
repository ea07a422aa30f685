// A console queue run with several sites at once: the blocks come out whole and in queue order
// however the sites finish, no host sees more than its limit, and --jobs 1 runs them one after
// another.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "tests/cli/run_cli.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::cli {
namespace {

using testing::result;
using testing::run_cli;

// Sites on two host names of one server ("127.0.0.1" and "localhost"); each reply waits a
// little (the first site's longest, so it ends last), and the server counts how many requests
// each host has open at once.
struct two_host_library {
  explicit two_host_library(int sites) {
    auto serve = [this](testing::http_connection& c, const testing::http_request& r) {
      const std::string host = r.headers.count("host") ? r.headers.at("host").substr(0, r.headers.at("host").find(':')) : "";
      {
        std::lock_guard hold(lock);
        peak[host] = std::max(peak[host], ++open[host]);
        peak_all = std::max(peak_all, ++open_all);
      }
      c.stall(std::chrono::milliseconds(r.path == "/s0" ? 400 : 120));
      {
        std::lock_guard hold(lock);
        --open[host];
        --open_all;
      }
      c.send(testing::http_server::reply(200, "<div class=s><a href='" + r.path + "/1'>Story of " + r.path.substr(1) +
                                                  "</a></div>"));
    };
    std::string queue = "<VANTREL_SITE_QUEUE>";
    for (int i = 0; i < sites; ++i) {
      const std::string name = "s" + std::to_string(i);
      server.route("/" + name, serve);
      std::string url = server.url("/" + name);
      if (i % 2 == 1) url.replace(url.find("127.0.0.1"), 9, "localhost");
      dir.write("lib/" + name + ".xml", "<parsedef name='" + name + "' url='" + url +
                                            "'><section match='substr'><start><div class='s'/></start>"
                                            "<headline><a/></headline></section></parsedef>");
      queue += "<SITE fname='" + name + ".xml'>" + name + "</SITE>";
    }
    dir.write("lib/queue.xml", queue + "</VANTREL_SITE_QUEUE>");
  }
  result run(std::vector<std::string> more) {
    std::vector<std::string> args = {"--queue", "--no-store", "--root", dir.file("lib")};
    args.insert(args.end(), more.begin(), more.end());
    return run_cli(args);
  }

  testing::temp_dir dir;
  testing::http_server server;
  std::mutex lock;
  std::map<std::string, int> open, peak;
  int open_all = 0, peak_all = 0;
};

TEST(QueueJobs, SitesAtOnceStayInQueueOrderAndWithinTheirHostsLimit) {
  two_host_library lib(8);
  const result text = lib.run({});
  ASSERT_EQ(text.code, 0) << text.err;
  std::string expected;
  for (int i = 0; i < 8; ++i) {
    const std::string name = "s" + std::to_string(i);
    expected += "# " + name + " (" + name + ".xml)\nStory of " + name + "\n  " + lib.server.url("/" + name) + "/1\n\n";
  }
  // The links of the "localhost" sites name that host.
  for (int i = 1; i < 8; i += 2) {
    const std::string from = lib.server.url("/s" + std::to_string(i));
    std::string to = from;
    to.replace(to.find("127.0.0.1"), 9, "localhost");
    expected.replace(expected.find(from + "/1"), from.size(), to);
  }
  EXPECT_EQ(text.out, expected) << "each block whole, in queue order, though s0 ended last";
  EXPECT_LE(lib.peak["127.0.0.1"], 2);
  EXPECT_LE(lib.peak["localhost"], 2);
  EXPECT_GT(lib.peak_all, 2) << "both hosts served at once";

  // JSON keeps the order too; one at a time, no two requests are open at once.
  lib.peak_all = 0;
  const result one = lib.run({"--jobs", "1", "--format", "json"});
  ASSERT_EQ(one.code, 0) << one.err;
  size_t at = 0;
  for (int i = 0; i < 8; ++i) {
    const size_t found = one.out.find("\"site\":\"s" + std::to_string(i) + "\"", at);
    ASSERT_NE(found, std::string::npos) << i;
    at = found;
  }
  EXPECT_EQ(lib.peak_all, 1);
  // With several at once, every progress line names its site; the summary ends them.
  const result progress = lib.run({"--progress", "--jobs", "4"});
  ASSERT_EQ(progress.code, 0) << progress.err;
  std::istringstream lines(progress.err);
  std::string line, last;
  while (std::getline(lines, line)) {
    if (!last.empty()) {
      EXPECT_TRUE(last[0] == 's' && last.find(": ") != std::string::npos) << last;
    }
    last = line;
  }
  EXPECT_EQ(last, "8 sites: 8 with headlines (8 new)") << "without a store every headline is new";
  EXPECT_EQ(run_cli({"--jobs", "0", "--queue"}).code, 2);
  EXPECT_EQ(run_cli({"--jobs", "4", "x.xml"}).code, 2) << "--jobs goes with --queue";
}

}  // namespace
}  // namespace vantrel::cli
