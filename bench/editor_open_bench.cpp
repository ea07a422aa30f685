// VantEdit opening documents: a 5 MB ParseDef against a 5 KB one, from Open to the first paint
// of the window, and against reading and decoding the 5 MB file alone (what any editor must
// do), in one run on the display there is (bench/run starts a virtual one when needed).
#include <unistd.h>
#include <wx/app.h>
#include <wx/config.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "bench/bench_support.h"
#include "common/file_read.h"
#include "editor/document.h"
#include "editor/document_editor.h"
#include "editor/editor_dlg.h"

namespace {

using vantrel::bench::best_ms;

// A ParseDef of about `bytes` bytes: many sections of rules, as a generated one would be.
std::string document_of(size_t bytes) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<parsedef name=\"Big\" url=\"http://x/\">\n";
  for (int i = 0; doc.size() < bytes; ++i) {
    doc += "  <section match=\"substr\">\n    <start><div class=\"block-" + std::to_string(i) +
           "\"/></start>\n    <headline><a class=\"headline\"/></headline>\n"
           "    <subhead><p class=\"summary\"/></subhead>\n    <end><div class=\"footer\"/></end>\n  </section>\n";
  }
  return doc + "</parsedef>\n";
}

class bench_app : public wxApp {
 public:
  bool OnInit() override {
    wxConfigBase::DontCreateOnDemand();
    CallAfter([this] { run(); });
    return true;
  }

 private:
  void run() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("editor-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string small = (dir / "small.xml").string(), big = (dir / "big.xml").string();
    std::ofstream(small) << document_of(5 << 10);
    std::ofstream(big) << document_of(5 << 20);
    const vantrel::prefs settings((dir / "vantedit.ini").string());
    auto* editor = new vantrel::CEditorDlg(settings, "");
    editor->SetSize(20, 20, 900, 700);
    editor->Show();
    Yield();
    auto open = [&](const std::string& path) {
      return best_ms(
          [&] {
            editor->session().open(path);
            editor->editor().Refresh();
            editor->editor().Update();
            Yield();
          },
          5);
    };
    const double small_ms = open(small), big_ms = open(big);
    const double read_ms = best_ms(
        [&] {
          const auto bytes = vantrel::read_whole_file(big, 64 << 20);
          if (bytes) (void)vantrel::decode_document(*bytes);
        },
        5);
    std::printf(
        "VantEdit open to first paint: 5 KB %.1f ms, 5 MB %.1f ms (ratio %.2f); reading and decoding the "
        "5 MB file alone %.1f ms (ratio %.2f)\n",
        small_ms, big_ms, big_ms / small_ms, read_ms, big_ms / read_ms);
    editor->Destroy();
    Yield();
    fs::remove_all(dir);
    ExitMainLoop();
  }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(bench_app);

int main(int argc, char** argv) { return wxEntry(argc, argv); }
