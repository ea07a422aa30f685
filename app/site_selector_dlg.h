#pragma once
// "Site Selector": the library's sites on the left, the queue on the right, the buttons between.
// Each queued site shows how it last ran (an icon and the reason) and how often it refreshes
// by itself, set below the queue for the selected site. The queue is edited in place; the
// caller saves it unless the dialog was cancelled. Escape and the close box act as Close.
#include <wx/dialog.h>

#include <functional>
#include <optional>
#include <string>

#include "app/site_selector_model.h"

class wxButton;
class wxListCtrl;
class wxSpinCtrl;
class wxStaticText;
class wxTreeCtrl;
class wxTreeEvent;

namespace vantrel {

class CSiteSelectorDlg : public wxDialog {
 public:
  enum {
    id_add = 1001,
    id_add_all = 1002,
    id_remove = 1003,
    id_remove_all = 1004,
    id_move_up = 1005,
    id_move_down = 1006,
    id_open = 1011,
    id_help = 1049,
    id_tree = 101,
    id_list = 102,
    id_refresh = 103,
    id_status = 104,
  };

  // last_run: how a site (by key) last ran; none leaves every site "Never run".
  CSiteSelectorDlg(wxWindow* parent, const std::string& root, site_queue& queue, std::function<void()> show_help,
                   std::function<std::optional<site_run>(const std::string& key)> last_run = {});

  // After the dialog ended with id_open: the file to process.
  const std::string& selected_path() const { return selected_path_; }
  site_selector_model& model() { return model_; }
  // Runs a command as its button would (tests, and the buttons themselves).
  void command(int id);

 private:
  void fill_tree();
  void fill_list();
  void fill_row(size_t entry);
  // The columns' widths for the list's width and the names it shows.
  void fit_columns();
  void refresh_buttons();
  // The refresh box and the status line follow the selected entry.
  void show_selected_entry();
  void on_tree_selection(wxTreeEvent& event);

  site_selector_model model_;
  std::function<void()> show_help_;
  wxTreeCtrl* tree_ = nullptr;
  wxListCtrl* list_ = nullptr;
  wxSpinCtrl* refresh_ = nullptr;
  wxStaticText* status_ = nullptr;
  std::string selected_path_;
};

}  // namespace vantrel
