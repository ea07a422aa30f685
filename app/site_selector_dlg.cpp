#include "app/site_selector_dlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <algorithm>

#include "app/art.h"
#include "app/wx_support.h"

namespace vantrel {

namespace {

// Which site of the model a tree item shows (categories carry none).
class site_item : public wxTreeItemData {
 public:
  explicit site_item(std::optional<size_t> site) : index(site) {}
  std::optional<size_t> index;
};

void add_category(wxTreeCtrl& tree, const wxTreeItemId& parent, const library_category& node,
                  const site_selector_model& model) {
  for (const auto& c : node.categories) {
    const wxTreeItemId item = tree.AppendItem(parent, to_wx(c.title), 0, 0, new site_item(std::nullopt));
    add_category(tree, item, c, model);
  }
  for (const auto& s : node.sites)
    tree.AppendItem(parent, to_wx(s.name), 1, 1, new site_item(model.site_index(s.path)));
}

// The queue list's image for a status: the run_state icons in their order.
int image_of(const entry_status& status) {
  if (!status.outcome) return static_cast<int>(art::run_state::never);
  switch (*status.outcome) {
    case run_outcome::headlines:
      return static_cast<int>(art::run_state::headlines);
    case run_outcome::unchanged:
      return static_cast<int>(art::run_state::unchanged);
    case run_outcome::nothing:
      return static_cast<int>(art::run_state::nothing);
    case run_outcome::failed:
      break;
  }
  return static_cast<int>(art::run_state::failed);
}

enum column { column_site = 0, column_refresh = 1, column_last_run = 2 };

}  // namespace

CSiteSelectorDlg::CSiteSelectorDlg(wxWindow* parent, const std::string& root, site_queue& queue,
                                   std::function<void()> show_help,
                                   std::function<std::optional<site_run>(const std::string& key)> last_run)
    : wxDialog(parent, wxID_ANY, "Site Selector", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      model_(root, queue),
      show_help_(std::move(show_help)) {
  model_.set_run_source(std::move(last_run));
  auto* columns = new wxBoxSizer(wxHORIZONTAL);

  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(new wxStaticText(this, wxID_ANY, "Available Sites:"), 0, wxBOTTOM, 4);
  tree_ = new wxTreeCtrl(this, id_tree, wxDefaultPosition, FromDIP(wxSize(240, 300)),
                         wxTR_DEFAULT_STYLE | wxTR_HIDE_ROOT | wxTR_SINGLE);
  wxVector<wxBitmapBundle> images;
  images.push_back(art::page_icon(art::page::folders));
  images.push_back(art::tool_icon(art::tool::source));
  tree_->SetImages(images);
  left->Add(tree_, 1, wxEXPAND);
  columns->Add(left, 1, wxEXPAND | wxALL, 10);

  auto* buttons = new wxBoxSizer(wxVERTICAL);
  buttons->AddSpacer(FromDIP(20));
  const std::pair<int, const char*> labels[] = {
      {id_add, "&Add"},       {id_add_all, "A&dd all"},       {id_move_up, "Move &Up"}, {id_move_down, "Move &Down"},
      {id_remove, "&Remove"}, {id_remove_all, "Re&move All"}, {id_open, "&Open"}};
  for (const auto& [id, label] : labels) {
    auto* button = new wxButton(this, id, label);
    buttons->Add(button, 0, wxEXPAND | wxBOTTOM, 6);
    button->Bind(wxEVT_BUTTON, [this, id = id](wxCommandEvent&) { command(id); });
  }
  columns->Add(buttons, 0, wxTOP | wxBOTTOM, 10);

  auto* right = new wxBoxSizer(wxVERTICAL);
  right->Add(new wxStaticText(this, wxID_ANY, "Site Queue:"), 0, wxBOTTOM, 4);
  list_ = new wxListCtrl(this, id_list, wxDefaultPosition, FromDIP(wxSize(500, 300)), wxLC_REPORT | wxLC_SINGLE_SEL);
  list_->EnableCheckBoxes();
  wxVector<wxBitmapBundle> states;
  for (int r = 0; r <= static_cast<int>(art::run_state::failed); ++r)
    states.push_back(art::run_icon(art::run_state(r)));
  list_->SetSmallImages(states);
  list_->AppendColumn("Site", wxLIST_FORMAT_LEFT, FromDIP(170));
  list_->AppendColumn("Refresh", wxLIST_FORMAT_LEFT, FromDIP(100));
  list_->AppendColumn("Last run", wxLIST_FORMAT_LEFT, FromDIP(300));
  right->Add(list_, 1, wxEXPAND);
  // The columns grow with the dialog: the site's name takes what its longest name needs (up
  // to two fifths), the last run's message the rest.
  list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    fit_columns();
  });
  auto* every = new wxBoxSizer(wxHORIZONTAL);
  every->Add(new wxStaticText(this, wxID_ANY, "Refresh &every"), 0, wxALIGN_CENTER_VERTICAL);
  refresh_ = new wxSpinCtrl(this, id_refresh, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 7 * 24 * 60);
  every->Add(refresh_, 0, wxLEFT | wxRIGHT, 6);
  every->Add(new wxStaticText(this, wxID_ANY, "minutes (0: only when you start the queue)"), 0,
             wxALIGN_CENTER_VERTICAL);
  right->Add(every, 0, wxTOP, 6);
  status_ = new wxStaticText(this, id_status, "", wxDefaultPosition, wxDefaultSize, wxST_ELLIPSIZE_END);
  right->Add(status_, 0, wxEXPAND | wxTOP, 6);
  columns->Add(right, 2, wxEXPAND | wxALL, 10);

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  auto* help = new wxButton(this, id_help, "&Help");
  help->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (show_help_) show_help_();
  });
  bottom->Add(help);
  bottom->AddStretchSpacer();
  auto* close = new wxButton(this, wxID_OK, "Close");
  close->SetDefault();
  bottom->Add(close);

  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(columns, 1, wxEXPAND);
  outer->Add(bottom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(outer);
  SetEscapeId(wxID_OK);  // Escape and the close box keep the changes, as Close does

  tree_->Bind(wxEVT_TREE_SEL_CHANGED, &CSiteSelectorDlg::on_tree_selection, this);
  tree_->Bind(wxEVT_TREE_ITEM_ACTIVATED, [this](wxTreeEvent& event) {
    // Activating a site adds it; activating a category only opens or closes it.
    auto* data = dynamic_cast<site_item*>(tree_->GetItemData(event.GetItem()));
    if (data != nullptr && data->index) {
      command(id_add);
    } else {
      event.Skip();
    }
  });
  list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
    model_.select_entry(static_cast<size_t>(event.GetIndex()));
    show_selected_entry();
    refresh_buttons();
  });
  list_->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) {
    model_.select_entry(std::nullopt);
    show_selected_entry();
    refresh_buttons();
  });
  // The entry whose box was clicked, whichever is selected.
  list_->Bind(wxEVT_LIST_ITEM_CHECKED,
              [this](wxListEvent& event) { model_.set_enabled(static_cast<size_t>(event.GetIndex()), true); });
  list_->Bind(wxEVT_LIST_ITEM_UNCHECKED,
              [this](wxListEvent& event) { model_.set_enabled(static_cast<size_t>(event.GetIndex()), false); });
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    model_.select_site(std::nullopt);
    model_.select_entry(static_cast<size_t>(event.GetIndex()));
    command(id_open);
  });
  refresh_->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent& event) {
    if (auto entry = model_.selected_entry(); entry && *entry < model_.queue().count()) {
      model_.set_refresh(*entry, event.GetPosition());
      list_->SetItem(static_cast<long>(*entry), column_refresh, to_wx(model_.refresh_text(*entry)));
    }
  });

  fill_tree();
  fill_list();
  refresh_buttons();
}

void CSiteSelectorDlg::fill_tree() {
  tree_->DeleteAllItems();
  const wxTreeItemId root = tree_->AddRoot("");
  add_category(*tree_, root, model_.library(), model_);
  // Categories open, so the sites are in view at once.
  wxTreeItemIdValue cookie;
  for (wxTreeItemId item = tree_->GetFirstChild(root, cookie); item.IsOk(); item = tree_->GetNextChild(root, cookie)) {
    if (tree_->ItemHasChildren(item)) tree_->Expand(item);
  }
}

void CSiteSelectorDlg::fill_list() {
  // Filling sends selection and check events that would change the model: it says what is
  // shown, so they are put back after.
  const std::optional<size_t> selected = model_.selected_entry();
  list_->Freeze();
  list_->DeleteAllItems();
  const site_queue& queue = model_.queue();
  for (size_t i = 0; i < queue.count(); ++i) {
    const bool enabled = queue[i].enabled != 0;
    list_->InsertItem(static_cast<long>(i), to_wx(queue_name(queue[i])));
    fill_row(i);
    list_->CheckItem(static_cast<long>(i), enabled);
    model_.set_enabled(i, enabled);
  }
  model_.select_entry(selected);
  if (selected && *selected < queue.count()) {
    list_->SetItemState(static_cast<long>(*selected), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    list_->EnsureVisible(static_cast<long>(*selected));
  }
  list_->Thaw();
  fit_columns();
  show_selected_entry();
}

void CSiteSelectorDlg::fit_columns() {
  const int width = list_->GetClientSize().GetWidth();
  if (width <= 0) return;
  // The check box and the run's icon come before the name.
  int names = FromDIP(120);
  const site_queue& queue = model_.queue();
  for (size_t i = 0; i < queue.count(); ++i)
    names = std::max(names, list_->GetTextExtent(to_wx(queue_name(queue[i]))).GetWidth() + FromDIP(60));
  const int refresh = FromDIP(100);
  const int site = std::min(names, width * 2 / 5);
  const int last = std::max(FromDIP(150), width - site - refresh);
  if (list_->GetColumnWidth(0) == site && list_->GetColumnWidth(column_refresh) == refresh &&
      list_->GetColumnWidth(column_last_run) == last)
    return;
  list_->SetColumnWidth(0, site);
  list_->SetColumnWidth(column_refresh, refresh);
  list_->SetColumnWidth(column_last_run, last);
}

void CSiteSelectorDlg::fill_row(size_t entry) {
  const entry_status status = model_.status(entry);
  const long row = static_cast<long>(entry);
  list_->SetItemImage(row, image_of(status));
  list_->SetItem(row, column_refresh, to_wx(model_.refresh_text(entry)));
  list_->SetItem(row, column_last_run, to_wx(status.text));
}

void CSiteSelectorDlg::show_selected_entry() {
  const auto entry = model_.selected_entry();
  const bool shown = entry && *entry < model_.queue().count();
  refresh_->Enable(shown);
  refresh_->SetValue(shown ? static_cast<int>(std::clamp<long>(model_.queue()[*entry].refresh, 0, refresh_->GetMax()))
                           : 0);
  status_->SetLabelText(shown ? to_wx(model_.status(*entry).text) : wxString());
  status_->SetToolTip(status_->GetLabelText());
}

void CSiteSelectorDlg::on_tree_selection(wxTreeEvent& event) {
  auto* data = event.GetItem().IsOk() ? dynamic_cast<site_item*>(tree_->GetItemData(event.GetItem())) : nullptr;
  model_.select_site(data != nullptr ? data->index : std::nullopt);
  refresh_buttons();
}

void CSiteSelectorDlg::refresh_buttons() {
  const selector_buttons b = model_.buttons();
  const std::pair<int, bool> states[] = {
      {id_add, b.add},         {id_add_all, b.add_all},     {id_remove, b.remove}, {id_remove_all, b.remove_all},
      {id_move_up, b.move_up}, {id_move_down, b.move_down}, {id_open, b.open}};
  for (const auto& [id, on] : states) FindWindow(id)->Enable(on);
}

void CSiteSelectorDlg::command(int id) {
  bool changed = false;
  switch (id) {
    case id_add:
      changed = model_.add();
      break;
    case id_add_all:
      changed = model_.add_all();
      break;
    case id_remove:
      changed = model_.remove();
      break;
    case id_remove_all:
      changed = model_.remove_all();
      break;
    case id_move_up:
      changed = model_.move(-1);
      break;
    case id_move_down:
      changed = model_.move(+1);
      break;
    case id_open:
      if (auto path = model_.open_path()) {
        selected_path_ = *path;
        EndModal(id_open);
      }
      return;
    default:
      return;
  }
  if (changed) fill_list();
  refresh_buttons();
  if (!model_.refusal_text().empty()) {
    wxMessageBox(to_wx(model_.refusal_text()), "Vantrel", wxOK | wxICON_WARNING, this);
  }
}

}  // namespace vantrel
