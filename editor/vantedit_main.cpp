// VantEdit's entry point: the window, or "vantedit --pack DOC.xml [--logo LOGO] -o OUT.nov".
#include <wx/app.h>
#include <wx/config.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/file_type.h"
#include "common/paths.h"
#include "common/platform.h"
#include "editor/editor_dlg.h"
#include "editor/editor_session.h"
#include "ui/wx_text.h"
#include "vantrel_version.h"

namespace vantrel {

namespace {

// The session's view for --pack: no window, no questions (what a window would ask is refused
// and said), every message one line on standard error.
class pack_view : public editor_view {
 public:
  std::string text() const override { return text_; }
  void show_text(const std::string& text) override { text_ = text; }
  void show_state(const std::string&, const std::string&, const std::string&) override {}
  save_answer ask_save() override { return save_answer::cancel; }
  bool ask(const std::string& question) override {
    say(question.substr(0, question.find('\n')));
    return false;
  }
  std::optional<std::string> choose_save_path() override { return std::nullopt; }
  void message(const std::string& text) override { say(text); }

 private:
  static void say(std::string text) {
    for (char& c : text)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "vantedit: %s\n", text.c_str());
  }
  std::string text_;
};

constexpr const char* pack_usage = "vantedit: usage: vantedit --pack DOC.xml [--logo LOGO.bmp] -o OUT.nov\n";

}  // namespace

// Packs a ParseDef document without a window, as Save would: 0, or 1 with the reason on
// standard error.
// app: the private folder of this run of --pack alone.
int pack(int argc, char** argv, const std::string& app) {
  std::string document, out;
  std::optional<std::string> logo;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--logo") == 0 && i + 1 < argc) {
      logo = argv[++i];
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (document.empty() && argv[i][0] != '-') {
      document = argv[i];
    } else {
      std::fputs(pack_usage, stderr);
      return 1;
    }
  }
  if (document.empty() || out.empty()) {
    std::fputs(pack_usage, stderr);
    return 1;
  }
  pack_view view;
  editor_session session(
      view, [](const std::vector<std::string>&) { return false; }, app);
  // Without --logo, the logo the document names beside it, as Open finds it.
  if (!session.open(document)) return 1;
  if (logo) session.import_logo(*logo);
  return session.save_to(out) ? 0 : 1;
}

class vantedit_app : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("vantedit");
    wxConfigBase::DontCreateOnDemand();
    const std::string program = platform::executable_path();
    if (!program.empty()) {
      register_file_type({program, "vantedit.desktop", "VantEdit", "Edit Vantrel ParseDefs", "vantedit", ""},
                         "Vantrel ParseDef File", file_type_edit);
    }
    std::string path;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = from_wx(argv[i]);
      if (!arg.empty() && arg[0] != '-') {
        path = arg;
        break;
      }
    }
    auto* editor = new CEditorDlg(settings_, path);
    SetTopWindow(editor);
    editor->Show();
    return true;
  }

 private:
  prefs settings_{config_folder() + "/vantedit.ini"};
};

}  // namespace vantrel

wxIMPLEMENT_APP_NO_MAIN(vantrel::vantedit_app);

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(
        "Usage: vantedit [DOCUMENT]\n"
        "       vantedit --pack DOC.xml [--logo LOGO.bmp] -o OUT.nov\n"
        "Edits a Vantrel ParseDef (.nov package or .xml document); --pack writes the package\n"
        "without a window.\n",
        stdout);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("vantedit " VANTREL_VERSION_TEXT "\n", stdout);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--pack") == 0) {
    // A folder of this run's own, removed at its end: a VantEdit window beside it keeps its own.
    const std::string app = "VantEdit-pack-" + std::to_string(vantrel::platform::process_id());
    const int status = vantrel::pack(argc, argv, app);
    vantrel::remove_private_folder(app);
    return status;
  }
  return wxEntry(argc, argv);
}
