// Packages the editor writes, read back by our own loader, by unzip -t and by Python's zipfile;
// the header fields a reader checks; a failed save that leaves the old package alone.
#include "editor/zip_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "editor/package_save.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

std::uint32_t u32(const std::string& s, size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

int run_quietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

TEST(ZipWriter, PackagesOpenWithEveryReader) {
  testing::temp_dir dir;
  std::string logo = "BM";
  for (int i = 0; i < 100000; ++i) logo.push_back(static_cast<char>(i * 7919 % 251));
  const std::string logo_path = dir.write("art/news.bmp", logo);
  const std::string document =
      "<?xml version=\"1.0\"?>\r\n<parsedef name=\"News\" url=\"http://x/\" logo=\"news.bmp\"/>\r\n";
  const std::string package = dir.file("news.nov");
  const status written = write_package(package, document, logo_path);
  ASSERT_TRUE(written.ok()) << written;
  EXPECT_EQ(testing::list_files(dir.path()), "art/news.bmp\nnews.nov\n") << "no temporary file left";

  {
    parsedef_file loaded(tidewatch_folder);
    ASSERT_EQ(loaded.load(package), 0) << loaded.last_error();
    EXPECT_EQ(loaded.get_name(), "News");
    EXPECT_EQ(testing::read_file(*loaded.get_logo()), logo);
  }
  if (platform::find_program("unzip")) {
    EXPECT_EQ(run_quietly("unzip -t '" + package + "'"), 0);
  }
  if (platform::find_program("python3")) {
    EXPECT_EQ(run_quietly("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                          "sys.exit(z.testzip() is not None or z.namelist()!=['news.xml','news.bmp'])\" '" +
                          package + "'"),
              0);
  }
}

TEST(ZipWriter, HeadersEmptyMembersAndEmptyArchives) {
  testing::temp_dir dir;
  const std::string path = dir.file("empty.nov");
  {
    zip_writer zip;
    zip.open(path);
    add_bytes(zip, "", "");
    zip.close();
  }
  const std::string bytes = testing::read_file(path);
  EXPECT_EQ(u32(bytes, 0), 0x04034B50u);
  EXPECT_EQ(bytes.substr(30, 1), "-") << "an empty name becomes \"-\"";
  EXPECT_EQ(u32(bytes, 14), 0u) << "CRC of nothing";
  EXPECT_EQ(u32(bytes, 18), 2u) << "the deflated form of nothing";
  EXPECT_EQ(u32(bytes, 22), 0u);
  const size_t central = 30 + 1 + 2;
  EXPECT_EQ(u32(bytes, central), 0x02014B50u);
  EXPECT_EQ(bytes.substr(central + 16, 12), bytes.substr(14, 12)) << "local and central headers agree";
  EXPECT_EQ(u32(bytes, central + 38), 0x20u) << "DOS attributes";

  const std::string none = dir.file("none.nov");
  {
    zip_writer zip;
    zip.open(none);
    zip.close();
  }
  EXPECT_EQ(testing::read_file(none), std::string("PK\x05\x06", 4) + std::string(18, '\0'));

  zip_writer misuse;
  misuse.open(dir.file("x.zip"));
  EXPECT_THROW(misuse.write("x", 1), CZipException);
  try {
    misuse.open_member("a", {}, 0);
    FAIL();
  } catch (const CZipException& e) {
    EXPECT_EQ(e.cause(), 10);
  }
  EXPECT_EQ(dos_date_time(0) >> 16, (0u << 9) | (1u << 5) | 1u) << "before 1980: clamped";
}

TEST(ZipWriter, AFailedSaveKeepsThePreviousPackage) {
  testing::temp_dir dir;
  const std::string package = dir.file("news.nov");
  ASSERT_TRUE(write_package(package, "<parsedef/>", "").ok());
  const std::string before = testing::read_file(package);
  const status missing = write_package(package, "<parsedef name='new'/>", dir.file("missing.bmp"));
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.message().find("missing.bmp"), std::string::npos) << missing;
  EXPECT_EQ(testing::read_file(package), before);
  EXPECT_EQ(testing::list_files(dir.path()), "news.nov\n");
  EXPECT_EQ(write_package(dir.file("no/such/folder/x.nov"), "<parsedef/>", "").code(), status_code::not_found);
}

}  // namespace
}  // namespace vantrel
