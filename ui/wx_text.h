#pragma once
// Texts stay UTF-8 everywhere but at the toolkit's edge.
#include <wx/string.h>

#include <string>

namespace vantrel {

inline wxString to_wx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }
inline std::string from_wx(const wxString& text) { return std::string(text.utf8_str()); }

}  // namespace vantrel
