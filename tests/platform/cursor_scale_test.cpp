// Cursors at the canvas's scale: the whole part of the window's scale, pixels repeated (nearest),
// and the limit that keeps a grown cursor within what SDL takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/sdl_cursors.h"

namespace lw::platform {
namespace {

TEST(CursorScaleTest, TheWholePartOfTheWindowsScale) {
  struct ScaleCase {
    int width;
    int height;
    int expected;
  };
  const std::vector<ScaleCase> cases = {
      {640, 480, 1},   {1279, 960, 1}, {1280, 960, 2}, {1920, 1080, 2}, {2560, 1440, 3},
      {3840, 2160, 4}, {1280, 700, 1}, {320, 240, 1},  {0, 0, 1},
  };
  for (const ScaleCase& c : cases) {
    EXPECT_EQ(CanvasScale(c.width, c.height), c.expected) << c.width << " x " << c.height;
  }
  EXPECT_EQ(CursorScale(16, 16, 3), 3);
  EXPECT_EQ(CursorScale(32, 32, 9), 8);  // 32 x 8 = 256, the largest side
  EXPECT_EQ(CursorScale(200, 10, 4), 1);
  EXPECT_EQ(CursorScale(16, 16, 0), 1);
}

// Pixels as letters, rows ended by '/'.
std::string Letters(const std::vector<std::uint32_t>& pixels, int width) {
  std::string text;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    text += static_cast<char>(pixels[i]);
    if ((i + 1) % static_cast<std::size_t>(width) == 0) text += '/';
  }
  return text;
}

TEST(CursorScaleTest, PixelsAreRepeatedAcrossAndDown) {
  const std::vector<std::uint32_t> picture = {'a', 'b', 'c', 'd', 'e', 'f'};  // 3 x 2
  EXPECT_EQ(Letters(ScalePixels(picture, 3, 2, 1), 3), "abc/def/");
  EXPECT_EQ(Letters(ScalePixels(picture, 3, 2, 2), 6), "aabbcc/aabbcc/ddeeff/ddeeff/");
  EXPECT_EQ(Letters(ScalePixels(picture, 3, 2, 3), 9),
            "aaabbbccc/aaabbbccc/aaabbbccc/dddeeefff/dddeeefff/dddeeefff/");
  EXPECT_TRUE(ScalePixels(picture, 4, 2, 2).empty());  // the size does not match the pixels
  EXPECT_TRUE(ScalePixels(picture, 3, 2, 0).empty());
}

}  // namespace
}  // namespace lw::platform
