#pragma once
// The "Get URL" and "About Vantrel" dialogs.
#include <wx/dialog.h>

class wxTextCtrl;

namespace vantrel {

class get_url_dialog : public wxDialog {
 public:
  static constexpr int id_url = 1000;
  explicit get_url_dialog(wxWindow* parent);
  std::string url() const;

 private:
  wxTextCtrl* url_;
};

class about_dialog : public wxDialog {
 public:
  static constexpr int id_version = 1071;
  explicit about_dialog(wxWindow* parent);
};

// "Version %u.%u (build %u)" of this build.
std::string version_line();

}  // namespace vantrel
