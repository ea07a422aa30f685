// A queue of 200 sites on a loopback server through "tidewatch-cli --queue": the total time
// and the time per site, against one site run alone by the same program in the same run; and
// the queue keeping its runs in the headline store against the same queue with --no-store.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/helpers/http_server.h"

namespace {

using clock_type = std::chrono::steady_clock;

void write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

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
  waitpid(pid, &status, 0);
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
  std::filesystem::remove_all(root);
  return 0;
}
