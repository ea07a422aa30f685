// VantEdit's entry point: the window, or "vantedit --pack DOC.xml [--logo LOGO] -o OUT.nov".
#include <wx/app.h>
#include <wx/config.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/file_read.h"
#include "common/file_type.h"
#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "editor/editor_dlg.h"
#include "editor/package_save.h"
#include "ui/wx_text.h"
#include "vantrel_version.h"

namespace vantrel {

// Packs a ParseDef document without a window: 0, or 1 with one line on standard error.
int pack(int argc, char** argv) {
  std::string document, logo, out;
  bool logo_given = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--logo") == 0 && i + 1 < argc) {
      logo = argv[++i];
      logo_given = true;
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (document.empty() && argv[i][0] != '-') {
      document = argv[i];
    } else {
      std::fprintf(stderr, "vantedit: usage: vantedit --pack DOC.xml [--logo LOGO.bmp] -o OUT.nov\n");
      return 1;
    }
  }
  if (document.empty() || out.empty()) {
    std::fprintf(stderr, "vantedit: usage: vantedit --pack DOC.xml [--logo LOGO.bmp] -o OUT.nov\n");
    return 1;
  }
  parsedef_file file;
  if (file.load(document) != 0) {
    std::fprintf(stderr, "vantedit: %s: %s\n", document.c_str(), file.last_error().c_str());
    return 1;
  }
  // Without --logo, the logo the document names, when it lies beside it.
  if (!logo_given) {
    auto named = file.get_logo();
    std::error_code ec;
    if (named && std::filesystem::is_regular_file(*named, ec)) logo = *named;
  }
  std::string bytes, why;
  if (!read_whole_file(document, 16u << 20, bytes, &why) || !write_package(out, bytes, logo, &why)) {
    std::fprintf(stderr, "vantedit: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

class vantedit_app : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("vantedit");
    set_application_name("VantEdit");
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
    vantrel::set_application_name("VantEdit-pack-" + std::to_string(vantrel::platform::process_id()));
    const int status = vantrel::pack(argc, argv);
    vantrel::remove_private_folder();
    return status;
  }
  return wxEntry(argc, argv);
}
