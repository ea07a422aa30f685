#pragma once
// Which character encoding an HTML page is decoded from. The HTML parser must always be told:
// given none, it reads UTF-8 pages without a declaration as Latin-1.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The encodings to try, best first, each with where it came from; the first one the XML
// library supports is used: the ParseDef's charset, the charset of the reply's Content-Type, a
// byte-order mark, a <meta charset> or http-equiv content charset within the first 4 KiB, and
// last what the bytes themselves say (UTF-8 when they are valid UTF-8, else windows-1252). The
// list always ends with one of the last two.
struct encoding_choice {
  std::string name;
  const char* source;  // "the ParseDef's charset", "a <meta> tag", ...
};
std::vector<encoding_choice> html_encoding_choices(std::string_view page,
                                                   const std::optional<std::string>& parsedef_charset,
                                                   const std::optional<std::string>& http_charset);

// The encoding an XML page is read in, as the XML library decides it, and where that came from.
encoding_choice xml_page_encoding(std::string_view page);

// The charset named in a <meta> tag within the first 4 KiB of page, or nullopt.
std::optional<std::string> prescan_meta_charset(std::string_view page);

// The page's windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// become the control characters of the same number, as browsers read them.
std::string windows1252_to_utf8(std::string_view bytes);

// A charset label as pages write it, mapped the way browsers read it ("iso-8859-1" and
// "us-ascii" mean windows-1252; a meta "utf-16" means UTF-8).
std::string normalize_charset_label(std::string_view label, bool from_meta);

}  // namespace vantrel
