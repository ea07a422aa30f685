#include "common/image_probe.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "common/file_read.h"

namespace vantrel {

namespace {

std::uint32_t little32(std::string_view b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint32_t little16(std::string_view b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}
std::uint32_t big32(std::string_view b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

std::optional<image_header> probe_bmp(std::string_view b) {
  // File header (14 bytes), then the picture header, whose first field is its own size.
  if (b.size() < 18) return std::nullopt;
  const std::uint32_t info_size = little32(b, 14);
  long width = 0, height = 0;
  if (info_size == 12) {  // the oldest form: 16-bit sizes
    if (b.size() < 22) return std::nullopt;
    width = little16(b, 18);
    height = little16(b, 20);
  } else if (info_size >= 16) {
    if (b.size() < 26) return std::nullopt;
    width = static_cast<std::int32_t>(little32(b, 18));
    // A negative height is a top-down picture of that many rows.
    const std::int64_t rows = static_cast<std::int32_t>(little32(b, 22));
    height = static_cast<long>(rows < 0 ? -rows : rows);
  } else {
    return std::nullopt;
  }
  if (width <= 0 || height <= 0) return std::nullopt;
  return image_header{image_format::bmp, width, height};
}

std::optional<image_header> probe_png(std::string_view b) {
  // The signature, then the first chunk, which must be the header: length, "IHDR", width, height.
  if (b.size() < 24 || b.compare(12, 4, "IHDR") != 0) return std::nullopt;
  const std::uint32_t width = big32(b, 16), height = big32(b, 20);
  // The format's own limit: sizes above 2^31 - 1 are damage.
  if (width == 0 || height == 0 || width > 0x7fffffffu || height > 0x7fffffffu) return std::nullopt;
  return image_header{image_format::png, static_cast<long>(width), static_cast<long>(height)};
}

}  // namespace

std::optional<image_header> probe_image(std::string_view head) {
  if (head.substr(0, 2) == "BM") return probe_bmp(head);
  if (head.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return probe_png(head);
  return std::nullopt;
}

std::optional<image_header> probe_image_file(const std::string& path) {
  std::error_code ec;
  // Not a pipe or a device: opening one could wait for ever.
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  char head[32] = {};
  in.read(head, sizeof head);
  return probe_image(std::string_view(head, static_cast<size_t>(in.gcount())));
}

bool fits_as_logo(const std::optional<image_header>& header) {
  return header && header->width <= max_logo_side && header->height <= max_logo_side;
}

std::optional<std::string> read_logo_file(const std::string& path) {
  if (!fits_as_logo(probe_image_file(path))) return std::nullopt;
  // Four bytes a pixel plus headers and palettes: what a bitmap of the largest logo takes; a
  // PNG is smaller still.
  constexpr unsigned long long most = 4ull * max_logo_side * max_logo_side + (64u << 10);
  auto bytes = read_whole_file(path, most);
  if (!bytes) return std::nullopt;
  if (!fits_as_logo(probe_image(*bytes))) return std::nullopt;  // changed since it was probed
  return std::move(*bytes);
}

}  // namespace vantrel
