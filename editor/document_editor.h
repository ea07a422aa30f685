#pragma once
// CDocumentEditor: VantEdit's text area, a code editor for ParseDef XML (the toolkit's
// Scintilla control): XML colouring, line numbers, the current line shown, the partner of the
// tag the caret is in marked, undo and redo, find and replace, and faults marked in the margin
// with their message under the line. It holds the text as UTF-8 with "\n" line ends; the
// document's own encoding and line ends are the session's (editor_session).
#include <wx/stc/stc.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/document_faults.h"

class wxFindReplaceData;
class wxFindReplaceDialog;
class wxFindDialogEvent;

namespace vantrel {

class CDocumentEditor : public wxStyledTextCtrl {
 public:
  // Above this size the colouring is left off: typing in a document of many megabytes must
  // not wait for it.
  static constexpr size_t max_coloured_bytes = 8u << 20;

  CDocumentEditor(wxWindow* parent, wxWindowID id);
  ~CDocumentEditor() override;

  // Replaces the whole text (Open, New): the caret at the start, nothing to undo, no faults.
  void set_document(const std::string& text);
  std::string document() const;
  // Called after every change the user makes (not after set_document).
  void set_change_listener(std::function<void()> listener) { changed_ = std::move(listener); }

  // Marks each fault's line in the margin, with its message under the line; replaces the
  // faults of the same kind marked before (a document's reading fault and a run's rules are
  // marked apart).
  enum class fault_kind { reading, rules };
  void mark_faults(fault_kind kind, const std::vector<document_fault>& faults);

  // Find (Ctrl+F) and Replace (Ctrl+H), then the next or previous match (F3, Shift+F3).
  void show_find(bool replace);
  bool find_next(bool forward);

 private:
  friend struct window_test_access;  // the tests read the lines marked
  std::vector<long> marked_lines();
  void style_for_xml();
  void show_matching_tags();
  void refresh_annotations();
  void on_find(wxFindDialogEvent& event);
  bool find_from(int from, bool forward, bool wrap);

  std::function<void()> changed_;
  bool loading_ = false;
  std::vector<document_fault> reading_faults_, rule_faults_;
  std::unique_ptr<wxFindReplaceData> find_data_;
  wxFindReplaceDialog* find_dialog_ = nullptr;
};

}  // namespace vantrel
