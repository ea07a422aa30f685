// The window tests run inside the toolkit's main loop: they start from its first turn and
// leave it when done. Settings, library and runtime folders point into a temporary folder, so
// a run never touches the user's own.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/config.h>
#include <wx/image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/curl_fetcher.h"

namespace {

class gui_test_app : public wxApp {
 public:
  bool OnInit() override {
    wxConfigBase::DontCreateOnDemand();
    wxInitAllImageHandlers();
    vantrel::curl_library_init();
    CallAfter([this] {
      status_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return status_;
  }

 private:
  int status_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // A toolkit assertion is a failure here, not a dialog that waits for a click.
  wxSetAssertHandler(
      [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
        std::fprintf(stderr, "%s:%d: %s: assertion %s failed: %s\n", static_cast<const char*>(file.utf8_str()), line,
                     static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
                     static_cast<const char*>(msg.utf8_str()));
        std::abort();
      });
  const std::string home =
      (std::filesystem::temp_directory_path() / ("vantrel-gui-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(home + "/runtime");
  std::filesystem::permissions(home + "/runtime", std::filesystem::perms::owner_all);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
  wxApp::SetInstance(new gui_test_app);
  const int status = wxEntry(argc, argv);
  std::error_code error;
  std::filesystem::remove_all(home, error);
  return status;
}
