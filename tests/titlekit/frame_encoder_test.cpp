// The frame encoder, checked through the runtime's decoder: every record must decode to its
// picture (over garbage for a key frame, over the previous picture for a difference frame), in
// bitmaps of any row stride, and must not cost more than sending the rows literally, whether it
// aims at the smallest record or trades bytes for decoding speed.
#include "authoring/frame_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "media/frame_codec.h"

namespace lw::titlekit {
namespace {

using namespace lw::authoring;

using Bytes = std::vector<std::uint8_t>;

struct Picture {
  int width = 0;
  int height = 0;
  Bytes pixels;

  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w * h)) {}
  std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  [[nodiscard]] std::uint8_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
  [[nodiscard]] FramePixels view() const { return {width, height, pixels}; }
};

// Smooth diagonal shading with a little noise: what scanned or rendered backgrounds look like.
Picture Gradient(int w, int h, unsigned seed) {
  std::mt19937 random(seed);
  Picture p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      p.at(x, y) = static_cast<std::uint8_t>(16 + (x + 2 * y) / 5 + random() % 3);
  }
  return p;
}

Picture Noise(int w, int h, unsigned seed) {
  std::mt19937 random(seed);
  Picture p(w, h);
  for (std::uint8_t& pixel : p.pixels) pixel = static_cast<std::uint8_t>(random());
  return p;
}

// Flat areas, a dithered band, a circle and a repeated tile: cartoon-like artwork.
Picture Shapes(int w, int h) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t pixel = y < h / 3 ? 40 : 90;
      if (y > h / 2 && y < h / 2 + 10) pixel = (x + y) % 2 ? 7 : 200;
      if (std::hypot(x - w / 2.0, y - h / 3.0) < h / 5.0) pixel = 150 + (x / 8) % 3;
      if (y > 3 * h / 4) pixel = static_cast<std::uint8_t>((x % 12) * 3 + (y % 6));
      p.at(x, y) = pixel;
    }
  }
  return p;
}

// `background` with a textured 24 x 16 block whose top-left is at (left, top).
Picture WithBlock(Picture background, int left, int top) {
  for (int y = top; y < top + 16 && y < background.height; ++y) {
    for (int x = left; x < left + 24 && x < background.width; ++x)
      background.at(x, y) = static_cast<std::uint8_t>(220 + (x - left + y - top) % 9);
  }
  return background;
}

// `source` moved `dx` pixels to the left, the uncovered column repeated.
Picture Panned(const Picture& source, int dx) {
  Picture p(source.width, source.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) p.at(x, y) = source.at(std::min(x + dx, p.width - 1), y);
  }
  return p;
}

Bytes Encode(const Picture& picture, const Picture* previous = nullptr,
             EncodeGoal goal = EncodeGoal::kBalanced) {
  const FramePixels previousView = previous != nullptr ? previous->view() : FramePixels{};
  auto record = EncodeFrame(picture.view(), previous != nullptr ? &previousView : nullptr, goal);
  EXPECT_TRUE(record.ok()) << record.error();
  return record.ok() ? *record : Bytes{};
}

// Decodes `record` into a bitmap holding `start` (or garbage) whose rows are `gap` bytes apart
// beyond the width, running up in memory when `upward`; gives the picture decoded, after
// checking that the record was used up and nothing outside the rows was written.
Picture DecodeInto(const Bytes& record, const Picture& shape, const Picture* start, int gap,
                   bool upward) {
  const int stride = shape.width + gap;
  constexpr int kSlack = 8;
  Bytes memory(
      static_cast<std::size_t>(2 * kSlack + std::max(0, shape.height - 1) * stride + shape.width));
  std::mt19937 random(99);
  for (std::uint8_t& byte : memory) byte = static_cast<std::uint8_t>(random());
  const std::ptrdiff_t row0 = kSlack + (upward ? std::max(0, shape.height - 1) * stride : 0);
  const int signedStride = upward ? -stride : stride;
  auto offset = [&](int x, int y) {
    return static_cast<std::size_t>(row0 + static_cast<std::ptrdiff_t>(y) * signedStride + x);
  };
  if (start != nullptr) {
    for (int y = 0; y < shape.height; ++y) {
      for (int x = 0; x < shape.width; ++x)
        memory[offset(x, y)] = start->pixels[static_cast<std::size_t>(y * shape.width + x)];
    }
  }
  const Bytes before = memory;
  BitmapView view{memory, row0, signedStride, shape.width, shape.height};
  auto used = DecodeFrame(record, view);
  EXPECT_TRUE(used.ok()) << (used.ok() ? "" : FrameErrorText(used.error()));
  EXPECT_EQ(used.ok() ? *used : 0, record.size());
  Picture decoded(shape.width, shape.height);
  std::vector<bool> inRows(memory.size(), false);
  for (int y = 0; y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) {
      decoded.at(x, y) = memory[offset(x, y)];
      inRows[offset(x, y)] = true;
    }
  }
  std::size_t changedOutside = 0;
  for (std::size_t i = 0; i < memory.size(); ++i)
    changedOutside += !inRows[i] && memory[i] != before[i];
  EXPECT_EQ(changedOutside, 0u);
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
  const std::vector<std::pair<std::string, Picture>> pictures = {
      {"gradient", Gradient(160, 120, 1)},
      {"noise", Noise(64, 48, 2)},
      {"shapes", Shapes(200, 150)},
      {"odd width", Shapes(77, 40)},
      {"one row", Gradient(301, 1, 3)},
      {"one column", Gradient(1, 90, 4)},
      {"one pixel", Noise(1, 1, 5)},
      {"wide", Gradient(700, 3, 6)},
      {"empty", Picture(0, 0)},
      {"no columns", Picture(0, 5)},
  };
  for (const auto& [what, picture] : pictures) {
    const std::size_t size = ExpectRoundTrip(picture, nullptr, what);
    if (picture.width % 2 == 0) {
      EXPECT_LE(size, LiteralSize(picture)) << what;
    }
  }
}

TEST(FrameEncoderTest, DifferenceFramesTurnThePreviousPictureIntoTheNext) {
  const Picture background = Shapes(240, 180);
  const Picture before = WithBlock(background, 30, 40);
  const Picture after = WithBlock(background, 33, 42);
  const std::size_t moved = ExpectRoundTrip(after, &before, "moving block");
  EXPECT_LT(moved, after.pixels.size() / 100);

  const Picture gradient = Gradient(161, 100, 7);
  const std::size_t pan =
      ExpectRoundTrip(Panned(gradient, 1), &gradient, "pan", EncodeGoal::kSmallest);
  EXPECT_LT(pan, LiteralSize(gradient));

  const Picture noise = Noise(50, 30, 8);
  ExpectRoundTrip(Noise(50, 30, 9), &noise, "noise over noise");
  ExpectRoundTrip(Shapes(50, 30), &noise, "shapes over noise");

  // Odd widths: literal and copied rows leave the last column alone, so they only fit rows
  // whose last pixel stays; here it changes in every other row.
  const Picture oddBefore = Shapes(81, 40);
  Picture oddAfter = oddBefore;
  for (int y = 0; y < oddAfter.height; y += 2) oddAfter.at(80, y) ^= 0x55;
  for (int y = 10; y < 20; ++y) oddAfter.at(3, y) = 1;
  ExpectRoundTrip(oddAfter, &oddBefore, "odd width, last column");
  const Picture column = Gradient(1, 20, 10);
  ExpectRoundTrip(Gradient(1, 20, 11), &column, "one column");
  const Picture row = Noise(33, 1, 12);
  ExpectRoundTrip(Panned(row, 1), &row, "one row");
}

TEST(FrameEncoderTest, UnchangedPicturesCostOneBytePerRow) {
  for (const Picture& picture : {Noise(64, 48, 13), Shapes(81, 7), Picture(0, 3)}) {
    const std::size_t size = ExpectRoundTrip(picture, &picture, "unchanged");
    EXPECT_EQ(size, kFrameHeaderSize + static_cast<std::size_t>(picture.height));
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
  for (int y = 0; y < spotted.height; ++y) {
    for (int x = 20; x < 30; ++x) spotted.at(x, y) = 77;
  }
  EXPECT_LE(ExpectRoundTrip(spotted, nullptr, "spotted noise", EncodeGoal::kSmallest),
            kFrameHeaderSize + 8 * 60);
  // A key frame with an odd width cannot use literal rows; it stays within the few bytes of
  // sub-operation headers of them.
  const Picture odd = Noise(301, 6, 27);
  EXPECT_LE(Encode(odd).size(), LiteralSize(odd) + 6 * 4);
}

TEST(FrameEncoderTest, CompressesTypicalPictures) {
  const Picture shapes = Shapes(320, 240);
  const std::size_t raw = shapes.pixels.size();
  EXPECT_LT(Encode(shapes).size() * 4, raw);
  const Picture moved = WithBlock(shapes, 100, 100);
  EXPECT_LT(Encode(moved, &shapes).size() * 50, raw);
  const Picture gradient = Gradient(320, 240, 30);
  EXPECT_LT(Encode(gradient, nullptr, EncodeGoal::kSmallest).size() * 2, raw);
}

// By default a texture of small deltas, which bit runs code in a few bits a pixel but decode
// slowly, goes literal; the smallest record codes it in bit runs. Flat art is small either way.
TEST(FrameEncoderTest, BalancedFramesTradeBytesForDecodingSpeed) {
  const Picture gradient = Gradient(320, 240, 31);
  const std::size_t balanced = ExpectRoundTrip(gradient, nullptr, "balanced gradient");
  const std::size_t smallest =
      ExpectRoundTrip(gradient, nullptr, "smallest gradient", EncodeGoal::kSmallest);
  EXPECT_LT(smallest * 2, balanced);
  EXPECT_LE(balanced, LiteralSize(gradient));
  const Picture shapes = Shapes(320, 240);
  EXPECT_LT(Encode(shapes).size() * 4, shapes.pixels.size());
  EXPECT_LE(Encode(shapes, nullptr, EncodeGoal::kSmallest).size(), Encode(shapes).size());
}

TEST(FrameEncoderTest, RefusesPicturesThatDoNotFitARecord) {
  const Bytes pixels(12);
  const FramePixels tooWide{40000, 0, {}};
  EXPECT_FALSE(EncodeFrame(tooWide).ok());
  const FramePixels negative{-1, 2, {}};
  EXPECT_FALSE(EncodeFrame(negative).ok());
  const FramePixels mismatched{5, 2, pixels};
  auto wrong = EncodeFrame(mismatched);
  ASSERT_FALSE(wrong.ok());
  EXPECT_EQ(wrong.error(), "the picture has 12 pixels, not width x height");
  const FramePixels picture{4, 3, pixels};
  const FramePixels other{3, 4, pixels};
  EXPECT_FALSE(EncodeFrame(picture, &other).ok());
}

// Small pictures of few colours with runs, repeats and dither, and previous pictures that
// differ from them here and there: every kind of sub-operation gets used, at every position.
TEST(FrameEncoderTest, RandomStructuredPicturesRoundTrip) {
  std::mt19937 random(40);
  auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
  for (int trial = 0; trial < 300; ++trial) {
    Picture picture(1 + pick(70), 1 + pick(9));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
      const int choice = pick(6);
      if (i > 0 && choice < 2) {
        picture.pixels[i] = picture.pixels[i - 1];
      } else if (i >= 4 && choice == 2) {
        picture.pixels[i] = picture.pixels[i - 2 - pick(3)];
      } else if (i >= static_cast<std::size_t>(picture.width) && choice == 3) {
        picture.pixels[i] =
            static_cast<std::uint8_t>(picture.pixels[i - picture.width] + pick(5) - 2);
      } else {
        picture.pixels[i] = static_cast<std::uint8_t>(pick(4) * 60 + pick(2));
      }
    }
    Picture previous = picture;
    for (std::uint8_t& pixel : previous.pixels) {
      if (pick(4) == 0) pixel = static_cast<std::uint8_t>(pick(256));
    }
    const std::string what = "trial " + std::to_string(trial);
    for (EncodeGoal goal : {EncodeGoal::kBalanced, EncodeGoal::kSmallest}) {
      ExpectRoundTrip(picture, nullptr, what + " key", goal);
      ExpectRoundTrip(picture, &previous, what + " difference", goal);
    }
  }
}

}  // namespace
}  // namespace lw::titlekit
