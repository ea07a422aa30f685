#pragma once
// VantEdit's document without a window: its title, its text as read from and written to disk
// (the encoding its byte-order mark or XML declaration names, the line ends it had), the
// templates of new documents, and the question before a change is thrown away.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/status.h"

namespace vantrel {

// "(untitled)" or the path, "*" when changed, then " - VantEdit".
std::string editor_title(const std::string& path, bool dirty);

// How a document's bytes were written, so a save writes them the same way.
struct text_format {
  std::string encoding = "UTF-8";  // as libxml2 names it
  bool bom = false;
  bool crlf = false;  // lines ended in CR LF
};
struct decoded_text {
  std::string text;  // UTF-8, lines ending in "\n"
  text_format format;
};
// The encoding an XML declaration at the start of text names.
std::optional<std::string> declared_encoding(std::string_view text);
// Decoded by the byte-order mark, else the declaration, else as UTF-8. invalid (with the line)
// when the bytes are not text in that encoding or the encoding is not known here.
result<decoded_text> decode_document(const std::string& bytes);
// How text is to be written now: in the encoding its declaration names at this moment (an
// edited declaration changes it; without one, UTF-8), with the line ends it was opened with and
// its byte-order mark while the encoding can carry one.
text_format format_for(const std::string& text, const text_format& opened);
// invalid ("line N: ...", and the line) when a character cannot be written in the format's
// encoding, or the encoding is not known here.
result<std::string> encode_document(const std::string& text, const text_format& format);

// The templates of the New Channel dialog, in pop-up order.
struct channel_template {
  const char* title;  // "Empty", "Netscape RDF", "Moreover XML"
  const char* text;   // a format with name, url, logo, category (%s) and version (%d); CR LF lines
};
extern const channel_template template_table[3];
// The template filled in; the values are escaped for XML (so "AT&T News" stays a document that
// opens). nullopt for an index outside the table.
std::optional<std::string> make_document(int template_index, const std::string& name, const std::string& url,
                                         const std::string& logo, const std::string& category, int version);

// Before New, Open or closing: whether to go on. ask returns 0 Yes, 1 No, 2 Cancel; after Yes,
// only a save that succeeded lets the command go on.
enum class save_answer { yes, no, cancel };
bool may_discard(bool dirty, const std::function<save_answer()>& ask, const std::function<bool()>& save);

}  // namespace vantrel
