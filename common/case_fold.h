#pragma once
// Text folded for searching as people type: capitals of the Latin, Greek and Cyrillic
// alphabets become small letters, so "harbour" finds "Harbour" and "новости" finds
// "Новости". Bytes that are not valid UTF-8 stay as they are.
#include <string>
#include <string_view>

namespace vantrel {

std::string fold_case(std::string_view utf8);
// Appends the folded text to out.
void append_folded(std::string& out, std::string_view utf8);

}  // namespace vantrel
