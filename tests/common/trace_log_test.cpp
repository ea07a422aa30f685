#include "common/trace_log.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "common/sync_event.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

using testing::read_file;
using testing::temp_dir;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(TraceLog, WritesNothingWhileOff) {
  temp_dir t;
  trace_log log;
  log.write("lost %d", 1);
  EXPECT_FALSE(testing::file_exists(t.file("Vantrace.txt")));
  log.start(t.file("sub/Vantrace.txt"));
  log.stop();
  log.write("also lost");
  EXPECT_EQ(read_file(t.file("sub/Vantrace.txt")), "\n");
}

TEST(TraceLog, LinesCarryTheLocalTime) {
  temp_dir t;
  trace_log log;
  log.start(t.file("Vantrace.txt"));
  log.write("NextSite: queue %s", "complete");
  auto lines = lines_of(read_file(t.file("Vantrace.txt")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "");
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\d{4}\.\d\d\.\d\d \d{1,2}:\d\d:\d\d NextSite: queue complete)")))
      << lines[1];
}

TEST(TraceLog, SecondStartKeepsTheFirstFile) {
  temp_dir t;
  trace_log log;
  log.start(t.file("one.txt"));
  log.start(t.file("two.txt"));
  log.write("x");
  EXPECT_EQ(log.path(), t.file("one.txt"));
  EXPECT_EQ(lines_of(read_file(t.file("one.txt"))).size(), 2u);  // one empty line only
  EXPECT_FALSE(testing::file_exists(t.file("two.txt")));
}

TEST(TraceLog, LongMessagesAreCutNotOverrun) {
  temp_dir t;
  trace_log log;
  log.start(t.file("Vantrace.txt"));
  log.write("%s", std::string(5000, 'x').c_str());
  auto lines = lines_of(read_file(t.file("Vantrace.txt")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(lines[1].find(' ', 11) + 1), std::string(512, 'x'));
}

TEST(TraceLog, LinesFromTwoThreadsNeverInterleave) {
  temp_dir t;
  trace_log log;
  log.start(t.file("Vantrace.txt"));
  auto writer = [&log](char c) {
    for (int i = 0; i < 200; ++i) log.write("%s", std::string(300, c).c_str());
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  auto lines = lines_of(read_file(t.file("Vantrace.txt")));
  ASSERT_EQ(lines.size(), 401u);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string msg = lines[i].substr(lines[i].size() - 300);
    EXPECT_TRUE(msg == std::string(300, 'a') || msg == std::string(300, 'b')) << i;
  }
}

TEST(SyncEvent, AutomaticEventsAreConsumedManualOnesStay) {
  sync_event automatic(sync_event::reset_mode::automatic);
  sync_event manual(sync_event::reset_mode::manual);
  EXPECT_FALSE(automatic.test());
  automatic.set();
  manual.set();
  EXPECT_TRUE(automatic.test());
  EXPECT_FALSE(automatic.test());
  EXPECT_TRUE(manual.test());
  EXPECT_TRUE(manual.test());
  manual.reset();
  EXPECT_FALSE(manual.wait_for(std::chrono::milliseconds(10)));
  std::thread setter([&] { automatic.set(); });
  EXPECT_TRUE(automatic.wait_for(std::chrono::seconds(10)));
  setter.join();
  EXPECT_FALSE(automatic.test());
}

}  // namespace
}  // namespace vantrel
