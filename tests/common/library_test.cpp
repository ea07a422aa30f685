// Relative names and the walk of the library tree.
#include "common/library.h"

#include <gtest/gtest.h>

#include <filesystem>

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

  const library_category top = walk_library(dir.file("lib"));
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

}  // namespace
}  // namespace vantrel
