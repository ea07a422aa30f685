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
  void SetUp() override { private_ = *private_folder(tidewatch_folder); }

  std::string make(const std::string& name, const std::vector<testing::zip_member>& members) {
    std::string path = dir_.file(name);
    write_zip(path, members);
    return path;
  }
  // The unpack folder of a loaded package: the folder of its top-level document.
  static std::string unpacked_in(const parsedef_file& f) { return fs::path(*f.xml_path()).parent_path().string(); }

  temp_dir dir_;
  std::string private_;  // where every object makes its own unpack folder
};

TEST_F(PackageTest, LoadsTheDocumentAndFindsTheLogoBesideIt) {
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(make("site.nov", {{"site.xml", site_xml}, {"logo.bmp", "BMxx"}, {"notes.txt", "n"}})), 0)
      << f.last_error();
  EXPECT_EQ(f.is_package(), 1);
  EXPECT_EQ(f.get_name(), "Packed");
  const std::string unpacked = unpacked_in(f);
  EXPECT_EQ(fs::path(unpacked).parent_path(), private_);
  EXPECT_EQ(f.get_logo(), unpacked + "/logo.bmp");
  EXPECT_EQ(testing::read_file(*f.get_logo()), "BMxx");
  EXPECT_EQ(list_files(unpacked), "logo.bmp\nnotes.txt\nsite.xml\n");
  EXPECT_EQ(fs::status(unpacked).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(PackageTest, WithoutAnXmlMemberTheTitleNamesTheDocument) {
  parsedef_package p(tidewatch_folder);
  ASSERT_EQ(p.open_package(make("Title.nov", {{"logo.bmp", "BM"}})), 0);
  EXPECT_EQ(fs::path(*p.xml_path()).filename(), "Title.xml");
  EXPECT_EQ(fs::path(*p.info_path()).filename(), "Title.inf");
  parsedef_file f(tidewatch_folder);
  EXPECT_EQ(f.load(make("Title.nov", {{"logo.bmp", "BM"}})), -1);
}

TEST_F(PackageTest, TheLaterOfTwoXmlMembersIsParsed) {
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(make("two.nov", {{"a.xml", "<parsedef name='first'/>"}, {"b.XML", "<parsedef name='second'/>"}})),
            0);
  EXPECT_EQ(f.get_name(), "second");
}

TEST_F(PackageTest, BackslashNamesUnpackIntoSubfolders) {
  parsedef_package p(tidewatch_folder);
  ASSERT_EQ(p.open_package(make("sub.nov", {{"dir\\inner\\site.xml", site_xml}, {"dir/", ""}})), 0) << p.last_error();
  EXPECT_EQ(fs::path(*p.xml_path()).parent_path().filename(), "inner");
  EXPECT_TRUE(file_exists(*p.xml_path()));
}

TEST_F(PackageTest, TheNextPackageReplacesTheFirstAndTheLastTakesItsFolderAlong) {
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(make("one.nov", {{"one.xml", site_xml}, {"sub/logo.bmp", "BM"}})), 0);
  const std::string first = unpacked_in(f);
  ASSERT_EQ(f.load(make("two.nov", {{"two.xml", site_xml}})), 0);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ(list_files(unpacked_in(f)), "two.xml\n");
  const std::string second = unpacked_in(f);
  f.load(dir_.write("plain.xml", site_xml));
  EXPECT_TRUE(fs::exists(second)) << "a plain document leaves the package alone";
  {
    parsedef_file gone(tidewatch_folder);
    ASSERT_EQ(gone.load(make("three.nov", {{"three.xml", site_xml}})), 0);
    EXPECT_NE(unpacked_in(gone), second) << "every object unpacks into a folder of its own";
  }
  EXPECT_EQ(list_files(private_), fs::path(second).filename().string() + "/two.xml\n")
      << "the object that went took its files along";
}

TEST_F(PackageTest, HostileMemberNamesFailTheLoadAndWriteNothingOutside) {
  const char* const names[] = {
      "../escape.xml", "/abs/escape.xml", "a\\..\\..\\escape.xml", "sub/../../escape.xml", "..", "sub/.."};
  for (const char* name : names) {
    temp_dir outside;
    std::string pkg = make("evil.nov", {{"ok.xml", site_xml}, {name, "<parsedef/>"}});
    parsedef_file f(tidewatch_folder);
    EXPECT_EQ(f.load(pkg), -1) << name;
    EXPECT_NE(f.last_error().find("outside the unpack folder"), std::string::npos) << f.last_error();
    EXPECT_FALSE(file_exists(fs::path(private_).parent_path().string() + "/escape.xml")) << name;
    EXPECT_EQ(list_files(private_), "") << name;  // even ok.xml is gone
  }
  EXPECT_TRUE(safe_member_path("a/..b/c..d.xml"));  // dots inside a name are fine
}

TEST_F(PackageTest, MembersThatInflatePast64MiBFail) {
  std::string big(parsedef_package::max_member_size + 1, 'z');
  std::string honest = make("big.nov", {{"site.xml", site_xml}, {"big.bin", big}});
  parsedef_file f(tidewatch_folder);
  EXPECT_EQ(f.load(honest), -1);
  EXPECT_NE(f.last_error().find("larger than 64 MiB"), std::string::npos) << f.last_error();

  std::string lying = make("lying.nov", {{"big.bin", big}});
  testing::falsify_sizes(lying, 100);  // the headers claim 100 bytes
  EXPECT_EQ(f.load(lying), -1);
  EXPECT_NE(f.last_error().find("damaged"), std::string::npos) << f.last_error();
  EXPECT_EQ(list_files(private_), "");
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
    parsedef_file f(tidewatch_folder);
    EXPECT_EQ(f.load(path), -1) << name;
    EXPECT_NE(f.last_error().find(why), std::string::npos) << f.last_error();
    EXPECT_EQ(list_files(private_), "") << name;
  }
}

TEST_F(PackageTest, BrokenPackagesFailAndKeepThePackageHeld) {
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(make("good.nov", {{"good.xml", site_xml}, {"logo.bmp", "BMgood"}})), 0);
  const auto logo = f.get_logo();
  EXPECT_EQ(f.load(dir_.write("plain.nov", "this is not a zip archive")), -1);
  EXPECT_NE(f.last_error().find("not a ZIP archive"), std::string::npos) << f.last_error();
  EXPECT_EQ(f.get_name(), "Packed");  // unpacking failed: the old document stays
  EXPECT_EQ(f.get_logo(), logo);
  EXPECT_EQ(testing::read_file(*logo), "BMgood") << "and so do its files";
  EXPECT_EQ(f.load(make("half.nov", {{"x.xml", site_xml}, {"../out.bmp", "BM"}})), -1);
  EXPECT_EQ(testing::read_file(*logo), "BMgood");
  const std::string held = fs::path(*logo).parent_path().filename().string();
  EXPECT_EQ(list_files(private_), held + "/good.xml\n" + held + "/logo.bmp\n") << "nothing of the broken ones stays";
  EXPECT_EQ(f.load(dir_.file("missing.nov")), -1);
  EXPECT_EQ(f.load(dir_.write("empty.nov", "")), -1);

  std::string damaged = make("damaged.nov", {{"site.xml", std::string(4000, 'q')}});
  std::string bytes = testing::read_file(damaged);
  bytes[60] ^= 0x55;  // inside the deflated data
  dir_.write("damaged.nov", bytes);
  EXPECT_EQ(f.load(damaged), -1);
  EXPECT_NE(f.last_error().find("damaged"), std::string::npos) << f.last_error();
}

TEST_F(PackageTest, TwoThreadsLoadPackagesSideBySide) {
  // A job loads its site's package while the window installs another one.
  std::string a = make("a.nov", {{"site.xml", "<parsedef name='A' logo='logo.bmp'/>"}, {"logo.bmp", "BMa"}});
  std::string b = make("b.nov", {{"site.xml", "<parsedef name='B' logo='logo.bmp'/>"}, {"logo.bmp", "BMb"}});
  auto loader = [](const std::string& path, const char* want, const char* logo, int* good) {
    for (int i = 0; i < 30; ++i) {
      parsedef_file f(tidewatch_folder);
      if (f.load(path) == 0 && f.get_name() == want && testing::read_file(*f.get_logo()) == logo) ++*good;
    }
  };
  int good_a = 0, good_b = 0;
  std::thread ta(loader, a, "A", "BMa", &good_a), tb(loader, b, "B", "BMb", &good_b);
  ta.join();
  tb.join();
  EXPECT_EQ(good_a, 30);
  EXPECT_EQ(good_b, 30);
}

TEST_F(PackageTest, UnpackFoldersArePrivatePerProgram) {
  std::string editor = *private_folder(vantedit_folder);
  EXPECT_NE(editor, *private_folder(tidewatch_folder));
  EXPECT_EQ(fs::path(editor).filename(), "VantEdit");
  EXPECT_EQ(fs::status(editor).permissions() & fs::perms::all, fs::perms::owner_all);
}

}  // namespace
}  // namespace vantrel
