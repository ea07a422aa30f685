#include "app/main_view.h"

#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/notifmsg.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>

#include <ctime>

#include "app/commands.h"
#include "app/headline_list.h"
#include "app/install_dlg.h"
#include "app/main_frame.h"
#include "app/preferences_dlg.h"
#include "app/site_selector_dlg.h"
#include "app/small_dialogs.h"
#include "app/source_window.h"
#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/queue_policy.h"
#include "common/trace_log.h"

namespace vantrel {

namespace {
constexpr int queue_timer_id = 1;
constexpr int schedule_timer_id = 2;
// How often the schedule looks for due sites; the first look comes soon after the start.
constexpr int schedule_period_ms = 30'000;
constexpr int first_look_ms = 5'000;
// How long one idle moment may load the store for, so the window answers meanwhile.
constexpr std::chrono::milliseconds history_step{20};

void desktop_notification(wxWindow* parent, const std::string& text) {
  wxLogNull quiet;  // without a notification service the message pane has said it already
  wxNotificationMessage message("Vantrel", to_wx(text), parent);
  message.Show(wxNotificationMessage::Timeout_Auto);
}
}  // namespace

// Counts every modal dialog of the program (the view's own, message boxes, About, the file
// choosers), so a hand-over waits until the user is done with them.
class CMainView::modal_watch : public wxModalDialogHook {
 public:
  explicit modal_watch(CMainView& view) : view_(view) { Register(); }
  ~modal_watch() override { Unregister(); }
  modal_watch(const modal_watch&) = delete;
  modal_watch& operator=(const modal_watch&) = delete;

 protected:
  int Enter(wxDialog*) override {
    ++view_.modal_depth_;
    return wxID_NONE;  // the dialog is shown as usual
  }
  void Exit(wxDialog*) override {
    --view_.modal_depth_;
    view_.CallAfter([&view = view_] { view.controller().deliver_hand_overs(view.modal_open()); });
  }

 private:
  CMainView& view_;
};

CMainView::CMainView(CMainFrame* frame, const prefs& settings)
    : wxPanel(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_THEME | wxTAB_TRAVERSAL),
      frame_(frame),
      prefs_(settings) {
  fetcher_.set_user_agent(prefs_.get_user_agent());
  session_ = std::make_unique<reading_session>(dispatcher_, &fetcher_, *this, &pictures_,
                                               static_cast<queue_window&>(*this), prefs_);
  controller().set_logo_decoder(
      [](const std::string& bytes) -> std::shared_ptr<picture> { return decode_logo(bytes); });
  notify_ = [this](const std::string& text) { desktop_notification(this, text); };
  controller().set_hand_over_opener([this](const std::string& path) { open_parsedef(path); });
  queue_timer_.SetOwner(this, queue_timer_id);
  Bind(
      wxEVT_TIMER, [this](wxTimerEvent&) { runner().on_timer(); }, queue_timer_id);
  schedule_timer_.SetOwner(this, schedule_timer_id);
  Bind(
      wxEVT_TIMER,
      [this](wxTimerEvent&) {
        check_schedule();
        if (!schedule_timer_.IsRunning() || schedule_timer_.GetInterval() != schedule_period_ms)
          schedule_timer_.Start(schedule_period_ms);
      },
      schedule_timer_id);
  filter_ = new wxSearchCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  filter_->SetDescriptiveText("Filter headlines");
  filter_->ShowCancelButton(true);
  filter_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { apply_filter(); });
  filter_->Bind(wxEVT_SEARCH_CANCEL, [this](wxCommandEvent&) {
    filter_->ChangeValue("");
    apply_filter();
  });
  filter_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    // Escape empties the filter and goes back to the list (an empty one lets it stop a job).
    if (event.GetKeyCode() == WXK_ESCAPE && !filter_->GetValue().IsEmpty()) {
      filter_->ChangeValue("");
      apply_filter();
      list_->SetFocus();
      return;
    }
    event.Skip();
  });
  // Escape stops what runs, as the Stop button does, wherever the focus is in the window.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && controller().can_stop()) {
      session_->stop_all();
      return;
    }
    event.Skip();
  });
  list_ = new CHeadlineList(this, controller().reading(), prefs_);
  list_->set_opened_listener([this](size_t row) {
    controller().mark_read(row);
    show_unread();
  });
  list_->set_failed_listener([this](const std::string& link) {
    controller().show_message("No web browser could be started for " + link + "; the headline stays unread.");
  });
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(filter_, 0, wxEXPAND | wxALL, 2);
  sizer->Add(list_, 1, wxEXPAND);
  SetSizer(sizer);
  source_ = new CParsedSourceWnd(frame, frame->GetClientAreaOrigin() + frame->GetPosition());
  source_->set_hidden_notification([this] { source_visible_ = false; });
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) { list_->SetFocus(); });
  Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
    const bool loading = controller().history_pending();
    if (session_->on_idle(modal_open(), history_step)) event.RequestMore();
    if (loading) show_unread();
    event.Skip();
  });
  queue_loaded_ = load_queue();
  session_->open_history();
  show_unread();
  modal_watch_ = std::make_unique<modal_watch>(*this);
  schedule_timer_.StartOnce(first_look_ms);
}

CMainView::~CMainView() {
  modal_watch_.reset();
  queue_timer_.Stop();
  schedule_timer_.Stop();
  // The worker is stopped and joined before the windows its tasks would reach go away.
  session_.reset();
}

bool CMainView::on_command(int id) {
  switch (id) {
    case cmd::open:
      cmd_open();
      return true;
    case cmd::open_url:
      cmd_open_url();
      return true;
    case cmd::load_parsedef:
      cmd_load_parsedef();
      return true;
    case cmd::mark_all_read:
      controller().mark_all_read();
      list_->RefreshAll();
      show_unread();
      return true;
    case cmd::find:
      filter_->SetFocus();
      filter_->SelectAll();
      return true;
    case cmd::failures:
      show_problems();
      return true;
    case cmd::remove_headlines:
      remove_headlines();
      return true;
    case cmd::clear:
      controller().clear();
      return true;
    case cmd::preferences:
      cmd_preferences();
      return true;
    case cmd::source:
      toggle_source();
      return true;
    case cmd::stop:
      session_->stop_all();
      return true;
    case cmd::start_queue:
      if (session_->yield_to_user([this] { on_command(cmd::start_queue); })) return true;
      // An empty queue: the user first chooses sites.
      if (!runner().start_command()) open_site_selector();
      return true;
    case cmd::queue:
      // The queue is edited in the dialog: a refresh stops first.
      if (runner().automatic()) session_->stop_all();
      open_site_selector();
      return true;
    default:
      return false;
  }
}

bool CMainView::on_update_ui(int id, wxUpdateUIEvent& event) {
  switch (id) {
    case cmd::open:
    case cmd::open_url:
    case cmd::load_parsedef:
    case cmd::queue:
      // A scheduled refresh gives way to whatever the user asks for.
      event.Enable(session_->may_start());
      return true;
    case cmd::start_queue:
      event.Enable(session_->may_start());
      runner().show_state();
      return true;
    case cmd::mark_all_read:
      event.Enable(controller().reading().unread() > 0);
      return true;
    case cmd::find:
      event.Enable(true);
      return true;
    case cmd::failures:
      // Each site's latest problem is in the store, also when the last run had none.
      event.Enable(true);
      return true;
    case cmd::remove_headlines:
      event.Enable(controller().idle() && list_->GetSelection() != wxNOT_FOUND);
      return true;
    case cmd::clear:
      event.Enable(controller().can_clear());
      return true;
    case cmd::stop:
      event.Enable(controller().can_stop());
      return true;
    case cmd::source:
      event.Enable(true);
      event.Check(source_visible_);
      return true;
    case cmd::preferences:
      event.Enable(true);
      return true;
    default:
      return false;
  }
}

void CMainView::open_parsedef(const std::string& path) {
  const auto chosen = offer_install(path);
  if (!chosen) return;
  if (session_->yield_to_user([this, open = *chosen] { controller().open_parsedef(open); })) return;
  if (!controller().open_parsedef(*chosen)) trace("open_parsedef: %s not opened, a job runs", chosen->c_str());
}

std::optional<std::string> CMainView::offer_install(const std::string& path) {
  installer install(
      prefs_.get_parsedef_root(), queue(), [this] { return save_queue(); }, *this);
  if (!install.offers_install(path)) return path;
  const auto offer = install.offer_for(path);
  if (!offer) return std::nullopt;
  bool install_it = false, add = false, open_after = false;
  {
    CInstallDlg dialog(this, path, offer->name, offer->category, offer->version, [this] { frame_->show_help(49); });
    if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
    install_it = dialog.install();
    add = dialog.add_to_queue();
    open_after = dialog.open_after();
  }
  const bool installed = install_it && install.install_parsedef(path, add) == 0;
  runner().show_state();
  if (!open_after) return std::nullopt;
  // The installed copy, not the downloaded one: the store keys a site by its library file.
  return installed ? install.installed() : path;
}

void CMainView::message(const std::string& text) { wxMessageBox(to_wx(text), "Vantrel", wxOK | wxICON_WARNING, this); }

bool CMainView::confirm_overwrite(const std::string& text) {
  return wxMessageBox(to_wx(text), overwrite_caption, wxYES_NO | wxICON_QUESTION, this) == wxYES;
}

void CMainView::open_source(const std::string& source, const std::optional<std::string>& parsedef) {
  if (session_->yield_to_user([this, source, parsedef] { controller().open_source(source, parsedef); })) return;
  controller().open_source(source, parsedef);
}

void CMainView::open_url(const std::string& url) {
  if (session_->yield_to_user([this, url] { controller().open_url(url); })) return;
  controller().open_url(url);
}

void CMainView::hand_over(const std::string& path) {
  controller().hand_over(path);
  CallAfter([this] { controller().deliver_hand_overs(modal_open()); });
}

namespace {

constexpr const char* source_filter =
    "Source Documents (*.htm;*.html;*.shtml;*.xml)|*.htm;*.html;*.shtml;*.xml;*.HTM;*.HTML;*.SHTML;*.XML|"
    "All files|*";
constexpr const char* parsedef_filter =
    "Vantrel ParseDef Files (*.nov)|*.nov;*.NOV|XML ParseDef Documents (*.xml)|*.xml;*.XML|All files|*";

}  // namespace

std::optional<std::string> CMainView::choose_parsedef() {
  wxFileDialog chooser(this, "Load ParseDef", to_wx(prefs_.get_parsedef_root()), "", parsedef_filter,
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() != wxID_OK) return std::nullopt;
  return from_wx(chooser.GetPath());
}

void CMainView::cmd_open() {
  std::string source;
  {
    wxFileDialog chooser(this, "Open", "", "", source_filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (chooser.ShowModal() != wxID_OK) return;
    source = from_wx(chooser.GetPath());
  }
  if (!runner().automatic()) controller().clear();
  std::optional<std::string> parsedef = choose_parsedef();
  // A package from elsewhere is offered for installation first; it is used when opened.
  if (parsedef) parsedef = offer_install(*parsedef);
  open_source(source, parsedef);
}

void CMainView::cmd_load_parsedef() {
  if (auto path = choose_parsedef()) open_parsedef(*path);
}

void CMainView::cmd_open_url() {
  std::string url;
  {
    get_url_dialog dialog(this);
    if (dialog.ShowModal() == wxID_CANCEL) return;
    url = dialog.url();
  }
  open_url(url);
}

void CMainView::cmd_preferences() {
  {
    CPreferencesDlg dialog(this, prefs_);
    dialog.ShowModal();
  }
  session_->settings_changed();
  fetcher_.set_user_agent(prefs_.get_user_agent());
  if (prefs_.get_trace() != 0) {
    the_trace_log().start(trace_file_path());
  } else {
    the_trace_log().stop();
  }
  rebuild_list();
}

void CMainView::toggle_source() {
  source_visible_ = !source_visible_;
  source_->Show(source_visible_);
}

bool CMainView::save_queue() {
  const status saved = session_->save_queue();
  if (saved.ok()) return true;
  wxMessageBox(to_wx(saved.message()), "Vantrel", wxOK | wxICON_ERROR, this);
  return false;
}

bool CMainView::load_queue() { return session_->load_queue(); }

void CMainView::open_site_selector() {
  int result = wxID_CANCEL;
  std::string path;
  {
    CSiteSelectorDlg dialog(
        this, prefs_.get_parsedef_root(), queue(), [this] { frame_->show_help(30); },
        [this](const std::string& key) { return controller().last_run(key); });
    result = dialog.ShowModal();
    path = dialog.selected_path();
  }
  if (result != wxID_CANCEL) save_queue();
  if (result == CSiteSelectorDlg::id_open) open_parsedef(path);
  runner().show_state();
}

bool CMainView::start_timer() { return queue_timer_.Start(1000); }
bool CMainView::stop_timer() {
  queue_timer_.Stop();
  return true;
}
void CMainView::set_queue_state_text(const std::string& text) { frame_->set_queue_state_text(text); }
void CMainView::set_title(const std::string& title) { frame_->SetTitle(to_wx(title)); }

void CMainView::set_status_text(const std::string& text) { frame_->set_status_text(text); }
void CMainView::set_progress(int percent) { frame_->set_progress(percent); }
void CMainView::remove_progress() { frame_->remove_progress(); }

void CMainView::rebuild_list() {
  list_->rebuild();
  source_->set_source_frozen(false);
}

void CMainView::list_cleared() {
  list_->clear_rows();
  show_unread();
}

void CMainView::site_ran(const std::string&, const site_run&) { show_unread(); }

void CMainView::queue_run_finished(const run_tally& tally, bool user_started) {
  if (auto news = session_->news_for(tally, user_started); news && notify_) notify_(*news);
}

void CMainView::show_unread() {
  const unsigned long unread = controller().reading().unread();
  frame_->set_unread_text(unread == 0 ? std::string() : " " + std::to_string(unread) + " unread");
}

void CMainView::apply_filter() {
  controller().reading().set_filter(from_wx(filter_->GetValue()));
  list_->rebuild();
}

void CMainView::show_problems() {
  const auto text = session_->problems_text();
  wxMessageBox(to_wx(text.value_or("No site's last run failed or found nothing.")), "Last Run's Problems",
               wxOK | wxICON_INFORMATION, this);
}

void CMainView::remove_headlines() {
  const int selected = list_->GetSelection();
  if (selected == wxNOT_FOUND) return;
  const reading_list& rows = controller().reading();
  const std::string name = rows.site(rows.row(static_cast<size_t>(selected)).site).name;
  if (wxMessageBox(to_wx("Remove the headlines of " + name + " from the list and the headline store?"),
                   "Remove Headlines", wxYES_NO | wxICON_QUESTION, this) != wxYES)
    return;
  if (controller().remove_site_headlines(static_cast<size_t>(selected))) {
    list_->rebuild();
    show_unread();
  }
}
void CMainView::clear_source() { source_->clear_source(); }
void CMainView::set_source_frozen(bool frozen) { source_->set_source_frozen(frozen); }
void CMainView::add_source_lines(std::vector<source_line>& lines) { source_->add_source_lines(lines); }

}  // namespace vantrel
