// Reading a file whole: what it says for each file it cannot read, and that a pipe never
// keeps it waiting.
#include "common/file_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

TEST(FileRead, ReadsRegularFilesAndSaysWhyNotTheRest) {
  testing::temp_dir dir;
  dir.write("ten", "0123456789");
  dir.write("folder/inside", "");
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  struct {
    const char* name;
    unsigned long long max;
    const char* why;  // nullptr: read
  } cases[] = {
      {"ten", 10, nullptr},
      {"ten", 9, "is too large"},
      {"missing", 10, "cannot be opened: No such file or directory"},
      {"folder", 10, "is not a regular file"},
      {"pipe", 10, "is not a regular file"},
  };
  for (const auto& c : cases) {
    std::string text, why;
    const bool read = read_whole_file(dir.file(c.name), c.max, text, &why);
    EXPECT_EQ(read, c.why == nullptr) << c.name;
    if (c.why == nullptr) {
      EXPECT_EQ(text, "0123456789");
    } else {
      EXPECT_EQ(why, c.why) << c.name;
    }
  }
}

}  // namespace
}  // namespace vantrel
