#include "common/parsedef_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/paths.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

using testing::temp_dir;

TEST(ParsedefFile, ReadsTheSiteAttributes) {
  temp_dir t;
  std::string path = t.write("site.xml",
                             "<?xml version='1.0'?>\n"
                             "<parsedef name='Gazette &amp; Co' url='http://g.example/' logo='g.bmp'\n"
                             "  category='News' version='12' charset='windows-1251'>\n"
                             "  <section><start><div/></start></section>\n"
                             "</parsedef>\n");
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(path), 0) << f.last_error();
  EXPECT_EQ(f.get_name(), "Gazette & Co");
  EXPECT_EQ(f.get_url(), "http://g.example/");
  EXPECT_EQ(f.get_charset(), "windows-1251");
  EXPECT_EQ(f.get_logo(), t.path() + "/g.bmp");  // relative to the ParseDef's own folder
  EXPECT_EQ(f.get_category(), "News");
  EXPECT_EQ(f.get_version(), 12);
  EXPECT_EQ(f.folder(), t.path() + "/");
  EXPECT_EQ(f.is_package(), 0);
}

TEST(ParsedefFile, AbsentAttributesAndOddValues) {
  temp_dir t;
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(t.write("a.xml", "<parsedef version='abc'/>")), 0);
  EXPECT_EQ(f.get_version(), 0);
  EXPECT_EQ(f.get_url(), std::nullopt);
  EXPECT_EQ(f.get_logo(), std::nullopt);
  EXPECT_EQ(f.get_category(), "");
  ASSERT_EQ(f.load(t.write("b.xml", "<parsedef URL='http://x/'/>")), 0);
  EXPECT_EQ(f.get_version(), -1);
  EXPECT_EQ(f.get_url(), std::nullopt);  // root attribute names are matched exactly
}

TEST(ParsedefFile, AFileWithoutAFolderGivesTheBareLogoName) {
  temp_dir t;
  t.write("bare.xml", "<parsedef logo='logo.bmp'/>");
  std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(t.path());
  parsedef_file f(tidewatch_folder);
  int r = f.load("bare.xml");
  std::filesystem::current_path(cwd);
  ASSERT_EQ(r, 0);
  EXPECT_EQ(f.folder(), std::nullopt);
  EXPECT_EQ(f.get_logo(), "logo.bmp");
}

TEST(ParsedefFile, WhiteSpaceTextIsNotKeptInTheTree) {
  temp_dir t;
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(t.write("w.xml",
                           "<parsedef>\n  <section>\n    <start> \n </start>\n"
                           "    <headline>\n      <a/>\n      News\n    </headline>\n"
                           "  </section>\n</parsedef>")),
            0);
  pd_node section = f.root().first_child();
  ASSERT_TRUE(section);
  EXPECT_EQ(section.name(), "section");
  pd_node start = section.first_child();
  EXPECT_EQ(start.name(), "start");
  EXPECT_FALSE(start.first_child());  // "<start> </start>" is an empty rule
  pd_node headline = start.next_sibling();
  pd_node a = headline.first_child();
  EXPECT_EQ(a.name(), "a");
  EXPECT_TRUE(a.next_sibling().is_text());  // real text stays, as a text pattern
}

TEST(ParsedefFile, BrokenFilesFailAndHoldNoDocument) {
  temp_dir t;
  parsedef_file f(tidewatch_folder);
  ASSERT_EQ(f.load(t.write("good.xml", "<parsedef name='a'/>")), 0);
  EXPECT_EQ(f.load(t.write("bad.xml", "<parsedef name='a'><section></parsedef>")), -1);
  EXPECT_NE(f.last_error().find("not well-formed"), std::string::npos) << f.last_error();
  EXPECT_FALSE(f.has_document());
  EXPECT_EQ(f.get_name(), std::nullopt);
  EXPECT_EQ(f.load(t.file("missing.xml")), -1);
  EXPECT_NE(f.last_error().find("cannot be opened"), std::string::npos) << f.last_error();
  EXPECT_EQ(f.load(t.write("empty.xml", "")), -1);
}

TEST(ParsedefFile, ExternalEntitiesAreNeverLoaded) {
  temp_dir t;
  std::string secret = t.write("secret.txt", "TOP-SECRET");
  parsedef_file f(tidewatch_folder);
  int r = f.load(t.write("xxe.xml", "<?xml version='1.0'?>\n<!DOCTYPE p [<!ENTITY s SYSTEM 'file://" + secret +
                                        "'>]>\n<parsedef><section><start>&s;</start></section></parsedef>"));
  ASSERT_EQ(r, 0) << f.last_error();
  EXPECT_FALSE(f.root().first_child().first_child().first_child());  // the rule stays empty
}

TEST(ParsedefFile, EntityExpansionIsBounded) {
  temp_dir t;
  std::string doc = "<?xml version='1.0'?>\n<!DOCTYPE p [\n<!ENTITY a0 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx'>\n";
  for (int i = 1; i <= 12; ++i) {
    doc += "<!ENTITY a" + std::to_string(i) + " '";
    for (int k = 0; k < 10; ++k) doc += "&a" + std::to_string(i - 1) + ";";
    doc += "'>\n";
  }
  doc += "]>\n<parsedef name='&a12;'/>";
  parsedef_file f(tidewatch_folder);
  EXPECT_EQ(f.load(t.write("laughs.xml", doc)), -1);  // refused, not expanded to 10^12 bytes
}

TEST(IsPackageName, OnlyTheNovExtension) {
  const std::pair<const char*, int> cases[] = {
      {"site.nov", 1}, {"SITE.NOV", 1}, {"a.b/site.Nov", 1}, {"site.xml", 0},
      {"nov", 0},      {"site.", 0},    {"site.nova", 0},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(is_package_name(name), want) << name;
}

}  // namespace
}  // namespace vantrel
