// A queue of 200 sites on a loopback server through "tidewatch-cli --queue": the total time
// and the time per site, against one site run alone by the same program in the same run; the
// queue keeping its runs in the headline store against the same queue with --no-store; and 200
// sites on 200 loopback addresses, each reply 100 ms away, fetched 16 at once against one at a
// time (time and peak memory), with the most connections one host of 20 sites saw at once.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/helpers/http_server.h"

namespace {

using clock_type = std::chrono::steady_clock;

void write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

long last_peak_kb = 0;  // the peak memory of the last run

// Runs the program with args, its output thrown away; the seconds it took.
double run(const std::vector<std::string>& args) {
  std::fflush(nullptr);  // or the child would print what is still buffered here
  const auto start = clock_type::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  last_peak_kb = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "queue_bench: the run failed\n");
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: queue_bench TIDEWATCH-CLI\n");
    return 2;
  }
  constexpr int sites = 200;
  vantrel::testing::http_server server;
  std::string page = "<html><body><div class=s>";
  for (int i = 0; i < 30; ++i) page += "<a href='/story" + std::to_string(i) + "'>Story " + std::to_string(i) + "</a>";
  page += "</div></body></html>";
  server.route("/", [&](vantrel::testing::http_connection& c, const vantrel::testing::http_request&) {
    c.send(vantrel::testing::http_server::reply(200, page, "Content-Type: text/html\r\n"));
  });
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("queue-bench-" + std::to_string(getpid()));
  std::string queue = "<VANTREL_SITE_QUEUE>";
  for (int i = 0; i < sites; ++i) {
    const std::string name = "Cat" + std::to_string(i % 10) + "/site" + std::to_string(i) + ".xml";
    write(root / name, "<parsedef name='Site " + std::to_string(i) + "' url='" + server.url("/") +
                           "'><section match='substr'><start><div class='s'/></start><headline><a/></headline>"
                           "</section></parsedef>");
    queue += "<SITE fname='" + name + "'>Site " + std::to_string(i) + "</SITE>";
  }
  write(root / "queue.xml", queue + "</VANTREL_SITE_QUEUE>");

  const std::string store = (root / "headlines.db").string();
  double single = 1e9;
  for (int r = 0; r < 5; ++r)
    single = std::min(single, run({argv[1], "--no-store", (root / "Cat0/site0.xml").string()}));
  const double whole = run({argv[1], "--queue", "--no-store", "--root", root.string()});
  std::printf(
      "queue of %d sites through tidewatch-cli --queue: %.2f s, %.1f ms per site; one site alone %.1f ms "
      "(ratio per site %.2f)\n",
      sites, whole, whole * 1000 / sites, single * 1000, whole / sites / single);
  // The store's first run makes it and adds every headline; later ones find them there.
  run({argv[1], "--queue", "--store", store, "--root", root.string()});
  double with_store = 1e9, without = 1e9;
  for (int r = 0; r < 5; ++r) {
    with_store = std::min(with_store, run({argv[1], "--queue", "--store", store, "--root", root.string()}));
    without = std::min(without, run({argv[1], "--queue", "--no-store", "--root", root.string()}));
  }
  std::printf("the same queue keeping its runs in the headline store: %.2f s, with --no-store %.2f s, ratio %.2f\n",
              with_store, without, with_store / without);

  // A slow network: 200 sites, each on a loopback address of its own, each reply 100 ms away.
  const std::filesystem::path far = root / "far";
  std::vector<std::unique_ptr<vantrel::testing::http_server>> hosts;
  std::string far_queue = "<VANTREL_SITE_QUEUE>";
  for (int i = 0; i < sites; ++i) {
    auto& host = hosts.emplace_back(std::make_unique<vantrel::testing::http_server>(static_cast<unsigned char>(i + 2)));
    host->route("/", [&page](vantrel::testing::http_connection& c, const vantrel::testing::http_request&) {
      c.stall(std::chrono::milliseconds(100));
      c.send(vantrel::testing::http_server::reply(200, page, "Content-Type: text/html\r\n"));
    });
    const std::string name = "site" + std::to_string(i) + ".xml";
    write(far / name, "<parsedef name='Site " + std::to_string(i) + "' url='" + host->url("/") +
                          "'><section match='substr'><start><div class='s'/></start><headline><a/></headline>"
                          "</section></parsedef>");
    far_queue += "<SITE fname='" + name + "'>Site " + std::to_string(i) + "</SITE>";
  }
  write(far / "queue.xml", far_queue + "</VANTREL_SITE_QUEUE>");
  const double one_at_a_time = run({argv[1], "--queue", "--no-store", "--jobs", "1", "--root", far.string()});
  const long one_kb = last_peak_kb;
  double at_once = 1e9;
  long at_once_kb = 0;
  for (int r = 0; r < 3; ++r) {
    at_once = std::min(at_once, run({argv[1], "--queue", "--no-store", "--jobs", "16", "--root", far.string()}));
    at_once_kb = std::max(at_once_kb, last_peak_kb);
  }
  std::printf(
      "200 sites on 200 hosts, each 100 ms away: 16 at once %.2f s, one at a time %.2f s (%.1fx faster); "
      "peak memory %ld KB against %ld KB (ratio %.2f)\n",
      at_once, one_at_a_time, one_at_a_time / at_once, at_once_kb, one_kb,
      static_cast<double>(at_once_kb) / static_cast<double>(one_kb));

  // Politeness: 20 sites of one host, 16 at once; the most connections it has open at once.
  vantrel::testing::http_server one_host;
  std::mutex lock;
  int open = 0, most = 0;
  one_host.route("/", [&](vantrel::testing::http_connection& c, const vantrel::testing::http_request&) {
    {
      std::lock_guard hold(lock);
      most = std::max(most, ++open);
    }
    c.stall(std::chrono::milliseconds(100));
    {
      std::lock_guard hold(lock);
      --open;
    }
    c.send(vantrel::testing::http_server::reply(200, page, "Content-Type: text/html\r\n"));
  });
  const std::filesystem::path near = root / "near";
  std::string near_queue = "<VANTREL_SITE_QUEUE>";
  for (int i = 0; i < 20; ++i) {
    const std::string name = "site" + std::to_string(i) + ".xml";
    write(near / name, "<parsedef name='Site " + std::to_string(i) + "' url='" + one_host.url("/") +
                           "'><section match='substr'><start><div class='s'/></start><headline><a/></headline>"
                           "</section></parsedef>");
    near_queue += "<SITE fname='" + name + "'>Site " + std::to_string(i) + "</SITE>";
  }
  write(near / "queue.xml", near_queue + "</VANTREL_SITE_QUEUE>");
  const double polite = run({argv[1], "--queue", "--no-store", "--jobs", "16", "--root", near.string()});
  std::printf("20 sites of one host, 16 at once: %.2f s, at most %d connections to it at once (limit 2)\n", polite,
              most);
  std::filesystem::remove_all(root);
  return 0;
}
