#include "common/parsedef_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <tuple>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "tests/helpers/temp_dir.h"
#include "tests/helpers/zip_builder.h"

namespace fs = std::filesystem;

namespace vantrel {
namespace {

using testing::file_exists;
using testing::list_files;
using testing::temp_dir;
using testing::write_zip;

const char* const site_xml = "<parsedef name='Packed' logo='logo.bmp' url='http://p.example/'/>";

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unpack_ = *get_unpack_folder();
    parsedef_package::instance().remove_unpacked();
  }
  void TearDown() override { parsedef_package::instance().remove_unpacked(); }

  std::string make(const std::string& name, const std::vector<testing::zip_member>& members) {
    std::string path = dir_.file(name);
    write_zip(path, members);
    return path;
  }

  temp_dir dir_;
  std::string unpack_;
};

TEST_F(PackageTest, LoadsTheDocumentAndFindsTheLogoBesideIt) {
  parsedef_file f;
  ASSERT_EQ(f.load(make("site.nov", {{"site.xml", site_xml}, {"logo.bmp", "BMxx"}, {"notes.txt", "n"}})), 0)
      << f.last_error();
  EXPECT_EQ(f.is_package(), 1);
  EXPECT_EQ(f.get_name(), "Packed");
  EXPECT_EQ(f.get_logo(), unpack_ + "/logo.bmp");
  EXPECT_EQ(testing::read_file(*f.get_logo()), "BMxx");
  const parsedef_package& p = parsedef_package::instance();
  EXPECT_EQ(p.xml_path(), unpack_ + "/site.xml");
  EXPECT_EQ(p.logo_path(), unpack_ + "/logo.bmp");
  EXPECT_EQ(p.info_path(), unpack_ + "/site.inf");
  EXPECT_EQ(list_files(unpack_), "logo.bmp\nnotes.txt\nsite.xml\n");
}

TEST_F(PackageTest, WithoutAnXmlMemberTheTitleNamesTheDocument) {
  parsedef_file f;
  EXPECT_EQ(f.load(make("Title.nov", {{"logo.bmp", "BM"}})), -1);
  EXPECT_EQ(parsedef_package::instance().xml_path(), unpack_ + "/Title.xml");
}

TEST_F(PackageTest, TheLaterOfTwoXmlMembersIsParsed) {
  parsedef_file f;
  ASSERT_EQ(f.load(make("two.nov", {{"a.xml", "<parsedef name='first'/>"}, {"b.XML", "<parsedef name='second'/>"}})),
            0);
  EXPECT_EQ(f.get_name(), "second");
}

TEST_F(PackageTest, BackslashNamesUnpackIntoSubfolders) {
  parsedef_file f;
  ASSERT_EQ(f.load(make("sub.nov", {{"dir\\inner\\site.xml", site_xml}, {"dir/", ""}})), 0) << f.last_error();
  EXPECT_EQ(f.folder(), unpack_ + "/dir/inner/");
  EXPECT_TRUE(file_exists(unpack_ + "/dir/inner/site.xml"));
}

TEST_F(PackageTest, TheNextPackageRemovesTheFirstOnesFiles) {
  parsedef_file f;
  ASSERT_EQ(f.load(make("one.nov", {{"one.xml", site_xml}, {"sub/logo.bmp", "BM"}})), 0);
  ASSERT_EQ(f.load(make("two.nov", {{"two.xml", site_xml}})), 0);
  EXPECT_EQ(list_files(unpack_), "two.xml\n");
  EXPECT_FALSE(fs::exists(unpack_ + "/sub"));
  parsedef_package::instance().remove_unpacked();
  EXPECT_FALSE(fs::exists(unpack_));  // empty again, so the folder goes too
}

TEST_F(PackageTest, HostileMemberNamesFailTheLoadAndWriteNothingOutside) {
  const char* const names[] = {
      "../escape.xml", "/abs/escape.xml", "a\\..\\..\\escape.xml", "sub/../../escape.xml", "..", "sub/.."};
  for (const char* name : names) {
    temp_dir outside;
    std::string pkg = make("evil.nov", {{"ok.xml", site_xml}, {name, "<parsedef/>"}});
    parsedef_file f;
    EXPECT_EQ(f.load(pkg), -1) << name;
    EXPECT_NE(f.last_error().find("outside the unpack folder"), std::string::npos) << f.last_error();
    EXPECT_FALSE(file_exists(fs::path(unpack_).parent_path().string() + "/escape.xml")) << name;
    EXPECT_EQ(list_files(fs::path(unpack_).parent_path().string()), "") << name;  // even ok.xml is gone
  }
  EXPECT_TRUE(safe_member_path("a/..b/c..d.xml"));  // dots inside a name are fine
}

TEST_F(PackageTest, MembersThatInflatePast64MiBFail) {
  std::string big(parsedef_package::max_member_size + 1, 'z');
  std::string honest = make("big.nov", {{"site.xml", site_xml}, {"big.bin", big}});
  parsedef_file f;
  EXPECT_EQ(f.load(honest), -1);
  EXPECT_NE(f.last_error().find("larger than 64 MiB"), std::string::npos) << f.last_error();

  std::string lying = make("lying.nov", {{"big.bin", big}});
  testing::falsify_sizes(lying, 100);  // the headers claim 100 bytes
  EXPECT_EQ(f.load(lying), -1);
  EXPECT_NE(f.last_error().find("damaged"), std::string::npos) << f.last_error();
  EXPECT_EQ(list_files(unpack_), "");
}

// Members small one by one but too many, or too large together: refused before more than the
// bound is written, and nothing is left.
TEST_F(PackageTest, PackagesBoundedInTotalAndInMembers) {
  const std::string part(20u << 20, 'z');
  std::vector<testing::zip_member> large{{"site.xml", site_xml}};
  for (int i = 0; i < 4; ++i) large.push_back({"part" + std::to_string(i) + ".bin", part});
  std::vector<testing::zip_member> many;
  for (unsigned i = 0; i <= parsedef_package::max_members; ++i) many.push_back({std::to_string(i) + ".txt", "x"});
  for (const auto& [name, members, why] : {std::tuple{"large.nov", large, "more than 64 MiB in all"},
                                           std::tuple{"many.nov", many, "more than a ParseDef package may hold"}}) {
    std::string path = make(name, members);
    parsedef_file f;
    EXPECT_EQ(f.load(path), -1) << name;
    EXPECT_NE(f.last_error().find(why), std::string::npos) << f.last_error();
    EXPECT_EQ(list_files(unpack_), "") << name;
  }
}

TEST_F(PackageTest, BrokenPackagesFailAndKeepTheDocumentHeld) {
  parsedef_file f;
  ASSERT_EQ(f.load(make("good.nov", {{"good.xml", site_xml}})), 0);
  EXPECT_EQ(f.load(dir_.write("plain.nov", "this is not a zip archive")), -1);
  EXPECT_NE(f.last_error().find("not a ZIP archive"), std::string::npos) << f.last_error();
  EXPECT_EQ(f.get_name(), "Packed");  // unpacking failed: the old document stays
  EXPECT_EQ(f.load(dir_.file("missing.nov")), -1);
  EXPECT_EQ(f.load(dir_.write("empty.nov", "")), -1);

  std::string damaged = make("damaged.nov", {{"site.xml", std::string(4000, 'q')}});
  std::string bytes = testing::read_file(damaged);
  bytes[60] ^= 0x55;  // inside the deflated data
  dir_.write("damaged.nov", bytes);
  EXPECT_EQ(f.load(damaged), -1);
  EXPECT_NE(f.last_error().find("damaged"), std::string::npos) << f.last_error();
}

TEST_F(PackageTest, LoadsOnTwoThreadsDoNotOverlap) {
  // The worker loads a site's package while the window installs another one.
  std::string a = make("a.nov", {{"a.xml", "<parsedef name='A'/>"}, {"a.bmp", "BM"}});
  std::string b = make("b.nov", {{"b.xml", "<parsedef name='B'/>"}});
  auto loader = [](const std::string& path, const char* want, int* good) {
    for (int i = 0; i < 30; ++i) {
      parsedef_file f;
      if (f.load(path) == 0 && f.get_name() == want) ++*good;
    }
  };
  int good_a = 0, good_b = 0;
  std::thread ta(loader, a, "A", &good_a), tb(loader, b, "B", &good_b);
  ta.join();
  tb.join();
  EXPECT_EQ(good_a, 30);
  EXPECT_EQ(good_b, 30);
}

TEST_F(PackageTest, UnpackFolderIsPrivatePerProgram) {
  set_application_name("VantEdit");
  std::string editor = *get_unpack_folder();
  set_application_name("Vantrel");
  EXPECT_NE(editor, *get_unpack_folder());
  EXPECT_EQ(fs::path(editor).filename(), "VantEdit");
  EXPECT_EQ(fs::status(editor).permissions() & fs::perms::all, fs::perms::owner_all);
}

}  // namespace
}  // namespace vantrel
