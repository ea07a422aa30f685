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
    status_code code;
  } cases[] = {
      {"ten", 10, nullptr, status_code::ok},
      {"ten", 9, "is too large", status_code::too_large},
      {"missing", 10, "cannot be opened: No such file or directory", status_code::not_found},
      {"ten/below", 10, "cannot be opened: Not a directory", status_code::not_found},
      {"folder", 10, "is not a regular file", status_code::invalid},
      {"pipe", 10, "is not a regular file", status_code::invalid},
  };
  for (const auto& c : cases) {
    const auto text = read_whole_file(dir.file(c.name), c.max);
    const auto bytes = read_file_bytes(dir.file(c.name), c.max);
    EXPECT_EQ(text.ok(), c.why == nullptr) << c.name;
    EXPECT_EQ(bytes.ok(), c.why == nullptr) << c.name;
    if (c.why == nullptr) {
      EXPECT_EQ(*text, "0123456789");
      EXPECT_EQ(std::string(bytes->data.get(), bytes->size), "0123456789");
    } else {
      EXPECT_EQ(text.message(), c.why) << c.name;
      EXPECT_EQ(text.error().code(), c.code) << c.name;
      EXPECT_EQ(bytes.error().code(), c.code) << c.name;
    }
  }
}

}  // namespace
}  // namespace vantrel
