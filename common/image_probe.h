#pragma once
// What a picture file's header says it holds, read before anything is decoded. A logo is drawn
// at its natural size, so one whose header claims more than max_logo_side pixels a side is no
// logo: decoding it could cost gigabytes (a kilobyte of header can claim 20000 x 20000).
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

enum class image_format { bmp, png };

struct image_header {
  image_format format;
  long width;
  long height;
};

constexpr long max_logo_side = 1024;

// The format and size the first bytes of a file declare: a Windows bitmap (any of the header
// sizes image editors write, bottom-up or top-down) or a PNG. nullopt for anything else, a
// header cut short or a size of zero.
std::optional<image_header> probe_image(std::string_view head);
// The same for the file at path; nullopt too when it is not a regular file or cannot be read.
std::optional<image_header> probe_image_file(const std::string& path);
// A BMP or PNG of at most max_logo_side pixels a side.
bool fits_as_logo(const std::optional<image_header>& header);
// The bytes of a logo file whose header fits as a logo (the file is read only then, and only
// up to what such a picture can take); nullopt for anything else.
std::optional<std::string> read_logo_file(const std::string& path);

}  // namespace vantrel
