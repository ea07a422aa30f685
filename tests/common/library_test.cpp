// Relative names and the walk of the library tree.
#include "common/library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/paths.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

TEST(Library, RelativeNamesCompareWholeComponents) {
  struct {
    const char* root;
    const char* path;
    const char* relative;
  } cases[] = {
      {"/data/lib", "/data/lib/news/a.nov", "news/a.nov"},
      {"/data/lib/", "/data/lib/news/a.nov", "news/a.nov"},
      {"/data/lib", "/data/lib/./news/../news/a.nov", "news/a.nov"},
      {"/data/lib", "/data/lib-old/x.nov", "/data/lib-old/x.nov"},
      {"/data/lib", "/elsewhere/x.nov", "/elsewhere/x.nov"},
  };
  for (const auto& c : cases) {
    auto rel = relative_to_root(c.root, c.path);
    ASSERT_TRUE(rel) << c.path;
    EXPECT_EQ(*rel, c.relative) << c.root << " " << c.path;
  }
  EXPECT_TRUE(is_inside_library("news/a.nov"));
  EXPECT_FALSE(is_inside_library("/elsewhere/x.nov"));
  EXPECT_EQ(library_path("/data/lib", "news\\a.nov"), "/data/lib/news/a.nov");
  EXPECT_EQ(library_path("/data/lib/", "a.nov"), "/data/lib/a.nov");
}

TEST(Library, WalkFindsExactlyTheSites) {
  testing::temp_dir dir;
  const std::string pd = "<parsedef name=\"%\" url=\"http://x/\"/>";
  auto parsedef = [&](const std::string& name) {
    std::string text = pd;
    text.replace(text.find('%'), 1, name);
    return text;
  };
  dir.write("lib/a.XML", parsedef("Alpha"));
  dir.write("lib/c.xml.bak", parsedef("Backup"));
  dir.write("lib/d.txt", parsedef("Text"));
  dir.write("lib/noname.xml", "<parsedef url=\"http://x/\"/>");
  dir.write("lib/broken.xml", "<parsedef name=");
  dir.write("lib/.cache/e.xml", parsedef("Hidden"));
  dir.write("lib/News/World/w.xml", parsedef("World"));
  dir.write("lib/News/b.xml", parsedef("Beta"));
  std::filesystem::create_directories(dir.file("lib/Empty"));
  std::filesystem::create_directory_symlink(dir.file("lib"), dir.file("lib/News/loop"));

  const library_category top = walk_library(dir.file("lib"), tidewatch_folder);
  ASSERT_EQ(top.sites.size(), 1u);
  EXPECT_EQ(top.sites[0].name, "Alpha");
  EXPECT_EQ(top.sites[0].path, dir.file("lib/a.XML"));
  ASSERT_EQ(top.categories.size(), 2u);
  EXPECT_EQ(top.categories[0].title, "Empty");
  const library_category& news = top.categories[1];
  EXPECT_EQ(news.title, "News");
  ASSERT_EQ(news.sites.size(), 1u);
  EXPECT_EQ(news.sites[0].name, "Beta");
  EXPECT_EQ(top.site_count(), 3u) << "a.XML, News/b.xml, News/World/w.xml; the link back is not walked twice";
}

TEST(Library, FilesMatchExactlyFirstThenIgnoringCase) {
  testing::temp_dir dir;
  dir.write("lib/News/a.xml", "x");
  dir.write("lib/News/B.xml", "x");
  dir.write("lib/News/b.xml", "x");
  dir.write("lib/Folder.xml/inner", "x");
  const std::string lib = dir.file("lib");
  struct {
    const char* relative;
    const char* found;  // nullptr: none
  } cases[] = {
      {"News/a.xml", "News/a.xml"}, {"NEWS/A.XML", "News/a.xml"}, {"news\\A.xml", "News/a.xml"},
      {"News/b.xml", "News/b.xml"}, {"News/B.xml", "News/B.xml"}, {"NEWS/B.XML", "News/B.xml"},
      {"News/c.xml", nullptr},      {"Folder.xml", nullptr},      {"News", nullptr},
  };
  for (const auto& c : cases) {
    auto found = find_library_file(lib, c.relative);
    if (c.found == nullptr) {
      EXPECT_FALSE(found) << c.relative;
    } else {
      EXPECT_EQ(found, lib + "/" + c.found) << c.relative;
    }
  }
  EXPECT_EQ(find_in_folder(dir.file("lib/News"), "A.XML"), dir.file("lib/News/a.xml"));
  EXPECT_FALSE(find_in_folder(dir.file("lib/missing"), "a.xml"));
}

TEST(Library, ALinkedCategoryKeepsItsSitesInsideAndPipesAreSkipped) {
  testing::temp_dir dir;
  dir.write("elsewhere/Tech/t.xml", "<parsedef name=\"Tech\" url=\"http://x/\"/>");
  std::filesystem::create_directories(dir.file("lib"));
  std::filesystem::create_directory_symlink(dir.file("elsewhere/Tech"), dir.file("lib/Tech"));
  ASSERT_EQ(mkfifo(dir.file("lib/stuck.nov").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(dir.file("lib/stuck.xml").c_str(), 0600), 0);

  const library_category top = walk_library(dir.file("lib"), tidewatch_folder);  // returns: no pipe is opened
  EXPECT_TRUE(top.sites.empty());
  ASSERT_EQ(top.site_count(), 1u);
  EXPECT_EQ(top.categories[0].sites[0].relative, "Tech/t.xml");
  EXPECT_EQ(relative_to_root(dir.file("lib"), dir.file("lib/Tech/t.xml")), "Tech/t.xml");
  EXPECT_EQ(find_library_file(dir.file("lib"), "tech/T.XML"), dir.file("lib/Tech/t.xml"));
}

}  // namespace
}  // namespace vantrel
