#pragma once
// Wildcard patterns of ParseDef attribute rules written with match="regexp".
#include <string_view>

namespace vantrel {

// TRUE when the whole text matches the pattern. Case matters.
//   ?      any one character
//   *      any run of characters, the empty run included. When the text is used up, what is
//          left of the pattern must be empty or exactly one "*".
//   [set]  one character of the set: single characters and ranges "a-z" (either order);
//          "!" or "^" first inverts the set; "\" makes the next character a plain member.
//   \c     the character c itself.
// A bad pattern (empty or unclosed set, range without its end, "\" at the end) matches
// nothing.
bool wildcard_match(std::string_view pattern, std::string_view text);

}  // namespace vantrel
