#pragma once
// The encodings that have fonts of their own, by index: 0 Default, 1 Baltic, 2 Cyrillic. The
// engine marks each headline with the index of its page's encoding; the windows pick the fonts
// the settings keep for that index.
#include <array>
#include <string_view>

namespace vantrel {

struct encoding_row {
  std::string_view display_name;  // shown in the Preferences dialog
  std::string_view charset;       // names the font keys; "" for the default
  int font_charset;               // character set of the fonts made for it
};

inline constexpr std::array<encoding_row, 3> encoding_table = {{
    {"Default", "", 1},
    {"Baltic (Windows-1257)", "windows-1257", 186},
    {"Cyrillic (Windows-1251)", "windows-1251", 204},
}};

// The first row whose charset equals name ignoring case, else 0.
int encoding_index(std::string_view charset);

}  // namespace vantrel
