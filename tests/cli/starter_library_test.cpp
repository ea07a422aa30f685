// The starter library: every ParseDef follows the published feed formats (checked on local
// documents of RSS 0.91, 1.0 and 2.0; tests never fetch), and an empty library receives it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_run.h"
#include "common/library.h"
#include "common/paths.h"
#include "common/prefs.h"
#include "tests/cli/run_cli.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel::cli {
namespace {

const std::string starter = std::string(VANTREL_TEST_DATA) + "/../../data/starter";
const std::string feeds = std::string(VANTREL_TEST_DATA) + "/feeds/";

std::string run_on(const std::string& feed, const std::string& parsedef) {
  const testing::result r = testing::run_cli({"--source", feed, parsedef});
  EXPECT_EQ(r.code, 0) << r.err;
  return r.out;
}

TEST(StarterLibrary, EveryParseDefReadsEveryFeedFormat) {
  const library_category library = walk_library(starter, tidewatch_folder);
  ASSERT_GE(library.site_count(), 6u);
  const struct {
    const char* file;
    std::string headlines;
  } formats[] = {
      {"rss-0.91.xml",
       "Caf\u00e9 opens\n  Na\u00efve summary\n  https://example.org/cafe\n\n"
       "Second\n  Summary two\n  https://example.org/second\n\n"},
      {"rss-1.0.xml",
       "First & foremost\n  About <b>A</b>\n  https://example.org/a\n\nSecond\n  About B\n  https://example.org/b\n\n"},
      {"rss-2.0.xml",
       "First story\n  <p>Summary <b>one</b></p>\n  https://example.org/1\n\n"
       "Second story\n  Summary two\n  https://example.org/2\n\n"},
  };
  int atom_sites = 0;
  for (const auto& category : library.categories) {
    for (const auto& site : category.sites) {
      for (const auto& f : formats)
        EXPECT_EQ(run_on(feeds + f.file, site.path), f.headlines) << site.path << " " << f.file;
      // A site whose feed is Atom: the entry's address comes from <link href="..."/>.
      if (testing::read_file(site.path).find("<entry/>") == std::string::npos) continue;
      ++atom_sites;
      EXPECT_EQ(run_on(feeds + "atom.xml", site.path),
                "Go 1.30 is released\n  What is new in 1.30\n  https://example.org/go1.30\n\n"
                "Profiles and you\n  Second\n  https://example.org/profiles\n\n")
          << site.path;
    }
  }
  EXPECT_GE(atom_sites, 1);
}

TEST(StarterLibrary, IsCopiedIntoAnEmptyLibraryOnTheVeryFirstStartOnly) {
  testing::temp_dir dir;
  const prefs first(dir.write("first.ini", "[preferences]\nparsedef_root=" + dir.file("lib") + "\n"));
  const int files = install_starter_library(first, starter);
  EXPECT_EQ(static_cast<size_t>(files), 2 * walk_library(starter, tidewatch_folder).site_count())
      << "each ParseDef with its logo";
  EXPECT_EQ(walk_library(dir.file("lib"), tidewatch_folder).site_count(),
            walk_library(starter, tidewatch_folder).site_count());
  std::filesystem::remove_all(dir.file("lib"));
  EXPECT_EQ(install_starter_library(first, starter), 0) << "a library emptied later stays empty";
  EXPECT_FALSE(testing::file_exists(dir.file("lib")));

  dir.write("used/mine.xml", "<parsedef name='Mine' url='http://x/'/>");
  const prefs used(dir.write("used.ini", "[preferences]\nparsedef_root=" + dir.file("used") + "\n"));
  EXPECT_EQ(install_starter_library(used, starter), 0);
  EXPECT_EQ(testing::list_files(dir.file("used")), "mine.xml\n");
}

}  // namespace
}  // namespace vantrel::cli
