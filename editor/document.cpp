#include "editor/document.h"

#include <libxml/encoding.h>

#include <cstdio>
#include <memory>

#include "common/text_util.h"

namespace vantrel {

std::string editor_title(const std::string& path, bool dirty) {
  return (path.empty() ? std::string("(untitled)") : path) + (dirty ? "*" : "") + " - VantEdit";
}

namespace {

// The encoding named by an XML declaration at the start of ASCII-compatible bytes.
std::optional<std::string> declared_encoding(const std::string& bytes) {
  if (bytes.compare(0, 5, "<?xml") != 0) return std::nullopt;
  const size_t end = bytes.find("?>");
  const std::string decl = bytes.substr(0, end);
  size_t at = decl.find("encoding");
  if (at == std::string::npos) return std::nullopt;
  at = decl.find_first_of("\"'", at);
  if (at == std::string::npos) return std::nullopt;
  const size_t close = decl.find(decl[at], at + 1);
  if (close == std::string::npos) return std::nullopt;
  return decl.substr(at + 1, close - at - 1);
}

struct handler_closer {
  void operator()(xmlCharEncodingHandler* h) const { xmlCharEncCloseFunc(h); }
};

// Runs one of libxml2's converters over the whole input; false when it refuses a character.
bool convert(xmlCharEncodingInputFunc fn, const std::string& in, std::string& out) {
  if (fn == nullptr) return false;
  out.assign(in.size() * 4 + 16, '\0');
  int out_len = static_cast<int>(out.size());
  int in_len = static_cast<int>(in.size());
  if (fn(reinterpret_cast<unsigned char*>(out.data()), &out_len, reinterpret_cast<const unsigned char*>(in.data()),
         &in_len) < 0 ||
      in_len != static_cast<int>(in.size())) {
    return false;
  }
  out.resize(static_cast<size_t>(out_len));
  return true;
}

}  // namespace

std::optional<decoded_text> decode_document(const std::string& bytes, std::string* why) {
  decoded_text result;
  std::string body = bytes;
  if (body.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    result.format.bom = true;
    body.erase(0, 3);
  } else if (body.compare(0, 2, "\xFF\xFE") == 0 || body.compare(0, 2, "\xFE\xFF") == 0) {
    result.format.bom = true;
    result.format.encoding = body[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE";
    body.erase(0, 2);
  } else if (auto declared = declared_encoding(body)) {
    result.format.encoding = *declared;
  }
  std::string utf8;
  if (iequals(result.format.encoding, "UTF-8") || iequals(result.format.encoding, "US-ASCII")) {
    if (!is_valid_utf8(body)) {
      if (why) *why = "the text is not valid UTF-8";
      return std::nullopt;
    }
    utf8 = body;
  } else {
    std::unique_ptr<xmlCharEncodingHandler, handler_closer> handler(
        xmlFindCharEncodingHandler(result.format.encoding.c_str()));
    if (!handler || !convert(handler->input, body, utf8)) {
      if (why) *why = "the text is not " + result.format.encoding;
      return std::nullopt;
    }
  }
  result.format.crlf = utf8.find("\r\n") != std::string::npos;
  result.text.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    result.text.push_back(utf8[i]);
  }
  return result;
}

std::optional<std::string> encode_document(const std::string& text, const text_format& format, std::string* why) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n' && format.crlf) lines.push_back('\r');
    lines.push_back(c);
  }
  std::string out;
  if (iequals(format.encoding, "UTF-8") || iequals(format.encoding, "US-ASCII")) {
    out = lines;
    if (iequals(format.encoding, "US-ASCII")) {
      for (unsigned char c : out) {
        if (c >= 0x80) {
          if (why) *why = "a character cannot be written in US-ASCII";
          return std::nullopt;
        }
      }
    }
    if (format.bom) out.insert(0, "\xEF\xBB\xBF");
    return out;
  }
  std::unique_ptr<xmlCharEncodingHandler, handler_closer> handler(xmlFindCharEncodingHandler(format.encoding.c_str()));
  if (!handler || handler->output == nullptr ||
      !convert(reinterpret_cast<xmlCharEncodingInputFunc>(handler->output), lines, out)) {
    if (why) *why = "a character of the text cannot be written in " + format.encoding;
    return std::nullopt;
  }
  if (format.bom) out.insert(0, format.encoding == "UTF-16LE" ? "\xFF\xFE" : "\xFE\xFF");
  return out;
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

namespace {}  // namespace

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
