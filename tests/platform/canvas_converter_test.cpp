// The window backend's canvas conversion: through the palette, dirty rectangles only, the whole
// canvas after a palette change, and nothing from a canvas that cannot be read.
#include "platform/sdl/canvas_converter.h"

#include <gtest/gtest.h>

#include <vector>

namespace lw::platform {
namespace {

constexpr int kRowBytes = kCanvasWidth + 8;  // rows wider than the canvas, as surfaces have them

class CanvasConverterTest : public ::testing::Test {
 protected:
  // Entry i is (i, 255 - i, i / 2): every index has a colour of its own.
  CanvasConverterTest() : canvas_(static_cast<std::size_t>(kRowBytes) * kCanvasHeight, 0) {
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      palette_[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                     static_cast<std::uint8_t>(i / 2)};
    }
    converter_.setPalette(palette_);
  }

  void Fill(std::uint8_t index) {
    for (int y = 0; y < kCanvasHeight; ++y) {
      std::fill_n(&canvas_[static_cast<std::size_t>(y) * kRowBytes], kCanvasWidth, index);
    }
  }
  // The rectangles converted: "top,left - bottom,right; ...".
  std::string Convert(std::vector<Rect> dirty) {
    std::string done;
    for (const Rect& r : converter_.convert(canvas_.data(), kRowBytes, dirty)) {
      done += std::to_string(r.top) + "," + std::to_string(r.left) + " - " +
              std::to_string(r.bottom) + "," + std::to_string(r.right) + "; ";
    }
    return done;
  }
  // At each point (h, v): the kept index, and the index of `palette` whose colour the converted
  // pixel has ("7/7"), or "?" when it has none of them.
  std::string ShownAt(std::initializer_list<std::pair<int, int>> points,
                      const Palette* palette = nullptr) const {
    const Palette& colours = palette != nullptr ? *palette : palette_;
    std::string shown;
    for (const auto& [h, v] : points) {
      const std::size_t at = static_cast<std::size_t>(v) * kCanvasWidth + h;
      const std::uint32_t argb = converter_.pixels()[at];
      std::string index = "?";
      for (std::size_t i = 0; i < colours.size(); ++i) {
        const Rgb& c = colours[i];
        if (argb ==
            (0xFF000000U | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue)) {
          index = std::to_string(i);
        }
      }
      shown += std::to_string(converter_.indexes()[at]) + "/" + index + " ";
    }
    return shown;
  }

  Palette palette_{};
  CanvasConverter converter_;
  std::vector<std::uint8_t> canvas_;
};

TEST_F(CanvasConverterTest, FirstConversionTakesTheWholeCanvas) {
  Fill(7);
  canvas_[static_cast<std::size_t>(479) * kRowBytes + 639] = 200;
  EXPECT_EQ(Convert({}), "0,0 - 480,640; ");
  EXPECT_EQ(ShownAt({{0, 0}, {639, 479}}), "7/7 200/200 ");
  EXPECT_EQ(converter_.presentedPalette(), palette_);
}

// Rectangles are clipped to the canvas; empty ones and those outside it convert nothing.
TEST_F(CanvasConverterTest, OnlyDirtyRectanglesChange) {
  Fill(1);
  (void)Convert({});
  Fill(2);
  EXPECT_EQ(Convert({Rect{10, 20, 30, 60}, Rect{-50, -50, 5, 5}, Rect{470, 630, 600, 900},
                     Rect{500, 0, 600, 10}, Rect{20, 20, 10, 30}}),
            "10,20 - 30,60; 0,0 - 5,5; 470,630 - 480,640; ");
  // The first rectangle's corners and the points just outside them, then the others.
  EXPECT_EQ(ShownAt({{20, 10}, {59, 29}, {19, 10}, {60, 29}, {20, 30}}), "2/2 2/2 1/1 1/1 1/1 ");
  EXPECT_EQ(ShownAt({{4, 4}, {5, 5}, {639, 479}, {629, 479}, {300, 300}}), "2/2 1/1 2/2 1/1 1/1 ");
}

// The kept palette is the one last presented until the next conversion, which takes the whole
// canvas once; afterwards only dirty rectangles again.
TEST_F(CanvasConverterTest, APaletteChangeConvertsTheWholeCanvasOnce) {
  Fill(3);
  (void)Convert({});
  Palette changed = palette_;
  changed[3] = {1, 2, 3};
  converter_.setPalette(changed);
  EXPECT_EQ(converter_.presentedPalette(), palette_);
  EXPECT_EQ(Convert({Rect{0, 0, 1, 1}}), "0,0 - 480,640; ");
  EXPECT_EQ(ShownAt({{400, 300}}, &changed), "3/3 ");
  EXPECT_EQ(converter_.presentedPalette(), changed);
  Fill(4);
  EXPECT_EQ(Convert({}), "");
  EXPECT_EQ(ShownAt({{400, 300}}, &changed), "3/3 ");
}

// A conversion owed (the first one) is still owed after canvases that cannot be read.
TEST_F(CanvasConverterTest, UnusableCanvasConvertsNothing) {
  EXPECT_TRUE(converter_.convert(nullptr, kRowBytes, {}).empty());
  EXPECT_TRUE(converter_.convert(canvas_.data(), kCanvasWidth - 1, {}).empty());
  Fill(5);
  EXPECT_EQ(Convert({}), "0,0 - 480,640; ");
  EXPECT_EQ(ShownAt({{0, 0}}), "5/5 ");
}

}  // namespace
}  // namespace lw::platform
