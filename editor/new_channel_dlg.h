#pragma once
// "New Channel": a new ParseDef from one of the templates, filled with the site's values.
#include <wx/dialog.h>

#include <string>

class wxChoice;
class wxTextCtrl;

namespace vantrel {

class CNewChannelDlg : public wxDialog {
 public:
  enum {
    id_name = 1016,
    id_url = 1017,
    id_logo = 1018,
    id_category = 1020,
    id_version = 1021,
    id_template = 1024,
    id_browse = 1043
  };

  explicit CNewChannelDlg(wxWindow* parent);

  // After OK: the new document, and the logo's full path (or its typed name).
  const std::string& document() const { return document_; }
  const std::string& logo_path() const { return logo_path_; }
  // What OK does; false (with a message shown) when the dialog stays open.
  bool accept();

 private:
  wxTextCtrl *name_, *url_, *logo_, *category_, *version_;
  wxChoice* template_;
  std::string document_, logo_path_, browsed_path_;
};

}  // namespace vantrel
