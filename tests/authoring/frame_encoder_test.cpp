// The frame encoder, checked through the runtime's decoder: every record decodes to its picture
// (over garbage for a key frame, over the previous picture for a difference frame) in bitmaps of
// any row stride, and costs no more than literal rows, whichever goal the encoder has.
#include "authoring/frame_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "media/frame_codec.h"
#include "support/common_pictures.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Gradient, test::Noise, test::Panned, test::Picture, test::Shapes, test::WithBlock;

FramePixels View(const Picture& picture) { return {picture.width, picture.height, picture.pixels}; }

Bytes Encode(const Picture& picture, const Picture* previous = nullptr,
             EncodeGoal goal = EncodeGoal::kBalanced) {
  const FramePixels previousView = previous != nullptr ? View(*previous) : FramePixels{};
  auto record = EncodeFrame(View(picture), previous != nullptr ? &previousView : nullptr, goal);
  EXPECT_TRUE(record.ok()) << record.error();
  return record.ok() ? *record : Bytes{};
}

// Decodes `record` into a bitmap holding `start` (or garbage) whose rows are `gap` bytes apart
// beyond the width, running up in memory when `upward`; gives the picture decoded, after
// checking that the record was used up and nothing outside the rows was written.
Picture DecodeInto(const Bytes& record, const Picture& shape, const Picture* start, int gap,
                   bool upward) {
  const int stride = shape.width + gap, lastRow = std::max(0, shape.height - 1);
  constexpr int kSlack = 8;
  Bytes memory = Noise(2 * kSlack + lastRow * stride + shape.width, 1, 99).pixels;
  const std::ptrdiff_t row0 = kSlack + (upward ? lastRow * stride : 0);
  const int signedStride = upward ? -stride : stride;
  auto at = [&](int x, int y) -> std::uint8_t& {
    return memory[static_cast<std::size_t>(row0 + static_cast<std::ptrdiff_t>(y) * signedStride +
                                           x)];
  };
  for (int y = 0; start != nullptr && y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) at(x, y) = start->at(x, y);
  }
  const Bytes before = memory;
  auto used =
      DecodeFrame(record, BitmapView{memory, row0, signedStride, shape.width, shape.height});
  EXPECT_TRUE(used.ok()) << (used.ok() ? "" : FrameErrorText(used.error()));
  EXPECT_EQ(used.ok() ? *used : 0, record.size());
  // The rows taken out and put back as they were, the memory must be as before.
  Picture decoded(shape.width, shape.height);
  for (int y = 0; y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) {
      decoded.at(x, y) = at(x, y);
      at(x, y) = before[&at(x, y) - memory.data()];
    }
  }
  EXPECT_TRUE(memory == before) << "written outside the rows";
  return decoded;
}

// Encodes `picture` (against `previous` when given) and checks that the record decodes to it
// with tight and padded, downward and upward rows; gives the record's size.
std::size_t ExpectRoundTrip(const Picture& picture, const Picture* previous,
                            const std::string& what, EncodeGoal goal = EncodeGoal::kBalanced) {
  const Bytes record = Encode(picture, previous, goal);
  for (int gap : {0, 5}) {
    for (bool upward : {false, true}) {
      const Picture decoded = DecodeInto(record, picture, previous, gap, upward);
      EXPECT_EQ(decoded.pixels, picture.pixels) << what << " gap " << gap << " upward " << upward;
    }
  }
  return record.size();
}

// The size of a frame of literal rows.
std::size_t LiteralSize(const Picture& picture) {
  return kFrameHeaderSize + static_cast<std::size_t>(picture.height) * (1 + (picture.width & ~1));
}

TEST(FrameEncoderTest, KeyFramesRebuildPicturesOverAnything) {
  // clang-format off
  const std::pair<std::string, Picture> pictures[] = {
      {"gradient", Gradient(160, 120, 1)}, {"noise", Noise(64, 48, 2)},
      {"shapes", Shapes(200, 150)},        {"odd width", Shapes(77, 40)},
      {"one row", Gradient(301, 1, 3)},    {"one column", Gradient(1, 90, 4)},
      {"one pixel", Noise(1, 1, 5)},       {"wide", Gradient(700, 3, 6)},
      {"empty", Picture(0, 0)},            {"no columns", Picture(0, 5)}};
  // clang-format on
  for (const auto& [what, picture] : pictures) {
    const std::size_t size = ExpectRoundTrip(picture, nullptr, what);
    EXPECT_LE(size, picture.width % 2 == 0 ? LiteralSize(picture) : SIZE_MAX) << what;
  }
}

TEST(FrameEncoderTest, DifferenceFramesTurnThePreviousPictureIntoTheNext) {
  const Picture background = Shapes(240, 180), gradient = Gradient(161, 100, 7);
  const Picture noise = Noise(50, 30, 8), column = Gradient(1, 20, 10), row = Noise(33, 1, 12);
  // Odd widths: literal and copied rows leave the last column alone, so they only fit rows
  // whose last pixel stays; here it changes in every other row.
  const Picture oddBefore = Shapes(81, 40);
  Picture oddAfter = oddBefore;
  for (int y = 0; y < oddAfter.height; y += 2) oddAfter.at(80, y) ^= 0x55;
  for (int y = 10; y < 20; ++y) oddAfter.at(3, y) = 1;
  struct Case {
    std::string what;
    Picture before, after;
    EncodeGoal goal;
    std::size_t below;  // a bound on the record's size
  };
  constexpr EncodeGoal kBalanced = EncodeGoal::kBalanced;
  // clang-format off
  const Case cases[] = {
      {"moving block", WithBlock(background, 30, 40), WithBlock(background, 33, 42), kBalanced,
                       background.pixels.size() / 100},
      {"pan", gradient, Panned(gradient, 1), EncodeGoal::kSmallest, LiteralSize(gradient)},
      {"noise over noise",       noise,     Noise(50, 30, 9),     kBalanced, SIZE_MAX},
      {"shapes over noise",      noise,     Shapes(50, 30),       kBalanced, SIZE_MAX},
      {"odd width, last column", oddBefore, oddAfter,             kBalanced, SIZE_MAX},
      {"one column",             column,    Gradient(1, 20, 11),  kBalanced, SIZE_MAX},
      {"one row",                row,       Panned(row, 1),       kBalanced, SIZE_MAX}};
  // clang-format on
  for (const Case& c : cases)
    EXPECT_LT(ExpectRoundTrip(c.after, &c.before, c.what, c.goal), c.below) << c.what;
  // An unchanged picture costs one byte per row.
  for (const Picture& picture : {Noise(64, 48, 13), Shapes(81, 7), Picture(0, 3)}) {
    EXPECT_EQ(ExpectRoundTrip(picture, &picture, "unchanged"),
              kFrameHeaderSize + static_cast<std::size_t>(picture.height));
  }
}

TEST(FrameEncoderTest, FramesAreNeverLargerThanLiteralRows) {
  // Noise is the worst case: nothing but literal rows (or literal pixels) can describe it.
  for (unsigned seed = 20; seed < 26; ++seed) {
    const Picture noise = Noise(48 + 2 * static_cast<int>(seed), 9, seed);
    const Picture previous = Noise(noise.width, noise.height, seed + 100);
    for (EncodeGoal goal : {EncodeGoal::kBalanced, EncodeGoal::kSmallest}) {
      EXPECT_LE(Encode(noise, nullptr, goal).size(), LiteralSize(noise));
      EXPECT_LE(Encode(noise, &previous, goal).size(), LiteralSize(noise));
    }
  }
  // A run of 10 equal pixels in noise: the row op byte, 20 literal pixels, a fill and 34 literal
  // pixels (a long count) cost 1 + 21 + 2 + 36 bytes, 5 less than a literal row.
  Picture spotted = Noise(64, 8, 26);
  for (int y = 0; y < spotted.height; ++y) std::fill_n(&spotted.at(20, y), 10, 77);
  EXPECT_LE(ExpectRoundTrip(spotted, nullptr, "spotted noise", EncodeGoal::kSmallest),
            kFrameHeaderSize + 8 * 60);
  // A key frame with an odd width cannot use literal rows; it stays within the few bytes of
  // sub-operation headers of them.
  const Picture odd = Noise(301, 6, 27);
  EXPECT_LE(Encode(odd).size(), LiteralSize(odd) + 6 * 4);
}

// Typical pictures compress well. By default a texture of small deltas, which bit runs code in
// a few bits a pixel but decode slowly, goes literal; the smallest record codes it in bit runs.
// Flat art is small either way.
TEST(FrameEncoderTest, BalancedFramesTradeBytesForDecodingSpeed) {
  const Picture gradient = Gradient(320, 240, 31);
  const std::size_t balanced = ExpectRoundTrip(gradient, nullptr, "balanced gradient");
  const std::size_t smallest =
      ExpectRoundTrip(gradient, nullptr, "smallest gradient", EncodeGoal::kSmallest);
  EXPECT_LT(smallest * 2, balanced);
  EXPECT_LT(smallest * 2, gradient.pixels.size());
  EXPECT_LE(balanced, LiteralSize(gradient));
  const Picture shapes = Shapes(320, 240);
  const std::size_t flat = Encode(shapes).size();
  EXPECT_LT(flat * 4, shapes.pixels.size());
  EXPECT_LE(Encode(shapes, nullptr, EncodeGoal::kSmallest).size(), flat);
  EXPECT_LT(Encode(WithBlock(shapes, 100, 100), &shapes).size() * 50, shapes.pixels.size());
}

TEST(FrameEncoderTest, RefusesPicturesThatDoNotFitARecord) {
  const Bytes pixels(12);
  const FramePixels fits{4, 3, pixels}, otherShape{3, 4, pixels};
  for (const FramePixels& wrong : {FramePixels{40000, 0, {}}, FramePixels{0, 40000, {}},
                                   FramePixels{-1, 2, {}}, FramePixels{5, 2, pixels}}) {
    EXPECT_FALSE(EncodeFrame(wrong).ok()) << wrong.width << " x " << wrong.height;
    EXPECT_FALSE(EncodeFrame(fits, &wrong).ok()) << wrong.width << " x " << wrong.height;
  }
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
