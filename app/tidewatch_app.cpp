#include "app/tidewatch_app.h"

#include <wx/config.h>
#include <wx/image.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <cstring>

#include "app/art.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "common/file_type.h"
#include "common/library.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/trace_log.h"
#include "engine/curl_fetcher.h"
#include "vantrel_version.h"

namespace vantrel {

std::optional<int>& early_exit_status() {
  static std::optional<int> status;
  return status;
}

start_options parse_start_options(int argc, const char* const* argv) {
  start_options o;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      o.help = true;
    } else if (std::strcmp(a, "--version") == 0) {
      o.version = true;
    } else if (std::strcmp(a, "--source") == 0) {
      if (i + 1 >= argc) {
        o.error = "option --source needs a file";
        return o;
      }
      o.source = argv[++i];
    } else if (std::strncmp(a, "--source=", 9) == 0) {
      o.source = a + 9;
    } else if (std::strcmp(a, "--") == 0) {
      if (i + 1 < argc && !o.file) o.file = argv[i + 1];
      break;
    } else if (a[0] == '-' && a[1] != '\0') {
      o.error = std::string("unknown option ") + a;
      return o;
    } else if (!o.file) {
      o.file = a;  // the first name is the file; the others are not used
    }
  }
  if (o.source && !o.file) o.error = "--source needs a PARSEDEF to parse the page with";
  return o;
}

namespace {

constexpr const char* usage =
    "Usage: tidewatch [--source PAGE] [PARSEDEF]\n"
    "Shows the headlines of the site a ParseDef (.xml or .nov) describes; with --source, of a\n"
    "page saved on disk. A second start hands PARSEDEF to the running window.\n";

void switch_tracing(const prefs& settings) {
  if (settings.get_trace() != 0) {
    the_trace_log().start(trace_file_path());
  } else {
    the_trace_log().stop();
  }
}

}  // namespace

bool CTidewatchApp::OnInit() {
  SetAppName("tidewatch");
  // Settings live in our own file; the toolkit must not make a second one of its own.
  wxConfigBase::DontCreateOnDemand();

  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(from_wx(argv[i]));
  std::vector<const char*> raw;
  for (const auto& a : args) raw.push_back(a.c_str());
  const start_options options = parse_start_options(static_cast<int>(raw.size()), raw.data());
  if (!options.error.empty()) {
    std::fprintf(stderr, "tidewatch: %s\nTry 'tidewatch --help'.\n", options.error.c_str());
    early_exit_status() = 2;
    return false;
  }
  early_exit_status() = 0;
  if (options.help || options.version) {
    std::fputs(options.help ? usage : "tidewatch " VANTREL_VERSION_TEXT "\n", stdout);
    return false;
  }

  switch (instance_.start(options.file)) {
    case instance_start::handed_over:
      return false;
    case instance_start::not_answering:
      std::fputs("tidewatch: a Tidewatch is running but does not answer; end it or wait for it\n", stderr);
      early_exit_status() = 1;
      return false;
    case instance_start::first:
      // At once, before the slow steps below: a second start made meanwhile is answered when
      // the window is up, instead of finding nobody and becoming a second window.
      instance_.listen();
      break;
  }
  if (!curl_library_init()) {
    wxMessageBox("Windows sockets initialization failed.", "Vantrel", wxOK | wxICON_ERROR);
    early_exit_status() = 1;
    return false;
  }
  const std::string program = platform::executable_path();
  if (!program.empty()) {
    register_file_type({program, "tidewatch.desktop", "Tidewatch", "Headlines from the sites you choose", "tidewatch",
                        art::parsedef_file_svg()},
                       "Vantrel ParseDef File", file_type_icon | file_type_open);
  }
  wxInitAllImageHandlers();  // before the first worker decodes a logo
  // The very first start finds a library of well-known sites to choose from.
  if (auto starter = starter_library_folder()) install_starter_library(prefs_, *starter);
  switch_tracing(prefs_);

  early_exit_status().reset();
  frame_ = new CMainFrame(prefs_);
  frame_->set_help([this](int context) { help_.show(frame_, context); });
  SetTopWindow(frame_);
  // Hand-overs that came during the steps above arrive now (the paths wait for the window to
  // be idle); a hand-over during the site selector below is answered at once.
  instance_.set_handlers({[this] {
                            if (frame_ != nullptr) frame_->bring_to_front();
                          },
                          [this](const std::string& path) {
                            if (frame_ != nullptr) frame_->view().hand_over(path);
                          }});
  // The very first start (no queue yet) begins with choosing sites.
  if (!frame_->view().queue_loaded()) frame_->view().open_site_selector();
  frame_->Show();
  // Opened once the window is up and has the keyboard: a package's Install dialog then comes
  // on top of it and gets the keys (Enter installs) instead of losing them to the window
  // coming up under it.
  frame_->CallAfter([this, options] {
    if (options.source) {
      frame_->view().open_source(*options.source, *options.file);
    } else if (options.file) {
      frame_->view().open_parsedef(*options.file);
    }
  });
  return true;
}

int CTidewatchApp::OnExit() {
  the_trace_log().stop();
  return wxApp::OnExit();
}

}  // namespace vantrel
