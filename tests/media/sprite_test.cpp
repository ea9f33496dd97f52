#include "media/sprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/sprite_encoder.h"
#include "common/byte_io.h"
#include "media/row_scaler.h"
#include "support/common_pictures.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A tiny encoder: row codes and picture records built by hand.
Bytes Copy(int n) { return {static_cast<std::uint8_t>(n << 2 | 0)}; }
Bytes Skip(int n) { return {static_cast<std::uint8_t>(n << 2 | 1)}; }
Bytes Fill(int n, std::uint8_t value) { return {static_cast<std::uint8_t>(n << 2 | 2), value}; }
Bytes Lit(Bytes values) {
  values.insert(values.begin(), static_cast<std::uint8_t>(values.size() << 2 | 3));
  return values;
}
Bytes Row(std::initializer_list<Bytes> codes) {
  Bytes row;
  for (const Bytes& code : codes) row.insert(row.end(), code.begin(), code.end());
  return row;
}
Bytes Picture(int width, int hotV, int hotH, const std::vector<Bytes>& rows) {
  ByteWriter out;
  for (int field : {static_cast<int>(rows.size()), width, hotV, hotH})
    out.i16(static_cast<std::int16_t>(field));
  for (const Bytes& row : rows) {
    out.i16(static_cast<std::int16_t>(row.size()));
    out.bytes(row);
  }
  return out.take();
}
Bytes Cut(Bytes bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}
Point At(int v, int h) { return {static_cast<std::int16_t>(v), static_cast<std::int16_t>(h)}; }

constexpr std::int16_t kLogic = 110;
constexpr int kSlack = 64;
constexpr std::uint8_t kGuard = 0xEE;
constexpr int kWidth = 8;
constexpr int kHeight = 6;
constexpr int kTextRow = kWidth + 1;  // a row of Canvas::Text with its '|'
constexpr Rect kWhole{0, 0, kHeight, kWidth};

// An 8 x 6 bitmap of background 0 with guard bytes around it, drawn as text: '.' is 0, other
// values are hex digits. Rows may run upward in memory.
struct Canvas {
  explicit Canvas(bool upward = false, std::uint8_t fill = 0)
      : memory(kSlack * 2 + kWidth * kHeight, kGuard) {
    std::fill(memory.begin() + kSlack, memory.end() - kSlack, fill);
    view = {memory, kSlack + (upward ? kWidth * (kHeight - 1) : 0), upward ? -kWidth : kWidth,
            kWidth, kHeight};
  }
  [[nodiscard]] std::string Text() const {
    std::string text;
    for (int v = 0; v < view.height; ++v) {
      for (int h = 0; h < view.width; ++h) {
        const std::uint8_t p = memory[static_cast<std::size_t>(view.offsetOf(v, h))];
        text += p == 0 ? '.' : "0123456789abcdef"[p & 15];
      }
      text += '|';
    }
    return text;
  }
  [[nodiscard]] bool GuardsIntact() const {
    auto guard = [](std::uint8_t b) { return b == kGuard; };
    return std::all_of(memory.begin(), memory.begin() + kSlack, guard) &&
           std::all_of(memory.end() - kSlack, memory.end(), guard);
  }
  std::vector<std::uint8_t> memory;
  BitmapView view;
};

// A drawing on a blank canvas cut to `clip`: background outside it.
std::string CutToClip(std::string text, Rect clip) {
  for (int v = 0; v < kHeight; ++v) {
    for (int h = 0; h < kWidth; ++h)
      if (!clip.contains(At(v, h))) text[static_cast<std::size_t>(v * kTextRow + h)] = '.';
  }
  return text;
}

// 3 x 4 picture, hot spot (1, 1): literals, runs, a skip and copies of the row above.
const Bytes kFigure = Picture(4, 1, 1,
                              {Row({Lit({1, 2}), Fill(2, 3)}), Row({Skip(1), Copy(2), Lit({4})}),
                               Row({Copy(1), Fill(1, 5), Lit({6, 7})})});

std::string Draw(const Bytes& picture, Point anchor, Rect clip, bool mirrored,
                 std::int16_t expectedSite = 0, bool upward = false) {
  Canvas canvas(upward);
  FatalSite site = DrawSprite(picture, anchor, canvas.view, clip, mirrored);
  EXPECT_EQ(site.errorLine, expectedSite);
  EXPECT_EQ(site.programCode, site.failed() ? kLogic : 0);
  EXPECT_TRUE(canvas.GuardsIntact());
  return canvas.Text();
}

TEST(SpriteHeader, ReadsFieldsAndRejectsWhatCannotBeAPicture) {
  auto picture = ReadSpritePicture(Picture(512, -3, 7, {Row({Fill(63, 1)})}));
  ASSERT_TRUE(picture.ok());
  EXPECT_EQ((std::vector<int>{picture->rows, picture->width, picture->hotV, picture->hotH}),
            (std::vector<int>{1, 512, -3, 7}));
  EXPECT_EQ(picture->rowData.size(), 4u);
  for (const Bytes& bad : {Picture(513, 0, 0, {}), Picture(-1, 0, 0, {}),
                           Bytes{0xFF, 0xFF, 1, 0, 0, 0, 0, 0}, Bytes(7, 0)}) {
    auto read = ReadSpritePicture(bad);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().errorLine, 511);
    EXPECT_EQ(read.error().programCode, kLogic);
  }
}

TEST(DrawSprite, PlacesHotSpotMirrorsKeepsTransparencyAndClipsOnEverySide) {
  // Row 1 copies row 0 where it is opaque; its skip keeps the background.
  const std::string plain = "........|..1233..|...234..|...567..|........|........|";
  // Upward rows: row 1 lies above row 0 in memory and copies still take the previous row.
  EXPECT_EQ(Draw(kFigure, {2, 3}, kWhole, false, 0, true), plain);
  // Mirrored, hot spot h is measured from the right edge: left = 3 - (4 - 1).
  const std::string mirrored = "........|3321....|432.....|765.....|........|........|";
  // Clips from above and from the left, with copies in the first row shown, are checked over
  // many pictures by the sprite encoder's tests; these cut the far sides too, and the last takes
  // in the whole canvas.
  for (Rect clip : {Rect{0, 0, 3, 8}, Rect{0, 0, 6, 4}, Rect{3, 2, 4, 5}, Rect{-9, -9, 99, 99}}) {
    EXPECT_EQ(Draw(kFigure, {2, 3}, clip, false), CutToClip(plain, clip)) << clip.top << clip.left;
    EXPECT_EQ(Draw(kFigure, {2, 3}, clip, true), CutToClip(mirrored, clip))
        << clip.top << clip.left;
  }
  // Copies in the picture's first row have no row above to copy: they leave the background.
  Canvas canvas(false, 9);
  EXPECT_FALSE(
      DrawSprite(Picture(3, 0, 0, {Row({Copy(2), Lit({1})})}), {1, 1}, canvas.view, kWhole, false)
          .failed());
  EXPECT_EQ(canvas.Text().substr(kTextRow, kTextRow), "99919999|");
}

TEST(DrawSprite, MalformedRowsStopWithSite518AndStayInBounds) {
  // Picture row 1 is bad; row 0 stays drawn, row 2 is never reached.
  const Bytes good = Row({Fill(4, 1)});
  Bytes missingRow = Picture(4, 0, 0, {good});
  missingRow[0] = 3;  // three rows claimed, one present
  auto bad = [&](Bytes row) { return Picture(4, 0, 0, {good, row, good}); };
  for (const Bytes& picture : {Cut(Picture(4, 0, 0, {good, Row({Fill(4, 2)})}), 1), missingRow,
                               bad(Row({Lit({1, 2, 3, 4, 5})})), bad(Row({Fill(3, 2)})),
                               bad(Bytes{4 << 2 | 2}), bad(Bytes{4 << 2 | 3, 1, 2})}) {
    const std::string text = Draw(picture, {1, 1}, kWhole, false, 518);
    EXPECT_EQ(text.substr(0, 2 * kTextRow) + text.substr(3 * kTextRow),
              "........|.1111...|........|........|........|");
  }
  // Rows below the clip and codes past the clip's far edge are never decoded.
  Draw(missingRow, {0, 0}, Rect{0, 0, 1, 8}, false);
  const Bytes overrun = Picture(4, 0, 0, {Row({Fill(2, 1), Fill(9, 1)})});
  Draw(overrun, {0, 0}, Rect{0, 0, 6, 2}, false);
  Draw(overrun, {0, 0}, Rect{0, 2, 6, 8}, true);
}

// Random artwork from the encoder drawn at random sizes, mirrored or not and clipped, against
// the picture itself: output pixel i of a length d scaled from s shows source pixel i x s / d,
// counted from the far end when mirrored (3 to 5 mirrored: 2 1 1 0 0), and transparent pixels
// leave the background; the hit test finds exactly the pixels the picture shows, unclipped.
TEST(DrawSpriteScaled, EveryPixelAndHitShowsTheSourcePixelItScalesFrom) {
  std::mt19937 random(11);
  const auto pick = [&](int below) { return static_cast<int>(random() % unsigned(below)); };
  for (int trial = 0; trial < 300; ++trial) {
    const test::Picture p = test::RandomArtwork(random);
    const Bytes record =
        authoring::EncodeSprite({p.width, p.height, p.pixels, {}, std::uint8_t{0}}).value();
    // Whole multiples of the width, where every source pixel repeats alike, and other lengths.
    const int columns = pick(3) == 0 ? p.width * (1 + pick(16)) : 1 + pick(3 * p.width);
    const SpriteSize size{static_cast<std::int16_t>(1 + pick(3 * p.height)),
                          static_cast<std::int16_t>(std::min(columns, kMaxScaledLength - 1))};
    const bool mirrored = pick(2) == 1;
    const int top = pick(4), left = pick(8), width = size.columns + 12, height = size.rows + 6;
    const Rect clip{static_cast<std::int16_t>(pick(height)), static_cast<std::int16_t>(pick(width)),
                    static_cast<std::int16_t>(height - pick(4)),
                    static_cast<std::int16_t>(width - pick(8))};
    const test::Picture background = test::Noise(width, height, trial);
    Bytes canvas = background.pixels;
    const Point anchor = At(top, left + (mirrored ? size.columns : 0));  // hot spot (0, 0)
    ASSERT_FALSE(
        DrawSpriteScaled(record, anchor, {canvas, 0, width, width, height}, clip, mirrored, size)
            .failed());
    int wrongPixels = 0, wrongHits = 0;
    for (int v = 0; v < height; ++v) {
      for (int h = 0; h < width; ++h) {
        const int i = h - left, row = (v - top) * p.height / size.rows;
        const bool onPicture = v >= top && v < top + size.rows && i >= 0 && i < size.columns;
        const int column = (mirrored ? size.columns - 1 - i : i) * p.width / size.columns;
        const bool shown = onPicture && clip.contains(At(v, h)) && p.at(column, row) != 0;
        wrongPixels += canvas[v * width + h] != (shown ? p.at(column, row) : background.at(h, v));
        auto hit = SpriteCovers(record, anchor, mirrored, &size, At(v, h));
        wrongHits += !hit.ok() || *hit != (onPicture && p.at(column, row) != 0);
      }
    }
    EXPECT_EQ(wrongPixels, 0) << "trial " << trial;
    EXPECT_EQ(wrongHits, 0) << "trial " << trial;
  }
}

TEST(DrawSpriteScaled, EmptySizesDrawNothingAndBadSizesOrRowsStop) {
  const Bytes tall = Picture(3, 0, 0, {Row({Lit({1, 2, 3})}), Row({Fill(3, 7)})});
  Canvas canvas;
  EXPECT_FALSE(DrawSpriteScaled(tall, {0, 0}, canvas.view, kWhole, false, {0, 5}).failed());
  EXPECT_EQ(canvas.Text(), Canvas().Text());
  EXPECT_EQ(DrawSpriteScaled(tall, {0, 0}, canvas.view, kWhole, false, {2, 2048}).errorLine, 514);
  EXPECT_EQ(DrawSpriteScaled(Cut(tall, 1), {0, 0}, canvas.view, kWhole, false, {4, 3}).errorLine,
            515);
  EXPECT_TRUE(canvas.GuardsIntact());
}

}  // namespace
}  // namespace lw
