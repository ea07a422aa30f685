#include "app/site_selector_dlg.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

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

}  // namespace

CSiteSelectorDlg::CSiteSelectorDlg(wxWindow* parent, const std::string& root, site_queue& queue,
                                   std::function<void()> show_help)
    : wxDialog(parent, wxID_ANY, "Site Selector", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      model_(root, queue),
      show_help_(std::move(show_help)) {
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
  list_ = new wxCheckListBox(this, id_list, wxDefaultPosition, FromDIP(wxSize(240, 300)));
  right->Add(list_, 1, wxEXPAND);
  columns->Add(right, 1, wxEXPAND | wxALL, 10);

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
  list_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) {
    const int selection = list_->GetSelection();
    model_.select_entry(selection == wxNOT_FOUND ? std::nullopt : std::optional<size_t>(selection));
    refresh_buttons();
  });
  list_->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent& event) {
    // The entry whose box was clicked, whichever is selected.
    const unsigned index = static_cast<unsigned>(event.GetInt());
    model_.set_enabled(index, list_->IsChecked(index));
  });
  list_->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent& event) {
    model_.select_site(std::nullopt);
    model_.select_entry(static_cast<size_t>(event.GetInt()));
    command(id_open);
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
  list_->Freeze();
  list_->Clear();
  const site_queue& queue = model_.queue();
  for (size_t i = 0; i < queue.count(); ++i) {
    list_->Append(to_wx(queue_name(queue[i])));
    list_->Check(static_cast<unsigned>(i), queue[i].enabled != 0);
  }
  if (auto selected = model_.selected_entry(); selected && *selected < queue.count()) {
    list_->SetSelection(static_cast<int>(*selected));
  }
  list_->Thaw();
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
