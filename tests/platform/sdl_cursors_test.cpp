#include "platform/sdl/sdl_cursors.h"

#include <gtest/gtest.h>

namespace lw::platform {
namespace {

using Pixel = CursorImage::Pixel;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kClear = 0;

CursorImage Picture(int width, int height, Pixel fill = Pixel::kTransparent) {
  CursorImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, fill);
  return image;
}

TEST(SdlCursorsTest, PixelsKeepBlackWhiteAndTransparent) {
  CursorImage image = Picture(3, 1);
  image.pixels = {Pixel::kBlack, Pixel::kWhite, Pixel::kTransparent};
  EXPECT_EQ(CursorPixels(image), (std::vector<std::uint32_t>{kBlack, kWhite, kClear}));
}

TEST(SdlCursorsTest, InvertingPixelsShowBlackWithAWhiteOutline) {
  CursorImage image = Picture(5, 5);
  image.pixels[2 * 5 + 2] = Pixel::kInvert;  // the centre
  image.pixels[0] = Pixel::kBlack;           // a corner the outline must not reach
  const std::vector<std::uint32_t> argb = CursorPixels(image);
  ASSERT_EQ(argb.size(), 25U);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t got = argb[static_cast<std::size_t>(y) * 5 + x];
      const bool centre = x == 2 && y == 2;
      const bool ring = !centre && x >= 1 && x <= 3 && y >= 1 && y <= 3;
      const std::uint32_t want = centre || (x == 0 && y == 0) ? kBlack : ring ? kWhite : kClear;
      EXPECT_EQ(got, want) << x << "," << y;
    }
  }
  // The outline stops at the picture's edge and never paints over black or white pixels.
  CursorImage edge = Picture(2, 1);
  edge.pixels = {Pixel::kInvert, Pixel::kBlack};
  EXPECT_EQ(CursorPixels(edge), (std::vector<std::uint32_t>{kBlack, kBlack}));
}

TEST(SdlCursorsTest, MalformedPicturesAreRefused) {
  EXPECT_TRUE(IsUsableCursor(Picture(32, 32)));
  EXPECT_FALSE(IsUsableCursor(Picture(0, 16)));
  EXPECT_FALSE(IsUsableCursor(Picture(kMaxCursorSide + 1, 1)));
  CursorImage short_ = Picture(16, 16);
  short_.pixels.pop_back();
  EXPECT_FALSE(IsUsableCursor(short_));
  EXPECT_TRUE(CursorPixels(short_).empty());
  CursorImage negative = Picture(4, 4);
  negative.width = -4;
  EXPECT_FALSE(IsUsableCursor(negative));
}

}  // namespace
}  // namespace lw::platform
