// Picture headers read before decoding: sizes from every BMP header form and from PNG, and
// whatever is not a BMP or PNG, cut short or empty, refused.
#include "common/image_probe.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

std::string le32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}
std::string be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
// A BMP file header followed by a picture header of info_size bytes claiming w x h.
std::string bmp(std::int32_t info_size, std::int32_t w, std::int32_t h) {
  std::string b = "BM" + le32(0) + le32(0) + le32(54) + le32(info_size);
  if (info_size == 12) {
    b += std::string{static_cast<char>(w), static_cast<char>(w >> 8), static_cast<char>(h), static_cast<char>(h >> 8)};
  } else {
    b += le32(w) + le32(h);
  }
  return b + std::string(static_cast<size_t>(info_size > 12 ? info_size - 12 : 0), '\0');
}
std::string png(std::uint32_t w, std::uint32_t h) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) + std::string(5, '\0');
}

TEST(ImageProbe, SizesFromTheHeader) {
  struct row {
    const char* what;
    std::string bytes;
    std::optional<image_header> expected;
  };
  const row rows[] = {
      {"BMP, 40-byte header", bmp(40, 88, 31), image_header{image_format::bmp, 88, 31}},
      {"BMP, top-down", bmp(40, 88, -31), image_header{image_format::bmp, 88, 31}},
      {"BMP, 124-byte header", bmp(124, 16, 16), image_header{image_format::bmp, 16, 16}},
      {"BMP, 12-byte header", bmp(12, 300, 20), image_header{image_format::bmp, 300, 20}},
      {"PNG", png(120, 40), image_header{image_format::png, 120, 40}},
      {"BMP bomb", bmp(40, 20000, 20000), image_header{image_format::bmp, 20000, 20000}},
      {"BMP of width 0", bmp(40, 0, 10), std::nullopt},
      {"BMP of negative width", bmp(40, -5, 10), std::nullopt},
      {"BMP, unknown header size", bmp(8, 10, 10), std::nullopt},
      {"BMP cut short", bmp(40, 10, 10).substr(0, 20), std::nullopt},
      {"PNG cut short", png(10, 10).substr(0, 20), std::nullopt},
      {"PNG without IHDR first", std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "tEXt" + be32(1) + be32(1),
       std::nullopt},
      {"PNG over the format's limit", png(0x80000000u, 1), std::nullopt},
      {"GIF", "GIF89a\x10\x00\x10\x00", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const auto got = probe_image(r.bytes);
    ASSERT_EQ(got.has_value(), r.expected.has_value());
    if (!got) continue;
    EXPECT_EQ(got->format, r.expected->format);
    EXPECT_EQ(got->width, r.expected->width);
    EXPECT_EQ(got->height, r.expected->height);
  }
}

TEST(ImageProbe, OnlySmallBmpAndPngFilesAreLogos) {
  testing::temp_dir dir;
  EXPECT_TRUE(fits_as_logo(probe_image_file(dir.write("ok.bmp", bmp(40, 1024, 1024)))));
  EXPECT_TRUE(fits_as_logo(probe_image_file(dir.write("ok.png", png(64, 1024)))));
  EXPECT_FALSE(fits_as_logo(probe_image_file(dir.write("wide.bmp", bmp(40, 1025, 10)))));
  EXPECT_FALSE(fits_as_logo(probe_image_file(dir.write("tall.png", png(10, 1025)))));
  EXPECT_FALSE(fits_as_logo(probe_image_file(dir.write("logo.gif", "GIF89a\x10\x00\x10\x00"))));
  EXPECT_FALSE(fits_as_logo(probe_image_file(dir.file("missing.bmp"))));
  EXPECT_FALSE(fits_as_logo(probe_image_file(dir.path())));  // a folder
}

}  // namespace
}  // namespace vantrel
