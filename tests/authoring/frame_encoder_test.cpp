// The frame encoder, checked through the runtime's decoder: every record decodes to its picture
// (over garbage for a key frame, over the previous picture for a difference frame) and writes
// nothing outside its rows, within a bound on its size, whichever goal the encoder has.
#include "authoring/frame_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "media/frame_codec.h"
#include "support/common_pictures.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Gradient, test::Noise, test::Picture, test::Shapes, test::WithBlock;

FramePixels View(const Picture& picture) { return {picture.width, picture.height, picture.pixels}; }

Bytes Encode(const Picture& picture, const Picture* previous = nullptr,
             EncodeGoal goal = EncodeGoal::kBalanced) {
  const FramePixels previousView = previous != nullptr ? View(*previous) : FramePixels{};
  auto record = EncodeFrame(View(picture), previous != nullptr ? &previousView : nullptr, goal);
  EXPECT_TRUE(record.ok()) << record.error();
  return record.ok() ? *record : Bytes{};
}

// Encodes `picture` (against `previous` when given) and checks that the record decodes to it
// over `previous` (or garbage) and is used up, in a bitmap whose rows are padded with garbage
// that must stay as it was; gives the record's size. Other row strides are the decoder's tests'.
std::size_t ExpectRoundTrip(const Picture& picture, const Picture* previous,
                            const std::string& what, EncodeGoal goal = EncodeGoal::kBalanced) {
  const Bytes record = Encode(picture, previous, goal);
  constexpr int kGap = 5;
  const int stride = picture.width + kGap;
  Bytes memory = Noise(kGap + std::max(1, picture.height) * stride, 1, 99).pixels;
  auto at = [&](int x, int y) -> std::uint8_t& {
    return memory[static_cast<std::size_t>(kGap + y * stride + x)];
  };
  for (int y = 0; previous != nullptr && y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) at(x, y) = previous->at(x, y);
  }
  Bytes expected = memory;
  auto used = DecodeFrame(record, BitmapView{memory, kGap, stride, picture.width, picture.height});
  EXPECT_TRUE(used.ok()) << what << ": " << (used.ok() ? "" : FrameErrorText(used.error()));
  EXPECT_EQ(used.ok() ? *used : 0, record.size()) << what;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) expected[&at(x, y) - memory.data()] = picture.at(x, y);
  }
  EXPECT_TRUE(memory == expected) << what;
  return record.size();
}

// The size of a frame of literal rows.
std::size_t LiteralSize(const Picture& picture) {
  return kFrameHeaderSize + static_cast<std::size_t>(picture.height) * (1 + (picture.width & ~1));
}

// Key frames (no picture before) over garbage, difference frames over the picture before; each
// with a bound on its size. Noise is the worst case: nothing but literal rows (or literal pixels)
// can describe it.
TEST(FrameEncoderTest, FramesRebuildTheirPictures) {
  const Picture background = Shapes(240, 180);
  const Picture noise = Noise(50, 30, 8);
  // Odd widths: literal and copied rows leave the last column alone, so they only fit rows
  // whose last pixel stays; here it changes in every other row.
  const Picture oddBefore = Shapes(81, 40);
  Picture oddAfter = oddBefore;
  for (int y = 0; y < oddAfter.height; y += 2) oddAfter.at(80, y) ^= 0x55;
  for (int y = 10; y < 20; ++y) oddAfter.at(3, y) = 1;
  struct Case {
    std::string what;
    std::optional<Picture> before;
    Picture after;
    EncodeGoal goal;
    std::size_t most;  // a bound on the record's size
  };
  constexpr EncodeGoal kBalanced = EncodeGoal::kBalanced, kSmallest = EncodeGoal::kSmallest;
  const Picture wide = Gradient(700, 3, 6), shapes = Shapes(200, 150), keyNoise = Noise(64, 48, 2);
  // A run of 10 equal pixels in noise: the row op byte, 20 literal pixels, a fill and 34 literal
  // pixels (a long count) cost 1 + 21 + 2 + 36 bytes, 5 less than a literal row.
  Picture spotted = Noise(64, 8, 26);
  for (int y = 0; y < spotted.height; ++y) std::fill_n(&spotted.at(20, y), 10, 77);
  // A key frame with an odd width cannot use literal rows; it stays within the few bytes of
  // sub-operation headers of them.
  const Picture odd = Noise(301, 6, 27);
  // clang-format off
  const Case cases[] = {
      {"noise", {}, keyNoise, kSmallest, LiteralSize(keyNoise)},
      {"shapes", {}, shapes, kBalanced, LiteralSize(shapes)},
      {"wide", {}, wide, kBalanced, LiteralSize(wide)},
      {"empty", {}, Picture(0, 0), kBalanced, kFrameHeaderSize},
      {"no columns", {}, Picture(0, 5), kBalanced, SIZE_MAX},
      {"spotted noise", {}, spotted, kSmallest, kFrameHeaderSize + 8 * 60},
      {"odd width", {}, odd, kBalanced, LiteralSize(odd) + 6 * 4},
      {"moving block", WithBlock(background, 30, 40), WithBlock(background, 33, 42), kBalanced,
                       background.pixels.size() / 100},
      {"noise over noise, smallest", noise, Noise(50, 30, 9), kSmallest, LiteralSize(noise)},
      {"odd width, last column", oddBefore, oddAfter, kBalanced, SIZE_MAX},
      // An unchanged picture costs one byte per row.
      {"unchanged", noise, noise, kBalanced, kFrameHeaderSize + 30},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Picture* before = c.before ? &*c.before : nullptr;
    EXPECT_LE(ExpectRoundTrip(c.after, before, c.what, c.goal), c.most) << c.what;
  }
}

// By default a texture of small deltas, which bit runs code in a few bits a pixel but decode
// slowly, goes literal; the smallest record codes it in bit runs. Flat art is small either way.
TEST(FrameEncoderTest, BalancedFramesTradeBytesForDecodingSpeed) {
  const Picture gradient = Gradient(320, 240, 31), shapes = Shapes(320, 240);
  EXPECT_LT(Encode(gradient, nullptr, EncodeGoal::kSmallest).size() * 2, Encode(gradient).size());
  EXPECT_LT(Encode(shapes).size() * 4, shapes.pixels.size());
  EXPECT_LT(Encode(WithBlock(shapes, 100, 100), &shapes).size() * 50, shapes.pixels.size());
}

TEST(FrameEncoderTest, RefusesPicturesThatDoNotFitARecord) {
  const Bytes pixels(12);
  const FramePixels fits{4, 3, pixels}, otherShape{3, 4, pixels};
  for (const FramePixels& wrong : {FramePixels{40000, 0, {}}, FramePixels{0, 40000, {}},
                                   FramePixels{-1, 2, {}}, FramePixels{5, 2, pixels}})
    EXPECT_FALSE(EncodeFrame(wrong).ok() || EncodeFrame(fits, &wrong).ok()) << wrong.width;
  EXPECT_EQ(EncodeFrame({5, 2, pixels}).error(), "the picture has 12 pixels, not width x height");
  EXPECT_FALSE(EncodeFrame(fits, &otherShape).ok());
}

// Small pictures of few colours, and previous pictures that differ from them here and there.
TEST(FrameEncoderTest, RandomArtworkRoundTrips) {
  std::mt19937 random(40);
  for (int trial = 0; trial < 300; ++trial) {
    const Picture picture = test::RandomArtwork(random);
    Picture previous = picture;
    for (std::uint8_t& pixel : previous.pixels)
      pixel = random() % 4 == 0 ? static_cast<std::uint8_t>(random()) : pixel;
    const std::string what = "trial " + std::to_string(trial);
    for (EncodeGoal goal : {EncodeGoal::kBalanced, EncodeGoal::kSmallest}) {
      ExpectRoundTrip(picture, nullptr, what + " key", goal);
      ExpectRoundTrip(picture, &previous, what + " difference", goal);
    }
  }
}

}  // namespace
}  // namespace lw::authoring
