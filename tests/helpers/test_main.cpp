// Every test binary runs with its own home, state, data and runtime folders, so no test
// touches the user's files or another run's.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/helpers/temp_dir.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vantrel::testing::temp_dir home;
  std::filesystem::create_directories(home.path() + "/run");
  std::filesystem::permissions(home.path() + "/run", std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  vantrel::testing::scoped_env h("HOME", home.path());
  vantrel::testing::scoped_env r("XDG_RUNTIME_DIR", home.path() + "/run");
  vantrel::testing::scoped_env s("XDG_STATE_HOME", home.path() + "/state");
  vantrel::testing::scoped_env d("XDG_DATA_HOME", home.path() + "/data");
  vantrel::testing::scoped_env c("XDG_CONFIG_HOME", home.path() + "/config");
  return RUN_ALL_TESTS();
}
