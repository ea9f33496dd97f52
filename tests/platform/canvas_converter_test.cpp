// The window backend's canvas conversion: through the palette, dirty rectangles only, the whole
// canvas after a palette change, and nothing from a canvas that cannot be read.
#include "platform/sdl/canvas_converter.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/common_pictures.h"

namespace lw::platform {
namespace {

constexpr int kRowBytes = kCanvasWidth + 8;  // rows wider than the canvas, as surfaces have them

class CanvasConverterTest : public ::testing::Test {
 protected:
  CanvasConverterTest() { converter_.setPalette(palette_); }

  // Fills the canvas with `index`, converts the `dirty` rectangles and gives the rectangles
  // converted: "top,left - bottom,right; ...".
  std::string FillAndConvert(std::uint8_t index, std::vector<Rect> dirty) {
    for (int y = 0; y < kCanvasHeight; ++y)
      std::fill_n(&canvas_[static_cast<std::size_t>(y) * kRowBytes], kCanvasWidth, index);
    std::string done;
    for (const Rect& r : converter_.convert(canvas_.data(), kRowBytes, dirty)) {
      done += std::to_string(r.top) + "," + std::to_string(r.left) + " - " +
              std::to_string(r.bottom) + "," + std::to_string(r.right) + "; ";
    }
    return done;
  }
  // At each point (h, v) the kept index, marked '!' when the converted pixel is not that index's
  // colour in `palette`.
  std::string ShownAt(std::initializer_list<std::pair<int, int>> points,
                      const Palette* palette = nullptr) const {
    std::string shown;
    for (const auto& [h, v] : points) {
      const std::size_t at = static_cast<std::size_t>(v) * kCanvasWidth + h;
      const Rgb& c = (palette != nullptr ? *palette : palette_)[converter_.indexes()[at]];
      const std::uint32_t argb =
          0xFF000000U | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
      shown +=
          std::to_string(converter_.indexes()[at]) + (converter_.pixels()[at] == argb ? " " : "! ");
    }
    return shown;
  }

  Palette palette_ = test::DistinctColours();  // every index has a colour of its own
  CanvasConverter converter_;
  std::vector<std::uint8_t> canvas_ = std::vector<std::uint8_t>(kRowBytes * kCanvasHeight);
};

// The first conversion takes the whole canvas, and is still owed after canvases that cannot be
// read. Later ones take the dirty rectangles, clipped to the canvas; empty ones and those outside
// it convert nothing.
TEST_F(CanvasConverterTest, FirstTheWholeCanvasThenOnlyDirtyRectangles) {
  EXPECT_TRUE(converter_.convert(nullptr, kRowBytes, {}).empty());
  EXPECT_TRUE(converter_.convert(canvas_.data(), kCanvasWidth - 1, {}).empty());
  EXPECT_EQ(FillAndConvert(1, {Rect{0, 0, 1, 1}}), "0,0 - 480,640; ");
  EXPECT_EQ(ShownAt({{0, 0}, {639, 479}}), "1 1 ");
  EXPECT_EQ(FillAndConvert(2, {Rect{10, 20, 30, 60}, Rect{-50, -50, 5, 5}, Rect{470, 630, 600, 900},
                               Rect{500, 0, 600, 10}, Rect{20, 20, 10, 30}}),
            "10,20 - 30,60; 0,0 - 5,5; 470,630 - 480,640; ");
  // The first rectangle's corners and the points just outside them, then the others.
  EXPECT_EQ(ShownAt({{20, 10}, {59, 29}, {19, 10}, {60, 29}, {20, 30}}), "2 2 1 1 1 ");
  EXPECT_EQ(ShownAt({{4, 4}, {5, 5}, {639, 479}, {629, 479}, {300, 300}}), "2 1 2 1 1 ");
}

// The kept palette is the one last presented until the next conversion, which takes the whole
// canvas once; afterwards only dirty rectangles again.
TEST_F(CanvasConverterTest, APaletteChangeConvertsTheWholeCanvasOnce) {
  (void)FillAndConvert(3, {});
  Palette changed = palette_;
  changed[3] = {1, 2, 3};
  converter_.setPalette(changed);
  EXPECT_EQ(FillAndConvert(3, {Rect{0, 0, 1, 1}}), "0,0 - 480,640; ");
  EXPECT_EQ(ShownAt({{400, 300}}, &changed), "3 ");
  EXPECT_EQ(converter_.presentedPalette(), changed);
  EXPECT_EQ(FillAndConvert(4, {}), "");
  EXPECT_EQ(ShownAt({{400, 300}}, &changed), "3 ");
}

}  // namespace
}  // namespace lw::platform
