#pragma once
// Converting a document's bytes between the encoding its declaration names and the UTF-8 the
// programs work in (the system's converter: every encoding the XML library reads).
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The bytes as UTF-8; nullopt when the encoding is unknown or the bytes are not text in it
// (bad_offset, when given, says where in the bytes it went wrong).
std::optional<std::string> to_utf8(std::string_view bytes, const std::string& encoding, size_t* bad_offset = nullptr);
// UTF-8 text in the encoding; nullopt when the encoding is unknown or cannot hold a character
// of the text (bad_offset: where that character starts in the text).
std::optional<std::string> from_utf8(std::string_view text, const std::string& encoding, size_t* bad_offset = nullptr);
// Whether the encoding is known here.
bool encoding_known(const std::string& encoding);
// The line (from 1) that byte offset lies on in text.
size_t line_of(std::string_view text, size_t offset);

}  // namespace vantrel
