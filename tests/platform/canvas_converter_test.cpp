#include "platform/sdl/canvas_converter.h"

#include <gtest/gtest.h>

#include <vector>

namespace lw::platform {
namespace {

constexpr int kPadding = 8;  // canvas rows wider than the canvas, as surfaces have them
constexpr int kRowBytes = kCanvasWidth + kPadding;

// A palette whose entry i is (i, 255 - i, i / 2), distinct for every index.
Palette Ramp() {
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i / 2)};
  }
  return palette;
}

std::uint32_t Argb(const Rgb& c) {
  return 0xFF000000U | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

class CanvasConverterTest : public ::testing::Test {
 protected:
  CanvasConverterTest() : canvas_(static_cast<std::size_t>(kRowBytes) * kCanvasHeight, 0) {
    converter_.setPalette(palette_);
  }

  void Fill(std::uint8_t index) {
    for (int y = 0; y < kCanvasHeight; ++y) {
      std::fill_n(&canvas_[static_cast<std::size_t>(y) * kRowBytes], kCanvasWidth, index);
    }
  }
  [[nodiscard]] std::uint32_t PixelAt(int x, int y) const {
    return converter_.pixels()[static_cast<std::size_t>(y) * kCanvasWidth + x];
  }
  [[nodiscard]] std::uint8_t IndexAt(int x, int y) const {
    return converter_.indexes()[static_cast<std::size_t>(y) * kCanvasWidth + x];
  }
  std::vector<Rect> Convert(std::vector<Rect> dirty) {
    return converter_.convert(canvas_.data(), kRowBytes, dirty);
  }

  Palette palette_ = Ramp();
  CanvasConverter converter_;
  std::vector<std::uint8_t> canvas_;
};

TEST_F(CanvasConverterTest, FirstConversionTakesTheWholeCanvas) {
  Fill(7);
  canvas_[static_cast<std::size_t>(479) * kRowBytes + 639] = 200;
  const std::vector<Rect> done = Convert({});
  ASSERT_EQ(done.size(), 1U);
  EXPECT_EQ(done[0].bottom, kCanvasHeight);
  EXPECT_EQ(done[0].right, kCanvasWidth);
  EXPECT_EQ(PixelAt(0, 0), Argb(palette_[7]));
  EXPECT_EQ(PixelAt(639, 479), Argb(palette_[200]));
  EXPECT_EQ(IndexAt(639, 479), 200);
  EXPECT_EQ(converter_.presentedPalette(), palette_);
}

TEST_F(CanvasConverterTest, OnlyDirtyRectanglesChange) {
  Fill(1);
  (void)Convert({});
  Fill(2);
  const std::vector<Rect> done = Convert({Rect{10, 20, 30, 60}, Rect{100, 600, 110, 640}});
  ASSERT_EQ(done.size(), 2U);
  EXPECT_EQ(PixelAt(20, 10), Argb(palette_[2]));  // first rectangle's corners
  EXPECT_EQ(PixelAt(59, 29), Argb(palette_[2]));
  EXPECT_EQ(PixelAt(19, 10), Argb(palette_[1]));  // just outside it
  EXPECT_EQ(PixelAt(60, 29), Argb(palette_[1]));
  EXPECT_EQ(PixelAt(20, 30), Argb(palette_[1]));
  EXPECT_EQ(PixelAt(639, 105), Argb(palette_[2]));  // second rectangle
  EXPECT_EQ(PixelAt(300, 300), Argb(palette_[1]));
  EXPECT_EQ(IndexAt(20, 10), 2);
  EXPECT_EQ(IndexAt(300, 300), 1);
}

TEST_F(CanvasConverterTest, RectanglesAreClippedToTheCanvas) {
  (void)Convert({});
  Fill(9);
  const std::vector<Rect> done = Convert({Rect{-50, -50, 5, 5}, Rect{470, 630, 600, 900},
                                          Rect{500, 0, 600, 10}, Rect{20, 20, 10, 30}});
  ASSERT_EQ(done.size(), 2U);
  EXPECT_EQ(done[0].top, 0);
  EXPECT_EQ(done[0].left, 0);
  EXPECT_EQ(done[1].bottom, kCanvasHeight);
  EXPECT_EQ(done[1].right, kCanvasWidth);
  EXPECT_EQ(PixelAt(4, 4), Argb(palette_[9]));
  EXPECT_EQ(PixelAt(639, 479), Argb(palette_[9]));
  EXPECT_EQ(PixelAt(5, 5), Argb(palette_[0]));
}

TEST_F(CanvasConverterTest, APaletteChangeConvertsTheWholeCanvasOnce) {
  Fill(3);
  (void)Convert({});
  Palette changed = palette_;
  changed[3] = {1, 2, 3};
  converter_.setPalette(changed);
  // The kept palette is the one last presented until the next conversion.
  EXPECT_EQ(converter_.presentedPalette(), palette_);
  const std::vector<Rect> done = Convert({Rect{0, 0, 1, 1}});
  ASSERT_EQ(done.size(), 1U);
  EXPECT_EQ(done[0].right, kCanvasWidth);
  EXPECT_EQ(PixelAt(400, 300), Argb(changed[3]));
  EXPECT_EQ(converter_.presentedPalette(), changed);
  // Afterwards only dirty rectangles again.
  Fill(4);
  EXPECT_TRUE(Convert({}).empty());
  EXPECT_EQ(PixelAt(400, 300), Argb(changed[3]));
}

TEST_F(CanvasConverterTest, UnusableCanvasConvertsNothing) {
  EXPECT_TRUE(converter_.convert(nullptr, kRowBytes, {}).empty());
  EXPECT_TRUE(converter_.convert(canvas_.data(), kCanvasWidth - 1, {}).empty());
  // The pending whole-canvas conversion is still owed.
  Fill(5);
  EXPECT_EQ(Convert({}).size(), 1U);
  EXPECT_EQ(PixelAt(0, 0), Argb(palette_[5]));
}

}  // namespace
}  // namespace lw::platform
