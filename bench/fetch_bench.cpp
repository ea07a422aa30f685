// Times a whole fetch-and-parse job against curl fetching the same page from the same
// loopback server, in one run, and measures how quickly a Stop ends a job whose server is
// silent.   fetch_bench PAGE PARSEDEF
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "common/paths.h"
#include "engine/curl_fetcher.h"
#include "engine/mtparser.h"
#include "engine/parser.h"
#include "tests/helpers/http_server.h"

extern char** environ;

namespace {

using namespace std::chrono;
using vantrel::testing::http_connection;
using vantrel::testing::http_request;
using vantrel::testing::http_server;

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

double seconds_of(steady_clock::duration d) { return duration<double>(d).count(); }

double time_curl(const std::string& url, const std::string& to) {
  std::vector<std::string> args = {"curl", "-s", "-o", to, url};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto start = steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return seconds_of(steady_clock::now() - start);
}

size_t run_job(const std::string& parsedef, vantrel::page_fetcher& fetcher) {
  vantrel::bench::item_counter c;
  vantrel::parser_job job;
  job.callbacks = &c;
  job.parsedef_fname = parsedef;
  job.fetcher = &fetcher;
  vantrel::mtparser_func(job);
  return job.ret == 0 ? c.items : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fetch_bench PAGE PARSEDEF\n");
    return 2;
  }
  vantrel::curl_library_init();
  const std::string page = read(argv[1]);
  http_server server;
  const std::string reply = http_server::reply(200, page, "Content-Type: text/html; charset=utf-8\r\n");
  server.route("/page", [&](http_connection& c, const http_request&) { c.send(reply); });
  server.route("/stall", [](http_connection& c, const http_request&) { c.stall(seconds(30)); });

  // The ParseDef, pointed at the loopback server.
  std::string pd = read(argv[2]);
  size_t at = pd.find("url=\"");
  pd.replace(at + 5, pd.find('"', at + 5) - at - 5, server.url("/page"));
  const std::string parsedef = std::string(argv[2]) + ".loopback.xml";
  std::ofstream(parsedef) << pd;

  vantrel::curl_fetcher fetcher;
  const std::string body_file = parsedef + ".body";
  double best_curl = 1e9, best_curl_file = 1e9, best_fetch = 1e9, best_job = 1e9;
  size_t items = 0;
  for (int round = 0; round < 5; ++round) {
    best_curl = std::min(best_curl, time_curl(server.url("/page"), "/dev/null"));
    best_curl_file = std::min(best_curl_file, time_curl(server.url("/page"), body_file));
    auto start = steady_clock::now();
    fetcher.fetch({server.url("/page"), std::nullopt, body_file, {}}, [](const vantrel::fetch_progress&) { return 0; });
    auto fetched = steady_clock::now();
    items = run_job(parsedef, fetcher);
    auto done = steady_clock::now();
    best_fetch = std::min(best_fetch, seconds_of(fetched - start));
    best_job = std::min(best_job, seconds_of(done - fetched));
  }
  std::remove(body_file.c_str());
  std::printf("page: %.1f MB over loopback, %zu headlines extracted\n", page.size() / 1e6, items);
  std::printf("curl -o /dev/null (baseline):  %8.1f ms\n", best_curl * 1e3);
  std::printf("curl -o FILE (same disk):       %8.1f ms\n", best_curl_file * 1e3);
  std::printf("the fetch alone (to its file): %8.1f ms   ratio to curl %.2f\n", best_fetch * 1e3,
              best_fetch / best_curl);
  std::printf("whole job (fetch and parse):   %8.1f ms   ratio to curl %.2f  (goal: at most 1.50)\n", best_job * 1e3,
              best_job / best_curl);

  // Stop against a silent server: from the press to the job's end.
  std::vector<double> latencies;
  for (int round = 0; round < 10; ++round) {
    std::atomic<bool> stop{false};
    struct stoppable : vantrel::job_callbacks {
      std::atomic<bool>& stop;
      explicit stoppable(std::atomic<bool>& s) : stop(s) {}
      int status(int, const char*) override { return stop.load() ? -1 : 0; }
    } cb(stop);
    vantrel::parser p(&cb, vantrel::tidewatch_folder, &fetcher);
    steady_clock::time_point pressed;
    std::thread stopper([&] {
      std::this_thread::sleep_for(milliseconds(100));
      pressed = steady_clock::now();
      stop = true;
      fetcher.wake();
    });
    p.process_url(server.url("/stall"));
    auto ended = steady_clock::now();
    stopper.join();
    latencies.push_back(seconds_of(ended - pressed) * 1e3);
  }
  std::sort(latencies.begin(), latencies.end());
  std::printf("stop latency against a silent server: median %.2f ms, worst %.2f ms of %zu  (goal: under 100 ms)\n",
              latencies[latencies.size() / 2], latencies.back(), latencies.size());
  std::remove(parsedef.c_str());
  return 0;
}
