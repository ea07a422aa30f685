#pragma once
// "Install ParseDef": offered when a package from outside the library is opened.
#include <wx/dialog.h>

#include <functional>
#include <string>

class wxCheckBox;

namespace vantrel {

class CInstallDlg : public wxDialog {
 public:
  enum {
    id_fname = 1060,
    id_install = 1062,
    id_add_to_queue = 1063,
    id_open = 1011,
    id_help = 1049,
    id_category = 1070,
    id_version = 1071,
    id_name = 1072
  };

  CInstallDlg(wxWindow* parent, const std::string& path, const std::string& name, const std::string& category,
              int version, std::function<void()> show_help);

  bool install() const;
  bool add_to_queue() const;
  bool open_after() const;
  // Install switched by the user: Add to queue follows it (enabled and checked, or neither).
  void set_install(bool on);

 private:
  wxCheckBox* install_;
  wxCheckBox* add_;
  wxCheckBox* open_;
};

}  // namespace vantrel
