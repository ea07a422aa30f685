#include "editor/section_splice.h"

namespace vantrel {

namespace {

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// Past a markup item that is no element: the declaration, a comment, a doctype, a
// processing instruction. npos when it does not end.
size_t past_prolog_item(const std::string& text, size_t at) {
  if (text.compare(at, 4, "<!--") == 0) {
    const size_t end = text.find("-->", at + 4);
    return end == std::string::npos ? end : end + 3;
  }
  const size_t end = text.find('>', at);
  return end == std::string::npos ? end : end + 1;
}

// The end of a start tag beginning at at (its ">"), past quoted attribute values.
size_t start_tag_end(const std::string& text, size_t at) {
  char quote = 0;
  for (size_t i = at; i < text.size(); ++i) {
    if (quote != 0) {
      if (text[i] == quote) quote = 0;
    } else if (text[i] == '"' || text[i] == '\'') {
      quote = text[i];
    } else if (text[i] == '>') {
      return i;
    }
  }
  return std::string::npos;
}

}  // namespace

result<splice> sections_splice(const std::string& document, const std::string& sections) {
  size_t at = 0;
  for (;;) {
    at = document.find('<', at);
    if (at == std::string::npos || at + 1 >= document.size()) break;
    if (document[at + 1] == '?' || document[at + 1] == '!') {
      at = past_prolog_item(document, at);
      if (at == std::string::npos) break;
      continue;
    }
    size_t name_end = at + 1;
    while (name_end < document.size() && name_char(document[name_end])) ++name_end;
    if (name_end == at + 1) break;
    const std::string name = document.substr(at + 1, name_end - at - 1);
    const size_t end = start_tag_end(document, name_end);
    if (end == std::string::npos) break;
    if (document[end - 1] == '/') {
      // <parsedef .../>: the tag opens, holds the sections, and closes.
      return splice{end - 1, end + 1, ">\n" + sections + "</" + name + ">"};
    }
    const size_t close = document.rfind("</" + name);
    if (close == std::string::npos || close < end) break;
    return splice{end + 1, close, "\n" + sections};
  }
  return status(status_code::not_found, "the document has no root element to hold the rules");
}

}  // namespace vantrel
