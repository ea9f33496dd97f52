// The sprite encoder, checked through the runtime's drawing and hit test: every record must draw
// exactly its picture over any background, plain, mirrored and clipped, with the cheapest row
// codes.
#include "authoring/sprite_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "media/sprite.h"
#include "support/common_pictures.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Disc, test::Noise, test::Picture, test::Stripes;

constexpr std::uint8_t kClear = 0;  // the transparent index of the test pictures
constexpr std::size_t kRowHeader = 2;
constexpr std::int32_t kMargin = 5;  // background drawn around the picture

Bytes Encode(const Picture& p, Point hot = {}, std::optional<std::uint8_t> clear = kClear) {
  auto record = EncodeSprite({p.width, p.height, p.pixels, hot, clear});
  EXPECT_TRUE(record.ok()) << record.error();
  return record.ok() ? std::move(record).value() : Bytes{};
}

// Draws the record over noise with the picture's top-left at (kMargin, kMargin), cut to a clip
// from (clipTop, clipLeft) on, and counts the pixels that are not the picture's opaque pixel
// (mirrored when asked) where it lies inside the clip, or the background everywhere else. Hit
// tests count too: picture column c is decided by the code that covers column c - 1 (column 0
// by the first code), the row code read unmirrored either way.
int WrongPixels(const Bytes& record, const Picture& p, Point hot, bool mirrored, unsigned seed,
                std::int16_t clipTop = 0, std::int16_t clipLeft = 0) {
  const Picture background = Noise(p.width + 2 * kMargin, p.height + 2 * kMargin, seed);
  const auto width = static_cast<std::int16_t>(background.width);
  const auto height = static_cast<std::int16_t>(background.height);
  Bytes canvas = background.pixels;
  const Point anchor{static_cast<std::int16_t>(kMargin + hot.v),
                     static_cast<std::int16_t>(kMargin + (mirrored ? p.width - hot.h : hot.h))};
  EXPECT_FALSE(DrawSprite(record, anchor, {canvas, 0, width, width, height},
                          {clipTop, clipLeft, height, width}, mirrored)
                   .failed());
  int wrong = 0;
  for (std::int16_t v = 0; v < height; ++v) {
    for (std::int16_t h = 0; h < width; ++h) {
      const std::int32_t pv = v - kMargin, ph = h - kMargin;
      const std::int32_t drawn = mirrored ? p.width - 1 - ph : ph;
      const bool onPicture = pv >= 0 && pv < p.height && ph >= 0 && ph < p.width;
      const bool inside = onPicture && v >= clipTop && h >= clipLeft;
      const std::uint8_t pixel = inside ? p.at(drawn, pv) : kClear;
      wrong += canvas[v * width + h] != (pixel != kClear ? pixel : background.at(h, v));
      if (onPicture) {
        const auto hit = SpriteCovers(record, anchor, mirrored, nullptr, {v, h});
        wrong += !hit.ok() || hit.value() != (p.at(drawn, pv) != kClear);
      }
    }
  }
  return wrong;
}

// Size of the row code of a one-row picture.
std::size_t RowCodeBytes(const Bytes& row, std::optional<std::uint8_t> clear = kClear) {
  Picture picture(static_cast<std::int32_t>(row.size()), 1);
  picture.pixels = row;
  return Encode(picture, {}, clear).size() - kSpriteHeaderSize - kRowHeader;
}

TEST(SpriteEncoderTest, DrawsBackExactlyOverAnyBackgroundPlainMirroredAndClipped) {
  Picture blank = Stripes(30, 12);  // all-transparent rows between and around opaque ones
  for (std::int32_t v : {0, 1, 5, 6, 11}) std::fill_n(&blank.at(0, v), 30, kClear);
  Picture patched = Stripes(40, 10);  // rows that repeat the row above except under holes
  for (std::int32_t v = 0; v < 10; v += 2) std::fill_n(&patched.at(v, v), 8, kClear);
  std::vector<Picture> pictures = {Disc(41),        Noise(70, 20, 7), Stripes(200, 30),
                                   Stripes(512, 4), Noise(512, 3, 9), Stripes(1, 9),
                                   blank,           patched};
  std::mt19937 random(5);
  for (int trial = 0; trial < 100; ++trial) pictures.push_back(test::RandomArtwork(random));
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& picture = pictures[i];
    SCOPED_TRACE("picture " + std::to_string(i));
    const Point hot{static_cast<std::int16_t>(picture.height / 3),
                    static_cast<std::int16_t>(picture.width / 4)};
    // The size and hot spot in the header place the drawing.
    const Bytes record = Encode(picture, hot);
    for (bool mirrored : {false, true}) {
      EXPECT_EQ(WrongPixels(record, picture, hot, mirrored, 1), 0) << mirrored;
      // Rows above the clip are decoded off screen; copies in the first visible row still hold.
      EXPECT_EQ(WrongPixels(record, picture, hot, mirrored, 3, kMargin + 2, kMargin + 1), 0);
    }
  }
}

TEST(SpriteEncoderTest, RowsTakeTheCheapestCode) {
  // An op byte covers up to 63 pixels: 200 clear pixels take 4, 100 of a colour 2 runs of 2
  // bytes, clear-run-clear 1 + 2 + 1. Two equal pixels cost less inside a literal (1 + 6); four
  // are worth a run (1 + 2, 2, 1 + 2). 130 opaque noise pixels are 3 literal ops.
  std::string sizes;
  for (const Bytes& row :
       {Bytes(200, kClear), Bytes(100, 9), Bytes{kClear, kClear, 5, 5, 5, kClear},
        Bytes{1, 2, 3, 3, 4, 5}, Bytes{1, 2, 3, 3, 3, 3, 4, 5}})
    sizes += std::to_string(RowCodeBytes(row)) + " ";
  EXPECT_EQ(sizes + std::to_string(RowCodeBytes(Noise(130, 1, 5).pixels, std::nullopt)),
            "4 4 4 7 8 133");
  // Rows that repeat the row above are copies (opaque throughout, no transparent index).
  const Bytes row = Noise(512, 1, 3).pixels;
  Picture copied(512, 50);
  for (int v = 0; v < copied.height; ++v) std::copy(row.begin(), row.end(), &copied.at(0, v));
  EXPECT_EQ(Encode(copied, {}, std::nullopt).size(),
            kSpriteHeaderSize + kRowHeader + RowCodeBytes(row, std::nullopt) +
                49 * (kRowHeader + 9));  // 9 op bytes of up to 63 pixels copy a row
  // A copy stops under a hole in the row above: copy, run of the new middle, copy.
  Picture holed = Stripes(30, 2);
  std::fill_n(&holed.at(10, 0), 10, kClear);
  std::fill_n(&holed.at(10, 1), 10, 7);
  EXPECT_EQ(Encode(holed).size(), kSpriteHeaderSize + kRowHeader +
                                      RowCodeBytes({&holed.at(0, 0), &holed.at(0, 1)}) +
                                      kRowHeader + 4);
}

TEST(SpriteEncoderTest, RefusesPicturesASpriteCannotHold) {
  const Bytes ones(32768, 1);
  const std::span<const std::uint8_t> pixels(ones);
  EXPECT_EQ(EncodeSprite({513, 1, pixels.first(513), {}, {}}).error(),
            "picture is 513 pixels wide; a sprite is at most 512");
  EXPECT_TRUE(EncodeSprite({1, 32767, pixels.first(32767), {}, {}}).ok());
  EXPECT_FALSE(EncodeSprite({1, 32768, pixels, {}, {}}).ok() ||
               EncodeSprite({10, 2, pixels.first(19), {}, {}}).ok() ||
               EncodeSprite({-1, 2, {}, {}, {}}).ok());
  // A picture without columns still has its rows, each an empty row code.
  EXPECT_EQ(EncodeSprite({0, 3, {}, {1, 2}, {}}).value().size(),
            kSpriteHeaderSize + 3 * kRowHeader);
}

}  // namespace
}  // namespace lw::authoring
