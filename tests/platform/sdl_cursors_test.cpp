// Cursor pictures as SDL surfaces: black, white and transparent pixels as they are, inverting
// pixels as black with a white outline, and pictures that cannot be cursors refused.
#include "platform/sdl/sdl_cursors.h"

#include <gtest/gtest.h>

namespace lw::platform {
namespace {

using Pixel = CursorImage::Pixel;

CursorImage Picture(int width, int height, std::vector<Pixel> pixels = {}) {
  if (pixels.empty()) pixels.assign(static_cast<std::size_t>(width) * height, Pixel::kTransparent);
  return {width, height, {}, std::move(pixels)};
}

// The converted pixels, 'B' black, 'W' white, '.' clear, '?' anything else, rows ended by '/'.
std::string Shown(const CursorImage& image) {
  std::string shown;
  const std::vector<std::uint32_t> argb = CursorPixels(image);
  for (std::size_t i = 0; i < argb.size(); ++i) {
    shown += argb[i] == 0xFF000000 ? 'B' : argb[i] == 0xFFFFFFFF ? 'W' : argb[i] == 0 ? '.' : '?';
    if ((i + 1) % static_cast<std::size_t>(image.width) == 0) shown += '/';
  }
  return shown;
}

// The outline stops at the picture's edge and never paints over black or white pixels.
TEST(SdlCursorsTest, InvertingPixelsShowBlackWithAWhiteOutline) {
  EXPECT_EQ(Shown(Picture(3, 1, {Pixel::kBlack, Pixel::kWhite, Pixel::kTransparent})), "BW./");
  CursorImage image = Picture(5, 5);
  image.pixels[2 * 5 + 2] = Pixel::kInvert;  // the centre
  image.pixels[0] = Pixel::kBlack;           // a corner the outline must not reach
  EXPECT_EQ(Shown(image), "B..../.WWW./.WBW./.WWW./...../");
  EXPECT_EQ(Shown(Picture(2, 1, {Pixel::kInvert, Pixel::kBlack})), "BB/");
}

TEST(SdlCursorsTest, MalformedPicturesAreRefused) {
  CursorImage short_ = Picture(16, 16);
  short_.pixels.pop_back();
  CursorImage negative = Picture(4, 4);
  negative.width = -4;
  EXPECT_TRUE(IsUsableCursor(Picture(32, 32)));
  for (const CursorImage& wrong :
       {Picture(0, 16), Picture(kMaxCursorSide + 1, 1), short_, negative})
    EXPECT_FALSE(IsUsableCursor(wrong)) << wrong.width << " x " << wrong.height;
  EXPECT_TRUE(CursorPixels(short_).empty());
}

}  // namespace
}  // namespace lw::platform
