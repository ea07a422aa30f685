#pragma once
// The "Parsed Source" window: the last page as the parser saw it, one line per element start,
// attribute, element end and text, with a picture per element kind. A floating tool window
// that hides (never closes) on its close box and tells the view so.
#include <wx/frame.h>
#include <wx/vlbox.h>

#include <functional>
#include <vector>

#include "app/art.h"
#include "engine/job_listeners.h"

namespace vantrel {

class source_list;

class CParsedSourceWnd : public wxFrame, public source_listener {
 public:
  static constexpr int list_id = 101;

  // Placed 40 pixels right of and below origin (the owner's client origin on the screen).
  CParsedSourceWnd(wxWindow* owner, const wxPoint& origin);
  ~CParsedSourceWnd() override;

  // Called when the close box hid the window (the view's Source command loses its check).
  void set_hidden_notification(std::function<void()> notify) { on_hidden_ = std::move(notify); }

  // source_listener
  void clear_source() override;
  void set_source_frozen(bool frozen) override;
  void add_source_lines(std::vector<source_line>& lines) override;

 private:
  friend struct window_test_access;  // the tests read what the list shows
  // What the list shows: the line's text, icon (-1: none) and boldness.
  size_t line_count() const;
  std::string line_text(size_t n) const;
  int line_icon(size_t n) const;
  bool line_bold(size_t n) const;
  // The rules that fired at line n ("HEADLINE (section 1)"), or "".
  std::string line_rules(size_t n) const;
  size_t first_visible_line() const;

  void on_close(wxCloseEvent& event);
  source_list* list_;
  std::function<void()> on_hidden_;
};

}  // namespace vantrel
