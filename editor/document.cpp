#include "editor/document.h"

#include <cstdio>
#include <memory>

#include "common/charset.h"
#include "common/text_util.h"

namespace vantrel {

std::string editor_title(const std::string& path, bool dirty) {
  return (path.empty() ? std::string("(untitled)") : path) + (dirty ? "*" : "") + " - VantEdit";
}

namespace {

bool is_utf8_name(const std::string& encoding) { return iequals(encoding, "UTF-8") || iequals(encoding, "UTF8"); }
bool is_utf16_name(const std::string& encoding) { return istarts_with(encoding, "UTF-16"); }

}  // namespace

std::optional<std::string> declared_encoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return std::nullopt;
  const std::string_view decl = text.substr(0, text.find("?>"));
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return std::nullopt;
  at = decl.find_first_of("\"'", at);
  if (at == std::string_view::npos) return std::nullopt;
  const size_t close = decl.find(decl[at], at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(decl.substr(at + 1, close - at - 1));
}

result<decoded_text> decode_document(const std::string& bytes) {
  decoded_text out;
  std::string_view body = bytes;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") {
    out.format.bom = true;
    body.remove_prefix(3);
  } else if (body.substr(0, 2) == "\xFF\xFE" || body.substr(0, 2) == "\xFE\xFF") {
    out.format.bom = true;
    out.format.encoding = body[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE";
    body.remove_prefix(2);
  } else if (auto declared = declared_encoding(body)) {
    out.format.encoding = *declared;
  }
  std::optional<std::string> utf8;
  size_t bad = 0;
  if (is_utf8_name(out.format.encoding)) {
    if (is_valid_utf8(body)) utf8 = std::string(body);
  } else if (!encoding_known(out.format.encoding)) {
    return status(status_code::invalid, "the encoding " + out.format.encoding + " is not known here");
  } else {
    utf8 = to_utf8(body, out.format.encoding, &bad);
  }
  if (!utf8) {
    // Where it went wrong: the line of the bytes read as far as they go.
    const std::string_view before = body.substr(0, bad);
    const long line = static_cast<long>(line_of(before, bad));
    return status(status_code::invalid,
                  "the text is not " + out.format.encoding + " (line " + std::to_string(line) + ")")
        .at_line(line);
  }
  out.format.crlf = utf8->find("\r\n") != std::string::npos;
  out.text.reserve(utf8->size());
  for (size_t i = 0; i < utf8->size(); ++i) {
    if ((*utf8)[i] == '\r' && i + 1 < utf8->size() && (*utf8)[i + 1] == '\n') continue;
    out.text.push_back((*utf8)[i]);
  }
  return out;
}

text_format format_for(const std::string& text, const text_format& opened) {
  text_format now = opened;
  if (auto declared = declared_encoding(text)) {
    // "UTF-16" alone keeps the byte order the document came in.
    if (!(iequals(*declared, "UTF-16") && is_utf16_name(opened.encoding))) now.encoding = *declared;
  } else if (!is_utf16_name(opened.encoding)) {
    now.encoding = "UTF-8";  // no declaration: XML's own default
  }
  // A byte-order mark belongs to the Unicode encodings only.
  now.bom = opened.bom && (is_utf8_name(now.encoding) || is_utf16_name(now.encoding));
  if (is_utf16_name(now.encoding) && !is_utf16_name(opened.encoding)) now.bom = true;
  return now;
}

result<std::string> encode_document(const std::string& text, const text_format& format) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n' && format.crlf) lines.push_back('\r');
    lines.push_back(c);
  }
  std::optional<std::string> out;
  size_t bad = 0;
  if (is_utf8_name(format.encoding)) {
    out = lines;
  } else if (!encoding_known(format.encoding)) {
    return status(status_code::invalid, "the encoding " + format.encoding + " is not known here");
  } else {
    std::string name = format.encoding;
    if (iequals(name, "UTF-16")) name = "UTF-16BE";  // the mark below says which
    out = from_utf8(lines, name, &bad);
  }
  if (!out) {
    const long line = static_cast<long>(line_of(lines, bad));
    return status(status_code::invalid,
                  "line " + std::to_string(line) + ": a character of the text cannot be written in " + format.encoding)
        .at_line(line);
  }
  if (format.bom) {
    if (is_utf8_name(format.encoding)) {
      out->insert(0, "\xEF\xBB\xBF");
    } else if (is_utf16_name(format.encoding)) {
      out->insert(0, iequals(format.encoding, "UTF-16LE") ? "\xFF\xFE" : "\xFE\xFF");
    }
  }
  return std::move(*out);
}

// Byte for byte as the templates have always been: TAB indents, CR LF line ends.
const channel_template template_table[3] = {
    {"Empty",
     "<?xml version=\"1.0\"?>\r\n<PARSEDEF\r\n\tname=\"%s\"\r\n\turl=\"%s\"\r\n\tlogo=\"%s\"\r\n\tcategory=\"%s\"\r\n"
     "\tversion=\"%d\">\r\n\t<SECTION>\r\n\t\t<START></START>\r\n\t\t<HEADLINE></HEADLINE>\r\n"
     "\t\t<SUBHEAD></SUBHEAD>\r\n\t\t<LINK></LINK>\r\n\t\t<SKIPTO></SKIPTO>\r\n\t\t<END></END>\r\n"
     "\t</SECTION>\r\n</PARSEDEF>\r\n"},
    {"Netscape RDF",
     "<?xml version=\"1.0\"?>\r\n<PARSEDEF\r\n\tname=\"%s\"\r\n\turl=\"%s\"\r\n\tlogo=\"%s\"\r\n\tcategory=\"%s\"\r\n"
     "\tversion=\"%d\">\r\n\t<SECTION>\r\n\t\t<START><item/></START>\r\n\t\t<HEADLINE><title/></HEADLINE>\r\n"
     "\t\t<SUBHEAD><description/></SUBHEAD>\r\n\t\t<LINK><link/></LINK>\r\n\t</SECTION>\r\n</PARSEDEF>\r\n"},
    {"Moreover XML",
     "<?xml version=\"1.0\"?>\r\n<PARSEDEF\r\n\tname=\"%s\"\r\n\turl=\"%s\"\r\n\tlogo=\"%s\"\r\n\tcategory=\"%s\"\r\n"
     "\tversion=\"%d\">\r\n\t<SECTION>\r\n\t\t<START><moreovernews/></START>\r\n"
     "\t\t<HEADLINE><headline_text/></HEADLINE>\r\n\t\t<SUBHEAD><source/></SUBHEAD>\r\n\t\t<LINK><url/></LINK>\r\n"
     "\t</SECTION>\r\n</PARSEDEF>\r\n"},
};

std::optional<std::string> make_document(int template_index, const std::string& name, const std::string& url,
                                         const std::string& logo, const std::string& category, int version) {
  if (template_index < 0 || template_index >= 3) return std::nullopt;
  const std::string n = xml_escape(name), u = xml_escape(url), l = xml_escape(logo), c = xml_escape(category);
  const char* format = template_table[template_index].text;
  const int size = std::snprintf(nullptr, 0, format, n.c_str(), u.c_str(), l.c_str(), c.c_str(), version);
  std::string out(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, n.c_str(), u.c_str(), l.c_str(), c.c_str(), version);
  out.resize(static_cast<size_t>(size));
  return out;
}

bool may_discard(bool dirty, const std::function<save_answer()>& ask, const std::function<bool()>& save) {
  if (!dirty) return true;
  switch (ask()) {
    case save_answer::cancel:
      return false;
    case save_answer::yes:
      return save();
    case save_answer::no:
      return true;
  }
  return false;
}

}  // namespace vantrel
