#include "editor/document_editor.h"

#include <wx/fdrepdlg.h>
#include <wx/settings.h>

#include <algorithm>
#include <map>

#include "editor/xml_tags.h"
#include "ui/wx_text.h"

namespace vantrel {

namespace {

constexpr int number_margin = 0, fault_margin = 1;
constexpr int reading_marker = 0, rules_marker = 1, annotated_marker = 2;
constexpr int tag_indicator = 8;
constexpr int fault_style = 40;  // the style of a fault's message under its line

wxColour rgb(unsigned v) { return wxColour((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

}  // namespace

CDocumentEditor::CDocumentEditor(wxWindow* parent, wxWindowID id)
    : wxStyledTextCtrl(parent, id), find_data_(std::make_unique<wxFindReplaceData>(wxFR_DOWN)) {
  SetCodePage(wxSTC_CP_UTF8);
  SetEOLMode(wxSTC_EOL_LF);  // the session writes the document's own line ends
  SetUseTabs(true);
  SetTabWidth(4);
  style_for_xml();
  SetCaretLineVisible(true);
  SetCaretLineBackground(rgb(0xFFF8D8));
  SetMarginType(number_margin, wxSTC_MARGIN_NUMBER);
  SetMarginWidth(number_margin, TextWidth(wxSTC_STYLE_LINENUMBER, "_99999"));
  SetMarginType(fault_margin, wxSTC_MARGIN_SYMBOL);
  SetMarginWidth(fault_margin, FromDIP(16));
  SetMarginMask(fault_margin, (1 << reading_marker) | (1 << rules_marker));
  MarkerDefine(reading_marker, wxSTC_MARK_CIRCLE, rgb(0xB00000), rgb(0xE02020));
  MarkerDefine(rules_marker, wxSTC_MARK_SHORTARROW, rgb(0x905000), rgb(0xF0A020));
  MarkerDefine(annotated_marker, wxSTC_MARK_EMPTY);
  AnnotationSetVisible(wxSTC_ANNOTATION_BOXED);
  IndicatorSetStyle(tag_indicator, wxSTC_INDIC_ROUNDBOX);
  IndicatorSetForeground(tag_indicator, rgb(0x2060D0));
  IndicatorSetAlpha(tag_indicator, 60);
  SetMouseDwellTime(400);
  SetModEventMask(wxSTC_MOD_INSERTTEXT | wxSTC_MOD_DELETETEXT);

  Bind(wxEVT_STC_MODIFIED, [this](wxStyledTextEvent& event) {
    event.Skip();
    if (!loading_ && changed_) changed_();
  });
  Bind(wxEVT_STC_UPDATEUI, [this](wxStyledTextEvent& event) {
    event.Skip();
    show_matching_tags();
  });
  // A fault's message as a tip when the pointer rests on its mark in the margin.
  Bind(wxEVT_STC_DWELLSTART, [this](wxStyledTextEvent& event) {
    int margins = 0;
    for (int m = 0; m <= fault_margin; ++m) margins += GetMarginWidth(m);
    if (event.GetX() >= margins || event.GetPosition() < 0) return;
    const long line = LineFromPosition(event.GetPosition()) + 1;
    std::string tip;
    for (const auto* faults : {&reading_faults_, &rule_faults_}) {
      for (const auto& f : *faults)
        if (f.line == line) tip += (tip.empty() ? "" : "\n") + f.message;
    }
    if (!tip.empty()) CallTipShow(PositionFromLine(static_cast<int>(line - 1)), to_wx(tip));
  });
  Bind(wxEVT_STC_DWELLEND, [this](wxStyledTextEvent&) {
    if (CallTipActive()) CallTipCancel();
  });
}

CDocumentEditor::~CDocumentEditor() {
  if (find_dialog_ != nullptr) find_dialog_->Destroy();
}

void CDocumentEditor::style_for_xml() {
  const wxFont mono(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE));
  StyleSetFont(wxSTC_STYLE_DEFAULT, mono);
  StyleSetForeground(wxSTC_STYLE_DEFAULT, rgb(0x202020));
  StyleSetBackground(wxSTC_STYLE_DEFAULT, *wxWHITE);
  StyleClearAll();  // every style starts from the default, before each gets its own colour
  SetLexer(wxSTC_LEX_XML);
  const std::pair<int, unsigned> colours[] = {
      {wxSTC_H_TAG, 0x1040A0},          {wxSTC_H_TAGUNKNOWN, 0x1040A0},       {wxSTC_H_TAGEND, 0x1040A0},
      {wxSTC_H_ATTRIBUTE, 0x9A3A10},    {wxSTC_H_ATTRIBUTEUNKNOWN, 0x9A3A10}, {wxSTC_H_DOUBLESTRING, 0x0E7A2E},
      {wxSTC_H_SINGLESTRING, 0x0E7A2E}, {wxSTC_H_NUMBER, 0x0E7A2E},           {wxSTC_H_COMMENT, 0x808080},
      {wxSTC_H_ENTITY, 0x8030A0},       {wxSTC_H_XMLSTART, 0x8030A0},         {wxSTC_H_XMLEND, 0x8030A0},
      {wxSTC_H_CDATA, 0x606000},
  };
  for (const auto& [style, colour] : colours) StyleSetForeground(style, rgb(colour));
  StyleSetBold(wxSTC_H_TAG, true);
  StyleSetItalic(wxSTC_H_COMMENT, true);
  StyleSetBackground(wxSTC_STYLE_LINENUMBER, rgb(0xEEEEEE));
  StyleSetForeground(wxSTC_STYLE_LINENUMBER, rgb(0x808080));
  StyleSetFont(fault_style, wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  StyleSetForeground(fault_style, rgb(0x900000));
  StyleSetBackground(fault_style, rgb(0xFFECEC));
}

void CDocumentEditor::set_document(const std::string& text) {
  loading_ = true;
  SetLexer(text.size() <= max_coloured_bytes ? wxSTC_LEX_XML : wxSTC_LEX_NULL);
  // Nothing of the load goes into the undo history (a copy of the whole text, twice), and the
  // text goes in as the UTF-8 the control keeps: no round trip through wide strings.
  // Nor does it tell anyone of its changes: the notifications alone cost ten times the load.
  SetUndoCollection(false);
  SetModEventMask(0);
  SetTextRaw(text.c_str());
  SetModEventMask(wxSTC_MOD_INSERTTEXT | wxSTC_MOD_DELETETEXT);
  SetUndoCollection(true);
  EmptyUndoBuffer();
  SetSavePoint();
  GotoPos(0);
  loading_ = false;
  reading_faults_.clear();
  rule_faults_.clear();
  refresh_annotations();
}

std::string CDocumentEditor::document() const {
  // The control's own buffer, read without a copy through the toolkit's strings (it is not
  // changed: the toolkit only lacks the const).
  const char* bytes = const_cast<CDocumentEditor*>(this)->GetCharacterPointer();
  return bytes != nullptr ? std::string(bytes, static_cast<size_t>(GetLength())) : std::string();
}

void CDocumentEditor::mark_faults(fault_kind kind, const std::vector<document_fault>& faults) {
  auto& marked = kind == fault_kind::reading ? reading_faults_ : rule_faults_;
  if (marked == faults) return;  // every keystroke asks: most of the time nothing changes
  marked = faults;
  refresh_annotations();
}

std::vector<long> CDocumentEditor::marked_lines() {
  std::vector<long> lines;
  for (int line = MarkerNext(0, (1 << reading_marker) | (1 << rules_marker)); line >= 0;
       line = MarkerNext(line + 1, (1 << reading_marker) | (1 << rules_marker))) {
    lines.push_back(line + 1);
  }
  return lines;
}

void CDocumentEditor::refresh_annotations() {
  MarkerDeleteAll(reading_marker);
  MarkerDeleteAll(rules_marker);
  // Only the lines annotated before (an unseen marker follows them through edits): clearing
  // every line's costs a slow pass over all of them.
  for (int line = MarkerNext(0, 1 << annotated_marker); line >= 0; line = MarkerNext(line + 1, 1 << annotated_marker)) {
    AnnotationSetText(line, wxEmptyString);
  }
  MarkerDeleteAll(annotated_marker);
  std::map<long, std::string> messages;
  for (const auto* faults : {&reading_faults_, &rule_faults_}) {
    const int marker = faults == &reading_faults_ ? reading_marker : rules_marker;
    for (const auto& f : *faults) {
      const int line = static_cast<int>(std::clamp<long>(f.line, 1, std::max(1, GetLineCount())) - 1);
      MarkerAdd(line, marker);
      std::string& text = messages[line];
      text += (text.empty() ? "" : "\n") + f.message;
    }
  }
  for (const auto& [line, text] : messages) {
    AnnotationSetText(static_cast<int>(line), to_wx(text));
    AnnotationSetStyle(static_cast<int>(line), fault_style);
    MarkerAdd(static_cast<int>(line), annotated_marker);
  }
}

void CDocumentEditor::show_matching_tags() {
  SetIndicatorCurrent(tag_indicator);
  IndicatorClearRange(0, GetLength());
  const char* bytes = GetCharacterPointer();
  if (bytes == nullptr) return;
  const auto pair =
      matching_tags(std::string_view(bytes, static_cast<size_t>(GetLength())), static_cast<size_t>(GetCurrentPos()));
  if (!pair) return;
  for (const text_range& r : {pair->open, pair->close}) {
    IndicatorFillRange(static_cast<int>(r.begin), static_cast<int>(r.end - r.begin));
  }
}

void CDocumentEditor::show_find(bool replace) {
  if (find_dialog_ != nullptr) find_dialog_->Destroy();
  const wxString selected = GetSelectedText();
  if (!selected.empty() && selected.find('\n') == wxString::npos) find_data_->SetFindString(selected);
  find_dialog_ =
      new wxFindReplaceDialog(this, find_data_.get(), replace ? "Replace" : "Find", replace ? wxFR_REPLACEDIALOG : 0);
  for (auto type : {wxEVT_FIND, wxEVT_FIND_NEXT, wxEVT_FIND_REPLACE, wxEVT_FIND_REPLACE_ALL})
    find_dialog_->Bind(type, &CDocumentEditor::on_find, this);
  find_dialog_->Bind(wxEVT_FIND_CLOSE, [this](wxFindDialogEvent&) {
    find_dialog_->Destroy();
    find_dialog_ = nullptr;
  });
  find_dialog_->Show();
}

bool CDocumentEditor::find_from(int from, bool forward, bool wrap) {
  const wxString what = find_data_->GetFindString();
  if (what.empty()) return false;
  int flags = 0;
  if (find_data_->GetFlags() & wxFR_MATCHCASE) flags |= wxSTC_FIND_MATCHCASE;
  if (find_data_->GetFlags() & wxFR_WHOLEWORD) flags |= wxSTC_FIND_WHOLEWORD;
  SetSearchFlags(flags);
  SetTargetRange(from, forward ? GetLength() : 0);
  int found = SearchInTarget(what);
  if (found < 0 && wrap) {
    SetTargetRange(forward ? 0 : GetLength(), from);
    found = SearchInTarget(what);
  }
  if (found < 0) return false;
  SetSelection(GetTargetStart(), GetTargetEnd());
  EnsureCaretVisible();
  return true;
}

bool CDocumentEditor::find_next(bool forward) {
  if (find_data_->GetFindString().empty()) {
    show_find(false);
    return false;
  }
  if (!find_from(forward ? GetSelectionEnd() : GetSelectionStart(), forward, true)) {
    wxBell();
    return false;
  }
  return true;
}

void CDocumentEditor::on_find(wxFindDialogEvent& event) {
  const wxEventType type = event.GetEventType();
  const bool forward = (event.GetFlags() & wxFR_DOWN) != 0;
  if (type == wxEVT_FIND_REPLACE_ALL) {
    // One undo step for all of them.
    BeginUndoAction();
    int at = 0, count = 0;
    while (true) {
      SetTargetRange(at, GetLength());
      if (SearchInTarget(event.GetFindString()) < 0) break;
      at = GetTargetStart() + ReplaceTarget(event.GetReplaceString());
      ++count;
    }
    EndUndoAction();
    if (count == 0) wxBell();
    return;
  }
  if (type == wxEVT_FIND_REPLACE) {
    // The match being shown is replaced, then the next one shown.
    SetTargetRange(GetSelectionStart(), GetSelectionEnd());
    if (GetSelectionStart() != GetSelectionEnd() && SearchInTarget(event.GetFindString()) == GetSelectionStart()) {
      ReplaceTarget(event.GetReplaceString());
      SetSelection(GetTargetEnd(), GetTargetEnd());
    }
  }
  find_next(forward);
}

}  // namespace vantrel
