#pragma once
// What the window tests read inside the windows: what the lists show (owner-drawn and virtual
// lists keep it out of the toolkit's reach), row heights, whether the progress bar is up; and
// the Preview's "Run as I type" switch, its headline box and the event picked; the lines the code editor marks and what
// it is to find.
#include <wx/fdrepdlg.h>

#include <string>
#include <vector>

#include "app/headline_list.h"
#include "app/main_frame.h"
#include "app/source_window.h"
#include "editor/document_editor.h"
#include "editor/preview_frame.h"
#include "editor/preview_table.h"
#include "ui/wx_text.h"

namespace vantrel {

struct window_test_access {
  static int row_height(const CHeadlineList& list, size_t n) { return list.row_height(n); }
  static bool has_progress(const CMainFrame& frame) { return frame.has_progress(); }

  static size_t line_count(const CParsedSourceWnd& w) { return w.line_count(); }
  static std::string line_text(const CParsedSourceWnd& w, size_t n) { return w.line_text(n); }
  static int line_icon(const CParsedSourceWnd& w, size_t n) { return w.line_icon(n); }
  static bool line_bold(const CParsedSourceWnd& w, size_t n) { return w.line_bold(n); }
  static std::string line_rules(const CParsedSourceWnd& w, size_t n) { return w.line_rules(n); }
  static size_t first_visible_line(const CParsedSourceWnd& w) { return w.first_visible_line(); }

  static void set_live_runs(CPreviewFrame& preview, bool on) { preview.set_live_runs(on); }
  static size_t headline_rows(const CPreviewFrame& preview) { return preview.headline_rows(); }
  static size_t event_rows(const CPreviewFrame& preview) { return preview.event_rows(); }
  static std::string check_text(const CPreviewFrame& preview) { return preview.check_text(); }
  static size_t suggested_rows(const CPreviewFrame& preview) { return preview.suggested_rows(); }
  static void set_example(CPreviewFrame& preview, const std::string& text) {
    preview.example_->ChangeValue(to_wx(text));
  }
  // Selects the parse event row holding text; whether there was one.
  static bool pick_event(CPreviewFrame& preview, const std::string& text) {
    preview_table& events = *preview.events_;
    for (size_t i = 0; i < events.rows(); ++i) {
      if (events.row(i).size() < 3 || events.row(i)[2] != text) continue;
      events.SetItemState(static_cast<long>(i), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
      return true;
    }
    return false;
  }

  static std::vector<long> marked_lines(CDocumentEditor& editor) { return editor.marked_lines(); }
  // What Find was asked for, as the find dialog would set it.
  static void set_find(CDocumentEditor& editor, const std::string& what, int flags) {
    editor.find_data_->SetFindString(to_wx(what));
    editor.find_data_->SetFlags(flags);
  }
};

}  // namespace vantrel
