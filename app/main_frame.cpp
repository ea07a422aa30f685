#include "app/main_frame.h"

#include <wx/aboutdlg.h>
#include <wx/display.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "app/art.h"
#include "app/commands.h"
#include "app/main_view.h"
#include "app/small_dialogs.h"
#include "app/wx_support.h"
#include "ui/shell.h"

namespace vantrel {

namespace {

constexpr int gauge_id = 101;

wxString menu_text(int id) { return to_wx(std::string(cmd::text_of(id).menu)); }
wxString prompt(int id) { return to_wx(std::string(cmd::text_of(id).prompt)); }

}  // namespace

CMainFrame::CMainFrame(const prefs& settings)
    : wxFrame(nullptr, wxID_ANY, "Vantrel", wxDefaultPosition, wxSize(640, 520)),
      prefs_(settings),
      placement_timer_(this) {
  wxIconBundle icons;
  for (int size : {16, 32, 48, 64}) {
    icons.AddIcon(wxBitmapBundle::FromSVG(art::program_svg().c_str(), wxSize(size, size)).GetIcon(wxSize(size, size)));
  }
  SetIcons(icons);
  make_menu();
  make_toolbar();
  make_status_bar();
  view_ = new CMainView(this, settings);
  restore_placement();
  placed_size_ = GetSize();
  Bind(wxEVT_MENU, &CMainFrame::on_command, this);
  Bind(wxEVT_TOOL, &CMainFrame::on_command, this);
  Bind(wxEVT_UPDATE_UI, &CMainFrame::on_update_ui, this);
  Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
    on_moved_or_sized();
    event.Skip();
  });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    on_moved_or_sized();
    event.Skip();
  });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { save_placement(); });
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) { view_->SetFocus(); });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    if (placement_timer_.IsRunning()) {
      placement_timer_.Stop();
      save_placement();
    }
    event.Skip();
  });
  set_status_text("");
  // The queue pane already says what the view found when it loaded the queue.
}

CMainFrame::~CMainFrame() { placement_timer_.Stop(); }

void CMainFrame::make_menu() {
  auto* bar = new wxMenuBar;
  auto add = [](wxMenu* menu, int id, wxItemKind kind = wxITEM_NORMAL) {
    menu->Append(id, menu_text(id), prompt(id), kind);
  };
  auto* file = new wxMenu;
  add(file, cmd::open);
  add(file, cmd::open_url);
  file->AppendSeparator();
  add(file, cmd::load_parsedef);
  file->AppendSeparator();
  add(file, cmd::exit);
  bar->Append(file, "&File");
  auto* edit = new wxMenu;
  add(edit, cmd::clear);
  add(edit, cmd::mark_all_read);
  add(edit, cmd::find);
  edit->AppendSeparator();
  add(edit, cmd::preferences);
  bar->Append(edit, "&Edit");
  auto* view = new wxMenu;
  add(view, cmd::source, wxITEM_CHECK);
  bar->Append(view, "&View");
  auto* site = new wxMenu;
  add(site, cmd::start_queue);
  add(site, cmd::stop);
  site->AppendSeparator();
  add(site, cmd::queue);
  add(site, cmd::failures);
  add(site, cmd::remove_headlines);
  bar->Append(site, "&Site");
  auto* help = new wxMenu;
  add(help, cmd::help_contents);
  add(help, cmd::bubble_help, wxITEM_CHECK);
  help->AppendSeparator();
  add(help, cmd::about);
  add(help, cmd::online);
  bar->Append(help, "&Help");
  SetMenuBar(bar);
}

void CMainFrame::make_toolbar() {
  wxToolBar* bar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
  bar->SetToolBitmapSize(wxSize(16, 16));
  auto add = [bar](int id, art::tool picture, wxItemKind kind = wxITEM_NORMAL) {
    const auto& t = cmd::text_of(id);
    bar->AddTool(id, to_wx(std::string(t.tip)), art::tool_icon(picture), to_wx(std::string(t.tip)), kind);
    bar->SetToolLongHelp(id, to_wx(std::string(t.prompt)));
  };
  add(cmd::queue, art::tool::queue);
  add(cmd::preferences, art::tool::preferences);
  bar->AddSeparator();
  add(cmd::source, art::tool::source, wxITEM_CHECK);
  bar->AddSeparator();
  add(cmd::start_queue, art::tool::start_queue);
  add(cmd::stop, art::tool::stop);
  add(cmd::clear, art::tool::clear);
  bar->AddSeparator();
  add(cmd::help_contents, art::tool::help);
  add(cmd::bubble_help, art::tool::bubble_help, wxITEM_CHECK);
  add(cmd::online, art::tool::online);
  bar->Realize();
}

void CMainFrame::make_status_bar() {
  wxStatusBar* bar = CreateStatusBar(4, wxSTB_DEFAULT_STYLE);
  fit_panes();
  const int styles[4] = {wxSB_NORMAL, wxSB_FLAT, wxSB_NORMAL, wxSB_NORMAL};
  bar->SetStatusStyles(4, styles);
  // A click on the message pane after a queue run lists the sites that failed, and why.
  bar->Bind(wxEVT_LEFT_DOWN, [this, bar](wxMouseEvent& event) {
    wxRect field;
    if (bar->GetFieldRect(pane_message, field) && field.Contains(event.GetPosition())) {
      CallAfter([this] { view_->show_problems(); });
    }
    event.Skip();
  });
  // The status bar works out its panes in its own size handler: the gauge follows after it.
  bar->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    CallAfter([this] { place_gauge(); });
  });
}

void CMainFrame::set_status_text(const std::string& text) {
  // A long message (a failure, a queue run's summary) that does not fit its pane shows whole
  // in the pane's tip (the status bar's own style).
  SetStatusText(text.empty() ? wxString("Ready") : to_wx(text), pane_message);
}

void CMainFrame::set_progress(int percent) {
  if (gauge_ == nullptr) {
    gauge_ =
        new wxGauge(GetStatusBar(), gauge_id, 100, wxDefaultPosition, wxDefaultSize, wxGA_HORIZONTAL | wxGA_SMOOTH);
    fit_panes();
    place_gauge();
  }
  percent = std::clamp(percent, 0, 100);
  if (gauge_->GetValue() != percent) gauge_->SetValue(percent);
}

void CMainFrame::remove_progress() {
  if (gauge_ == nullptr) return;
  gauge_->Destroy();
  gauge_ = nullptr;
  fit_panes();
}

int CMainFrame::progress() const { return gauge_ != nullptr ? gauge_->GetValue() : -1; }

void CMainFrame::place_gauge() {
  if (gauge_ == nullptr) return;
  wxRect field;
  if (GetStatusBar()->GetFieldRect(pane_progress, field)) gauge_->SetSize(field.Deflate(1, 2));
}

void CMainFrame::set_queue_state_text(const std::string& text) {
  if (GetStatusBar()->GetStatusText(pane_queue) == to_wx(text)) return;
  SetStatusText(to_wx(text), pane_queue);
  fit_panes();
}

void CMainFrame::set_unread_text(const std::string& text) {
  if (GetStatusBar()->GetStatusText(pane_unread) == to_wx(text)) return;
  SetStatusText(to_wx(text), pane_unread);
  fit_panes();
}

void CMainFrame::fit_panes() {
  // Each pane but the message's is as wide as its text (a pane's borders and margins added),
  // never narrower than its shortest text, so the numbers never jump; the message pane takes
  // what is left.
  wxStatusBar* bar = GetStatusBar();
  const int margin = FromDIP(20);
  auto fit = [&](int field, const char* shortest) {
    const int text = std::max(bar->GetTextExtent(bar->GetStatusText(field)).GetWidth(),
                              bar->GetTextExtent(shortest).GetWidth());
    return text + margin;
  };
  const std::array<int, 4> widths = {-1, gauge_ != nullptr ? FromDIP(120) : 1, fit(pane_queue, " Queue 0 of 0"),
                                     fit(pane_unread, " 00 unread")};
  if (widths == pane_widths_) return;
  pane_widths_ = widths;
  bar->SetStatusWidths(4, widths.data());
  place_gauge();
}

void CMainFrame::DoGiveHelp(const wxString& text, bool show) {
  // While a job reports, its text stays in the message pane as the user moves over menus.
  const std::string normal = show && !text.empty() ? from_wx(text) : std::string("Ready");
  SetStatusText(to_wx(view_->controller().prompt(normal)), pane_message);
}

void CMainFrame::on_command(wxCommandEvent& event) {
  const int id = event.GetId();
  if (view_->on_command(id)) return;
  switch (id) {
    case cmd::exit:
      Close();
      break;
    case cmd::about: {
      about_dialog dialog(this);
      dialog.ShowModal();
      break;
    }
    case cmd::help_contents:
      if (show_help_) show_help_(0);
      break;
    case cmd::bubble_help:
      toggle_bubble_help();
      break;
    case cmd::online:
      shell_open(std::string(cmd::web_site));
      break;
    default:
      event.Skip();
  }
}

void CMainFrame::on_update_ui(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  if (view_->on_update_ui(id, event)) return;
  switch (id) {
    case cmd::bubble_help:
      event.Check(bubble_help_on_);
      break;
    default:
      event.Skip();
  }
}

void CMainFrame::toggle_bubble_help() {
  // Bubble help: the toolbar's tips give the long explanation instead of the button's name.
  bubble_help_on_ = !bubble_help_on_;
  wxToolBar* bar = GetToolBar();
  for (int id : {cmd::queue, cmd::preferences, cmd::source, cmd::start_queue, cmd::stop, cmd::clear, cmd::help_contents,
                 cmd::bubble_help, cmd::online}) {
    const auto& t = cmd::text_of(id);
    bar->SetToolShortHelp(id, to_wx(std::string(bubble_help_on_ ? t.bubble : t.tip)));
  }
}

void CMainFrame::restore_placement() {
  frame_rect r;
  if (prefs_.get_frame_pos(r) != 0) return;
  const wxRect wanted(r.left, r.top, r.right - r.left, r.bottom - r.top);
  // A placement from another screen layout, or garbage, must not lose the window: its title
  // bar must lie on a screen.
  if (wanted.width < 200 || wanted.height < 150 || wanted.width > 20000 || wanted.height > 20000) return;
  if (wxDisplay::GetFromPoint(wanted.GetTopLeft() + wxPoint(40, 10)) == wxNOT_FOUND) {
    SetSize(wanted.GetSize());
    return;
  }
  SetSize(wanted);
}

void CMainFrame::on_moved_or_sized() {
  // This desktop tells moves and sizes one step at a time, never when they end: the placement
  // is saved once the steps have stopped for a moment.
  if (IsIconized() || IsMaximized() || IsFullScreen() || !IsShown()) return;
  placement_timer_.StartOnce(400);
}

void CMainFrame::save_placement() {
  if (IsIconized() || IsMaximized() || IsFullScreen()) return;
  const wxRect r = GetRect();
  if (r.GetSize() != placed_size_) {
    placed_size_ = r.GetSize();
    view_->rebuild_list();
  }
  prefs_.set_frame_pos({r.x, r.y, r.x + r.width, r.y + r.height});
}

void CMainFrame::bring_to_front() {
  if (IsIconized()) Iconize(false);
  Show();
  Raise();
  if (!IsActive()) RequestUserAttention();
}

}  // namespace vantrel
