#include "media/sprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "common/byte_io.h"
#include "media/row_scaler.h"

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
  EXPECT_EQ(Draw(kFigure, {2, 3}, kWhole, false), plain);
  // Upward rows: row 1 lies above row 0 in memory and copies still take the previous row.
  EXPECT_EQ(Draw(kFigure, {2, 3}, kWhole, false, 0, true), plain);
  // Mirrored, hot spot h is measured from the right edge: left = 3 - (4 - 1).
  const std::string mirrored = "........|3321....|432.....|765.....|........|........|";
  EXPECT_EQ(Draw(kFigure, {2, 3}, kWhole, true), mirrored);
  for (Rect clip :
       {Rect{2, 0, 6, 8}, Rect{3, 0, 6, 8}, Rect{4, 0, 6, 8}, Rect{0, 0, 3, 8}, Rect{0, 3, 6, 8},
        Rect{0, 4, 6, 8}, Rect{0, 0, 6, 4}, Rect{3, 2, 4, 5}, Rect{-9, -9, 99, 99}}) {
    EXPECT_EQ(Draw(kFigure, {2, 3}, clip, false), CutToClip(plain, clip)) << clip.top << clip.left;
    EXPECT_EQ(Draw(kFigure, {2, 3}, clip, true), CutToClip(mirrored, clip))
        << clip.top << clip.left;
  }
}

TEST(DrawSprite, FirstDrawnRowCopiesTheScratchRow) {
  // Rows above the clip go to the scratch row; a copy below them takes the last one, with its
  // skipped pixels transparent.
  const Bytes picture =
      Picture(3, 0, 0, {Row({Lit({1, 2, 3})}), Row({Lit({4}), Skip(1), Lit({5})}), Row({Copy(3)})});
  EXPECT_EQ(Draw(picture, {0, 0}, Rect{2, 0, 6, 8}, false),
            "........|........|4.5.....|........|........|........|");
  // The picture's first row has no row above it: its copies are transparent.
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

TEST(SpriteHit, OpaqueColumnsFollowTheRunningTotalRule) {
  // W 4, hot (0, 0): columns run lit, skip, skip, copy. Column c is decided by the first code
  // whose running total reaches c: c 1 by the literal, c 3 by the skip. Mirrored, the rectangle
  // moves (left = 10 - 4) but the codes are read unmirrored.
  const Bytes picture = Picture(4, 0, 0, {Row({Lit({1}), Skip(2), Copy(1)})});
  const std::tuple<int, bool, bool> cases[] = {
      {10, false, true},  {11, false, true}, {12, false, false},
      {13, false, false}, {9, false, false}, {14, false, false},
      {6, true, true},    {8, true, false},  {10, true, false}};
  for (const auto& [h, mirrored, hit] : cases) {
    auto result = SpriteHit(picture, {10, 10}, mirrored, At(10, h));
    ASSERT_TRUE(result.ok()) << h;
    EXPECT_EQ(*result, hit) << h << " " << mirrored;
  }
  auto site = [](const Bytes& p, Point point) {
    return SpriteHit(p, {0, 0}, false, point).error().errorLine;
  };
  EXPECT_EQ(site(Cut(Picture(2, 0, 0, {Row({Fill(2, 1)}), Row({Fill(2, 1)})}), 2), {1, 0}), 512);
  EXPECT_EQ(site(Picture(4, 0, 0, {Row({Skip(1), Fill(5, 1)})}), {0, 3}), 513);
  EXPECT_EQ(site(Picture(4, 0, 0, {Row({Skip(1)})}), {0, 3}), 513);
}

TEST(SpriteHitScaled, MapsPointsBackThroughTheDrawnSize) {
  // 2 x 4 picture, hot (1, 2). Row 0 is decided opaque for columns 0 and 1 by the rule above.
  const Bytes picture = Picture(4, 1, 2, {Row({Lit({1}), Skip(2), Lit({2})}), Row({Skip(4)})});
  // Drawn 4 x 8: top 20 - 2, left 20 - 4; column 3 x 4 / 8 = 1 is opaque, row 2 x 2 / 4 = 1 not.
  // Drawn 3 x 6: top 20 - 1 (1.5 rounded towards zero), left 20 - 3; columns 0 1 2 2 3 3 become
  // 0 0 1 2 2 3.
  const std::tuple<SpriteSize, int, int, bool> cases[] = {
      {{4, 8}, 18, 16, true},  {{4, 8}, 19, 19, true},  {{4, 8}, 19, 20, false},
      {{4, 8}, 20, 16, false}, {{4, 8}, 17, 16, false}, {{4, 8}, 22, 16, false},
      {{3, 6}, 19, 18, true},  {{3, 6}, 19, 20, false}, {{3, 6}, 18, 18, false},
      {{0, 8}, 18, 16, false}};
  for (const auto& [size, v, h, hit] : cases) {
    auto result = SpriteHitScaled(picture, {20, 20}, false, size, At(v, h));
    ASSERT_TRUE(result.ok()) << v << "," << h;
    EXPECT_EQ(*result, hit) << size.rows << "x" << size.columns << " " << v << "," << h;
  }
  EXPECT_EQ(SpriteHitScaled(Bytes{}, {0, 0}, false, {1, 2048}, {0, 0}).error().errorLine, 516);
  EXPECT_EQ(SpriteHitScaled(Cut(picture, 2), {20, 20}, false, {4, 8}, {20, 16}).error().errorLine,
            517);
}

TEST(RowScaler, StepsInProportionAndRepeatsWholeMultiples) {
  auto sources = [](int s, int d, bool mirrored) {
    RowScaler scaler(s, d, 0, d, mirrored);
    std::vector<int> out;
    for (int i = 0; i < d; ++i) out.push_back(scaler.SourceOf(i));
    return out;
  };
  EXPECT_EQ(sources(3, 5, false), (std::vector<int>{0, 0, 1, 1, 2}));
  EXPECT_EQ(sources(5, 3, false), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(sources(3, 5, true), (std::vector<int>{2, 1, 1, 0, 0}));
  EXPECT_EQ(sources(2, 6, false), (std::vector<int>{0, 0, 0, 1, 1, 1}));
  // Every size, from a first column past 0, agrees with the division a hit test uses.
  for (int s = 1; s <= 20; ++s) {
    for (int d = 1; d <= 2 * kMaxRepeat * s && d < 80; ++d) {
      RowScaler plain(s, d, 1 % d, d, false);
      RowScaler mirrored(s, d, 1 % d, d, true);
      LineStepper lines(s, d, 1 % d);
      for (int i = 1 % d; i < d; ++i, lines.Next()) {
        ASSERT_EQ(plain.SourceOf(i), i * s / d) << s << "->" << d;
        ASSERT_EQ(mirrored.SourceOf(i), (d - 1 - i) * s / d) << s << "->" << d;
        ASSERT_EQ(lines.source(), i * s / d) << s << "->" << d;
      }
    }
  }
  // Every span of every row, both ways and on both paths, paints what the division picks and
  // leaves the output alone under transparent source pixels.
  const std::uint8_t values[4] = {1, 2, 3, 4};
  const std::uint8_t opaque[4] = {1, 0, 1, 1};
  constexpr std::uint8_t kUnder = 9;
  for (int s = 1; s <= 4; ++s) {
    for (int d = 1; d <= 40; ++d) {
      for (int first = 0; first < d; ++first) {
        for (int end = first + 1; end <= d; ++end) {
          for (bool mirrored : {false, true}) {
            Bytes out(static_cast<std::size_t>(end - first), kUnder);
            RowScaler(s, d, first, end, mirrored).ScaleRow(values, opaque, out.data());
            for (int i = first; i < end; ++i) {
              const int source = (mirrored ? d - 1 - i : i) * s / d;
              ASSERT_EQ(out[static_cast<std::size_t>(i - first)],
                        opaque[source] != 0 ? values[source] : kUnder)
                  << s << "->" << d << " [" << first << "," << end << ") " << mirrored;
            }
          }
        }
      }
    }
  }
}

TEST(DrawSpriteScaled, ScalesRowsAndColumnsAndClipsLikeTheWholeDrawing) {
  auto draw = [](const Bytes& picture, Point anchor, SpriteSize size, Rect clip, bool mirrored,
                 std::int16_t expectedSite = 0) {
    Canvas canvas;
    EXPECT_EQ(DrawSpriteScaled(picture, anchor, canvas.view, clip, mirrored, size).errorLine,
              expectedSite);
    EXPECT_TRUE(canvas.GuardsIntact());
    return canvas.Text();
  };
  const Bytes tall = Picture(
      3, 0, 0, {Row({Lit({1, 2, 3})}), Row({Lit({4, 5, 6})}), Row({Copy(3)}), Row({Fill(3, 7)})});
  for (bool mirrored : {false, true}) {
    // At its own size a picture draws as DrawSprite does.
    EXPECT_EQ(draw(kFigure, {2, 3}, {3, 4}, kWhole, mirrored),
              Draw(kFigure, {2, 3}, kWhole, mirrored));
    // A clipped drawing is the whole drawing cut to the clip.
    const Rect clip{2, 2, 5, 6};
    EXPECT_EQ(draw(tall, {1, 4}, {5, 7}, clip, mirrored),
              CutToClip(draw(tall, {1, 4}, {5, 7}, kWhole, mirrored), clip));
  }
  // Doubled: 2 x 2 picture with a transparent pixel, hot (1, 1) -> drawn hot spot (2, 2).
  const Bytes small = Picture(2, 1, 1, {Row({Lit({1, 2})}), Row({Skip(1), Lit({3})})});
  EXPECT_EQ(draw(small, {3, 3}, {4, 4}, kWhole, false),
            "........|.1122...|.1122...|...33...|...33...|........|");
  // Halved rows: skipped source rows are still decoded for the copies below them. Three
  // columns to five: source columns 0 0 1 1 2.
  EXPECT_EQ(draw(tall, {0, 0}, {2, 5}, kWhole, false),
            "11223...|44556...|........|........|........|........|");
  EXPECT_EQ(draw(tall, {0, 0}, {0, 5}, kWhole, false), Canvas().Text());
  draw(tall, {0, 0}, {2, 2048}, kWhole, false, 514);
  draw(Picture(3, 0, 0, {Row({Lit({1, 2, 3})}), Row({Fill(2, 1)})}), {0, 0}, {4, 3}, kWhole, false,
       515);
}

}  // namespace
}  // namespace lw
