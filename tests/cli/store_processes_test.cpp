// The headline store shared by programs: two console runs writing at once wait for each other,
// and a run killed at any moment leaves a store that reads whole, with every site run it
// completed. The real program runs in processes of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/headline_store.h"
#include "common/sqlite_db.h"
#include "tests/helpers/http_server.h"
#include "tests/helpers/temp_dir.h"

extern char** environ;

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// The console program with args, its output thrown away (or into output) and its messages into
// errors, when given; its process id.
pid_t start_program(const std::vector<std::string>& args, const std::string& errors = "/dev/null",
                    const std::string& output = "/dev/null") {
  std::vector<std::string> words{VANTREL_CLI_PROGRAM};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(failed, 0);
  return pid;
}

int wait_for(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// What SQLite's own check of every page says: "ok" for a sound file.
std::string integrity(sqlite_db& db) {
  auto check = db.prepare("PRAGMA integrity_check");
  return check.step() ? check.text(0) : "no answer";
}

std::int64_t count(sqlite_db& db, const std::string& sql) {
  auto query = db.prepare(sql);
  return query.step() ? query.integer(0) : -1;
}

// A library of sites whose pages the server makes, each with a few headlines of its own.
struct site_library {
  explicit site_library(int sites) {
    std::string queue = "<VANTREL_SITE_QUEUE>";
    for (int i = 0; i < sites; ++i) add(queue, "s" + std::to_string(i));
    dir.write("lib/queue.xml", queue + "</VANTREL_SITE_QUEUE>");
  }
  void add(std::string& queue, const std::string& name) {
    server.route("/" + name, [](testing::http_connection& c, const testing::http_request& r) {
      if (r.path == "/slow") {
        c.stall(30s);  // held until the server goes
        return;
      }
      std::string page = "<div class=s>";
      const int headlines = r.path == "/big" ? 20000 : 5;
      for (int i = 0; i < headlines; ++i)
        page += "<a href='" + r.path + "/" + std::to_string(i) + "'>News " + r.path + "</a>";
      c.send(testing::http_server::reply(200, page + "</div>"));
    });
    dir.write("lib/" + name + ".xml", "<parsedef name='" + name + "' url='" + server.url("/" + name) +
                                          "'><section match='substr'><start><div class='s'/></start>"
                                          "<headline><a/></headline></section></parsedef>");
    queue += "<SITE fname='" + name + ".xml'>" + name + "</SITE>";
  }
  std::vector<std::string> args() const { return {"--queue", "--root", dir.file("lib"), "--store", dir.file("s.db")}; }

  testing::temp_dir dir;
  testing::http_server server;
};

TEST(StoreProcesses, TwoProgramsWritingAtOnceWaitForEachOther) {
  site_library lib(30);
  const pid_t first = start_program(lib.args(), lib.dir.file("first.txt"));
  const pid_t second = start_program(lib.args(), lib.dir.file("second.txt"));
  EXPECT_EQ(wait_for(first), 0);
  EXPECT_EQ(wait_for(second), 0);
  EXPECT_EQ(testing::read_file(lib.dir.file("first.txt")), "") << "no run was refused";
  EXPECT_EQ(testing::read_file(lib.dir.file("second.txt")), "");
  sqlite_db db;
  ASSERT_TRUE(db.open(lib.dir.file("s.db"), false).ok());
  EXPECT_EQ(integrity(db), "ok");
  EXPECT_EQ(count(db, "SELECT count(*) FROM runs WHERE outcome = 0"), 30) << "every site's run is kept";
  EXPECT_EQ(count(db, "SELECT count(*) FROM headlines"), 30 * 5);
}

// Three --new runs over one queue at once: each new headline is printed by one of them only.
TEST(StoreProcesses, RunsAtOnceCallEachHeadlineNewOnce) {
  site_library lib(30);
  std::vector<std::string> args = lib.args();
  args.push_back("--new");
  std::vector<pid_t> runs;
  for (int i = 0; i < 3; ++i)
    runs.push_back(start_program(args, lib.dir.file("err" + std::to_string(i)), lib.dir.file("out" + std::to_string(i))));
  size_t printed = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(wait_for(runs[static_cast<size_t>(i)]), 0) << testing::read_file(lib.dir.file("err" + std::to_string(i)));
    const std::string out = testing::read_file(lib.dir.file("out" + std::to_string(i)));
    for (size_t at = out.find("\nNews "); at != std::string::npos; at = out.find("\nNews ", at + 1)) ++printed;
  }
  EXPECT_EQ(printed, 30u * 5);
}

TEST(StoreProcesses, AKilledRunLeavesEveryCompletedRun) {
  site_library lib(0);
  std::string queue = "<VANTREL_SITE_QUEUE>";
  for (int i = 0; i < 6; ++i) lib.add(queue, "s" + std::to_string(i));
  lib.add(queue, "slow");  // the run is killed while it waits for this one
  lib.dir.write("lib/queue.xml", queue + "</VANTREL_SITE_QUEUE>");
  const pid_t run = start_program(lib.args());
  // Killed once six runs are complete while it waits for the slow page.
  for (int i = 0; i < 1000; ++i) {
    bool asked = false;
    for (const auto& request : lib.server.requests()) asked = asked || request.path == "/slow";
    std::int64_t kept = 0;
    if (asked && std::filesystem::exists(lib.dir.file("s.db"))) {
      sqlite_db peek;
      if (peek.open(lib.dir.file("s.db"), false).ok()) {
        try {
          kept = count(peek, "SELECT count(*) FROM runs");
        } catch (const sqlite_error&) {
          kept = 0;  // still being made
        }
      }
    }
    if (kept == 6) break;
    std::this_thread::sleep_for(10ms);
  }
  kill(run, SIGKILL);
  EXPECT_EQ(wait_for(run), -SIGKILL);

  sqlite_db db;
  ASSERT_TRUE(db.open(lib.dir.file("s.db"), false).ok());
  EXPECT_EQ(integrity(db), "ok");
  EXPECT_EQ(count(db, "SELECT count(*) FROM runs"), 6);
  EXPECT_EQ(count(db, "SELECT count(*) FROM headlines"), 6 * 5) << "each completed run whole";
  db.close();
  std::string notice;
  auto reopened = headline_store::open(lib.dir.file("s.db"), &notice);
  EXPECT_TRUE(reopened) << reopened.message();
  EXPECT_EQ(notice, "") << "not taken for damaged";
}

// Killed while it writes a site of many headlines, at a few moments: each time the store reads
// whole and holds that site's run whole or not at all.
TEST(StoreProcesses, AKillDuringAWriteLosesOnlyThatRun) {
  site_library lib(0);
  std::string queue = "<VANTREL_SITE_QUEUE>";
  lib.add(queue, "s0");
  lib.add(queue, "big");
  lib.dir.write("lib/queue.xml", queue + "</VANTREL_SITE_QUEUE>");
  for (int delay_ms : {0, 15, 30, 60}) {
    const size_t before = lib.server.requests().size();
    const pid_t run = start_program(lib.args());
    for (int i = 0; i < 1000 && lib.server.requests().size() < before + 2; ++i) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    kill(run, SIGKILL);
    wait_for(run);
    sqlite_db db;
    ASSERT_TRUE(db.open(lib.dir.file("s.db"), false).ok());
    EXPECT_EQ(integrity(db), "ok") << delay_ms;
    const std::int64_t big =
        count(db, "SELECT count(*) FROM headlines h JOIN sites s ON s.id = h.site WHERE s.key = 'big.xml'");
    EXPECT_TRUE(big == 0 || big == static_cast<std::int64_t>(headline_store::max_run_headlines))
        << big << " after " << delay_ms << " ms";
  }
}

// A small file system of its own, mounted for the test when the test may (as root, with the
// right to mount); unmounted at the end.
struct small_disk {
  explicit small_disk(const std::string& where) : path(where) {
    std::filesystem::create_directories(path);
    mounted = mount("tmpfs", path.c_str(), "tmpfs", 0, "size=512k") == 0;
  }
  ~small_disk() {
    if (mounted) umount2(path.c_str(), MNT_DETACH);
  }
  // Fills what is left of it; the filler goes with forget().
  void fill() {
    std::ofstream out(path + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (out.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
  }
  void forget() { std::filesystem::remove(path + "/filler"); }
  std::string path;
  bool mounted = false;
};

// A disk that fills up under the store: --new says the disk is full and exits 1; once
// there is room again the headlines come as new (nothing was marked seen that was not printed)
// and the store reads whole throughout.
TEST(StoreProcesses, AFullDiskIsSaidAndLosesNothing) {
  site_library lib(12);
  small_disk disk(lib.dir.file("disk"));
  if (!disk.mounted) GTEST_SKIP() << "no file system of its own can be mounted here";
  std::vector<std::string> args = {"--queue", "--new", "--root", lib.dir.file("lib"), "--store", disk.path + "/s.db"};
  const std::vector<std::string> one_site = {"--new", "--store", disk.path + "/s.db", lib.dir.file("lib/s0.xml")};
  ASSERT_EQ(wait_for(start_program(one_site)), 0) << "the store is made while there is room";
  disk.fill();
  const int full = wait_for(start_program(args, lib.dir.file("err"), lib.dir.file("out")));
  const std::string err = testing::read_file(lib.dir.file("err"));
  EXPECT_EQ(full, 1) << err;
  EXPECT_NE(err.find("the disk is full"), std::string::npos) << err;
  disk.forget();
  {
    sqlite_db db;
    ASSERT_TRUE(db.open(disk.path + "/s.db", false).ok());
    EXPECT_EQ(integrity(db), "ok");
  }
  EXPECT_EQ(wait_for(start_program(args, lib.dir.file("err2"), lib.dir.file("out2"))), 0)
      << testing::read_file(lib.dir.file("err2"));
  const std::string again = testing::read_file(lib.dir.file("out2"));
  size_t printed = 0;
  for (size_t at = again.find("\nNews "); at != std::string::npos; at = again.find("\nNews ", at + 1)) ++printed;
  EXPECT_EQ(printed, 12u * 5) << "none was taken for seen by the runs that could not be kept";
}

}  // namespace
}  // namespace vantrel
