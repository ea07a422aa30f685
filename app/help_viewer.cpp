#include "app/help_viewer.h"

#include <wx/html/helpctrl.h>
#include <wx/msgdlg.h>

#include "app/wx_support.h"
#include "common/paths.h"

namespace vantrel {

help_viewer::help_viewer() = default;
help_viewer::~help_viewer() = default;

std::string help_viewer::book_path() {
#ifdef VANTREL_SOURCE_MANUAL
  return shipped_path("manual/tidewatch.hhp", VANTREL_SOURCE_MANUAL).value_or("");
#else
  return shipped_path("manual/tidewatch.hhp", "").value_or("");
#endif
}

bool help_viewer::show(wxWindow* parent, int context) {
  if (!controller_) {
    const std::string book = book_path();
    if (book.empty()) {
      wxMessageBox("The Tidewatch manual is not installed.", "Vantrel", wxOK | wxICON_INFORMATION, parent);
      return false;
    }
    controller_ = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE, parent);
    controller_->SetTitleFormat("Tidewatch Help: %s");
    if (!controller_->AddBook(wxFileName(to_wx(book)), false)) {
      controller_.reset();
      wxMessageBox("The Tidewatch manual could not be read.", "Vantrel", wxOK | wxICON_WARNING, parent);
      return false;
    }
  }
  if (context == 0) return controller_->DisplayContents();
  return controller_->DisplaySection(context) || controller_->DisplayContents();
}

}  // namespace vantrel
