#include "common/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/platform.h"
#include "tests/helpers/temp_dir.h"

namespace fs = std::filesystem;

namespace vantrel {
namespace {

using testing::scoped_env;
using testing::temp_dir;

TEST(MakePathDirs, CreatesFoldersAboveAFileOrTheWholeFolder) {
  temp_dir t;
  EXPECT_EQ(make_path_dirs(t.file("a/b/c/file.txt"), 0), 0);
  EXPECT_TRUE(fs::is_directory(t.file("a/b/c")));
  EXPECT_FALSE(fs::exists(t.file("a/b/c/file.txt")));
  EXPECT_EQ(make_path_dirs(t.file("x/y"), 1), 0);
  EXPECT_TRUE(fs::is_directory(t.file("x/y")));
  EXPECT_EQ(make_path_dirs(t.file("x/y"), 1), 0);  // existing folders are fine
}

TEST(MakePathDirs, FailsWhenAFileStandsInTheWay) {
  temp_dir t;
  t.write("blocker", "x");
  EXPECT_EQ(make_path_dirs(t.file("blocker/sub/file"), 0), -1);
}

TEST(PrivateFolder, IsMadeOwnerOnlyUnderTheRuntimeFolder) {
  temp_dir t;
  scoped_env run("XDG_RUNTIME_DIR", t.path());
  auto folder = private_folder(vantedit_folder);
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, t.path() + "/Vantrel/VantEdit");
  struct stat st {};
  ASSERT_EQ(stat(folder->c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(PrivateFolder, FallsBackToTmpdirWithTheUserId) {
  temp_dir t;
  scoped_env run("XDG_RUNTIME_DIR", "");  // empty counts as unset
  scoped_env tmp("TMPDIR", t.path());
  auto folder = private_folder(tidewatch_folder);
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, t.path() + "/Vantrel-" + std::to_string(platform::user_id()) + "/Vantrel");
}

TEST(PrivateFolder, RefusesALinkPlantedInItsPlace) {
  temp_dir t, elsewhere;
  scoped_env run("XDG_RUNTIME_DIR", t.path());
  fs::create_directory_symlink(elsewhere.path(), t.file("Vantrel"));
  const auto refused = private_folder(tidewatch_folder);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code(), status_code::invalid);
  EXPECT_NE(refused.message().find("not a folder"), std::string::npos) << refused.message();
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(Paths, FollowTheUsersFolders) {
  temp_dir t;
  scoped_env state("XDG_STATE_HOME", t.path() + "/st");
  scoped_env data("XDG_DATA_HOME", t.path() + "/da");
  EXPECT_EQ(trace_file_path(), t.path() + "/st/Vantrel/Vantrace.txt");
  EXPECT_EQ(data_folder(), t.path() + "/da/Vantrel");
  scoped_env rel("XDG_STATE_HOME", "relative/is/ignored");
  scoped_env home("HOME", t.path());
  EXPECT_EQ(trace_file_path(), t.path() + "/.local/state/Vantrel/Vantrace.txt");
}

TEST(Paths, ProgramFolderFileIsBesideTheProgram) {
  std::string p = program_folder_file("Vantrace.txt");
  EXPECT_EQ(fs::path(p).filename(), "Vantrace.txt");
  EXPECT_TRUE(fs::exists(fs::path(p).parent_path() / fs::path(platform::executable_path()).filename()));
}

}  // namespace
}  // namespace vantrel
