#pragma once
// CTidewatchApp: start-up and shutdown of Tidewatch.
#include <wx/app.h>

#include <memory>
#include <optional>
#include <string>

#include "app/help_viewer.h"
#include "app/single_instance.h"
#include "common/prefs.h"

namespace vantrel {

class CMainFrame;

// What the command line asks for: "tidewatch [--source PAGE] [PARSEDEF]".
struct start_options {
  std::optional<std::string> file;    // the ParseDef to open
  std::optional<std::string> source;  // a saved page to parse with it, as Open does
  bool help = false;
  bool version = false;
  std::string error;  // a usage error, for one line on standard error
};
start_options parse_start_options(int argc, const char* const* argv);

// The exit status of a start that ended before the main loop (a hand-over, --help, a usage
// error, no network library); nullopt when the main loop ran.
std::optional<int>& early_exit_status();

class CTidewatchApp : public wxApp {
 public:
  bool OnInit() override;
  int OnExit() override;
  CMainFrame* frame() const { return frame_; }

 private:
  prefs prefs_;
  single_instance instance_;
  help_viewer help_;
  CMainFrame* frame_ = nullptr;
};

}  // namespace vantrel
