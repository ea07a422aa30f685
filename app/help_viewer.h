#pragma once
// The manual: an HTML book shown in the toolkit's help window, one anchor per help context
// (0 the contents, 30 the site selector, 49 installing a ParseDef).
#include <memory>
#include <string>

class wxHtmlHelpController;
class wxWindow;

namespace vantrel {

class help_viewer {
 public:
  help_viewer();
  ~help_viewer();
  // Shows the contents (context 0) or one context's page. false when no manual is installed
  // (the user is told so).
  bool show(wxWindow* parent, int context);
  // The manual's book file, installed beside the program or in the source tree; empty when
  // neither exists.
  static std::string book_path();

 private:
  std::unique_ptr<wxHtmlHelpController> controller_;
};

}  // namespace vantrel
