#include "authoring/sprite_encoder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "media/sprite.h"
#include "platform/png_image.h"

namespace lw::titlekit {
namespace {

using namespace lw::authoring;

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kClear = 0;  // the transparent index of the test pictures
constexpr std::size_t kRowHeader = 2;
constexpr std::int32_t kMargin = 5;  // background drawn around the picture

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  Bytes pixels;  // rows top to bottom
};

// Reproducible noise from a 32-bit LCG.
Bytes Noise(std::size_t count, std::uint32_t seed) {
  Bytes bytes(count);
  for (std::uint8_t& b : bytes)
    b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
  return bytes;
}

Picture Make(std::int32_t width, std::int32_t height, auto pixel) {
  Picture picture{width, height, {}};
  for (std::int32_t v = 0; v < height; ++v) {
    for (std::int32_t h = 0; h < width; ++h) picture.pixels.push_back(pixel(v, h));
  }
  return picture;
}

// A shaded disc with transparency around it.
Picture Circle(std::int32_t size) {
  const std::int32_t r = size / 2;
  return Make(size, size, [r](std::int32_t v, std::int32_t h) {
    return (v - r) * (v - r) + (h - r) * (h - r) <= r * r
               ? static_cast<std::uint8_t>(1 + (v + h) / 4)
               : kClear;
  });
}

// Vertical stripes: every row repeats the one above.
Picture Stripes(std::int32_t width, std::int32_t height) {
  return Make(width, height,
              [](std::int32_t, std::int32_t h) { return std::uint8_t(1 + h / 3 % 5); });
}

Picture NoisePicture(std::int32_t width, std::int32_t height, std::uint32_t seed) {
  return {width, height, Noise(static_cast<std::size_t>(width * height), seed)};
}

Bytes Encode(const Picture& p, Point hot = {}, std::optional<std::uint8_t> clear = kClear) {
  auto record = EncodeSprite({p.width, p.height, p.pixels, hot, clear});
  EXPECT_TRUE(record.ok()) << record.error();
  return record.ok() ? std::move(record).value() : Bytes{};
}

// Draws the record over noise with the picture's top-left at (kMargin, kMargin), cut to a clip
// from (clipTop, clipLeft) on, and counts the pixels that are not the picture's opaque pixel
// (mirrored when asked) where it lies inside the clip, or the background everywhere else.
int WrongPixels(const Bytes& record, const Picture& p, Point hot, bool mirrored, std::uint32_t seed,
                std::int16_t clipTop = 0, std::int16_t clipLeft = 0) {
  const std::int32_t width = p.width + 2 * kMargin;
  const std::int32_t height = p.height + 2 * kMargin;
  const Bytes background = Noise(static_cast<std::size_t>(width * height), seed);
  Bytes canvas = background;
  const Point anchor{static_cast<std::int16_t>(kMargin + hot.v),
                     static_cast<std::int16_t>(kMargin + (mirrored ? p.width - hot.h : hot.h))};
  const Rect clip{clipTop, clipLeft, static_cast<std::int16_t>(height),
                  static_cast<std::int16_t>(width)};
  EXPECT_FALSE(
      DrawSprite(record, anchor, {canvas, 0, width, width, height}, clip, mirrored).failed());
  int wrong = 0;
  for (std::int32_t v = 0; v < height; ++v) {
    for (std::int32_t h = 0; h < width; ++h) {
      const std::int32_t pv = v - kMargin;
      const std::int32_t ph = mirrored ? p.width - 1 - (h - kMargin) : h - kMargin;
      const bool inside =
          v >= clipTop && h >= clipLeft && pv >= 0 && pv < p.height && ph >= 0 && ph < p.width;
      const std::uint8_t pixel = inside ? p.pixels[pv * p.width + ph] : kClear;
      const std::size_t at = static_cast<std::size_t>(v * width + h);
      wrong += canvas[at] != (inside && pixel != kClear ? pixel : background[at]);
    }
  }
  return wrong;
}

// Hit tests every pixel of the placed picture: column c is decided by the code that covers
// picture column c - 1 (column 0 by the first code), the row code read unmirrored either way.
void ExpectHitsAgree(const Bytes& record, const Picture& p, Point hot, bool mirrored) {
  const Point anchor{100, 200};
  const std::int32_t top = anchor.v - hot.v;
  const std::int32_t left = anchor.h - (mirrored ? p.width - hot.h : hot.h);
  for (std::int32_t v = 0; v < p.height; ++v) {
    for (std::int32_t h = 0; h < p.width; ++h) {
      const auto hit =
          SpriteHit(record, anchor, mirrored,
                    {static_cast<std::int16_t>(top + v), static_cast<std::int16_t>(left + h)});
      ASSERT_TRUE(hit.ok());
      ASSERT_EQ(hit.value(), p.pixels[v * p.width + std::max(h - 1, 0)] != kClear) << v << "," << h;
    }
  }
}

// Size of the row code of a one-row picture.
std::size_t RowCodeBytes(const Bytes& row, std::optional<std::uint8_t> clear = kClear) {
  return Encode({static_cast<std::int32_t>(row.size()), 1, row}, {}, clear).size() -
         kSpriteHeaderSize - kRowHeader;
}

std::size_t OpBytes(std::size_t pixels) { return (pixels + 62) / 63; }  // 63 pixels an op byte

TEST(SpriteEncoderTest, DrawsBackExactlyOverAnyBackgroundPlainMirroredAndClipped) {
  Picture blank = Stripes(30, 12);  // all-transparent rows between and around opaque ones
  for (std::int32_t v : {0, 1, 5, 6, 11}) std::fill_n(blank.pixels.begin() + v * 30, 30, kClear);
  Picture patched = Stripes(40, 10);  // rows that repeat the row above except under holes
  for (std::int32_t v = 0; v < 10; v += 2)
    std::fill_n(patched.pixels.begin() + v * 40 + v, 8, kClear);
  const std::vector<std::pair<std::string, Picture>> pictures = {
      {"circle", Circle(41)},
      {"noise", NoisePicture(70, 20, 7)},
      {"stripes", Stripes(200, 30)},
      {"wide", Stripes(512, 4)},
      {"wide noise", NoisePicture(512, 3, 9)},
      {"narrow", Stripes(1, 9)},
      {"blank rows", blank},
      {"patched", patched}};
  for (const auto& [name, picture] : pictures) {
    SCOPED_TRACE(name);
    const Point hot{static_cast<std::int16_t>(picture.height / 3),
                    static_cast<std::int16_t>(picture.width / 4)};
    const Bytes record = Encode(picture, hot);
    auto header = ReadSpritePicture(record);
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(std::vector<int>({header->rows, header->width, header->hotV, header->hotH}),
              std::vector<int>({picture.height, picture.width, hot.v, hot.h}));
    for (bool mirrored : {false, true}) {
      EXPECT_EQ(WrongPixels(record, picture, hot, mirrored, 1), 0) << mirrored;
      EXPECT_EQ(WrongPixels(record, picture, hot, mirrored, 2), 0) << mirrored;
      // Rows above the clip are decoded off screen; copies in the first visible row still hold.
      EXPECT_EQ(WrongPixels(record, picture, hot, mirrored, 3, kMargin + 2, kMargin + 1), 0);
      ExpectHitsAgree(record, picture, hot, mirrored);
    }
  }
}

TEST(SpriteEncoderTest, RowsTakeTheCheapestCode) {
  EXPECT_EQ(RowCodeBytes(Bytes(200, kClear)), OpBytes(200));
  EXPECT_EQ(RowCodeBytes(Bytes(100, 9)), 2 * OpBytes(100));
  EXPECT_EQ(RowCodeBytes({kClear, kClear, 5, 5, 5, kClear}), 1u + 2u + 1u);
  // Two equal pixels cost less inside a literal; four are worth a run.
  EXPECT_EQ(RowCodeBytes({1, 2, 3, 3, 4, 5}), 1u + 6u);
  EXPECT_EQ(RowCodeBytes({1, 2, 3, 3, 3, 3, 4, 5}), (1u + 2u) + 2u + (1u + 2u));
  EXPECT_EQ(RowCodeBytes(Noise(130, 5), std::nullopt), 130 + OpBytes(130));
  // Rows that repeat the row above are copies (opaque throughout, no transparent index).
  for (std::int32_t width : {40, 100, 512}) {
    const Bytes row = Noise(static_cast<std::size_t>(width), 3);
    Picture picture{width, 50, {}};
    for (int v = 0; v < picture.height; ++v)
      picture.pixels.insert(picture.pixels.end(), row.begin(), row.end());
    EXPECT_EQ(Encode(picture, {}, std::nullopt).size(),
              kSpriteHeaderSize + kRowHeader + RowCodeBytes(row, std::nullopt) +
                  49 * (kRowHeader + OpBytes(static_cast<std::size_t>(width))))
        << width;
  }
  // A copy stops under a hole in the row above: copy, run of the new middle, copy.
  Picture holed = Stripes(30, 2);
  std::fill_n(holed.pixels.begin() + 10, 10, kClear);
  std::fill_n(holed.pixels.begin() + 40, 10, 7);
  EXPECT_EQ(Encode(holed).size(),
            kSpriteHeaderSize + kRowHeader +
                RowCodeBytes({holed.pixels.begin(), holed.pixels.begin() + 30}) + kRowHeader + 4);
  // Without a transparent index every pixel is opaque: as with an index that does not occur.
  const Picture noise = NoisePicture(50, 6, 11);
  std::uint8_t absent = 0;
  while (std::find(noise.pixels.begin(), noise.pixels.end(), absent) != noise.pixels.end())
    ++absent;
  EXPECT_EQ(Encode(noise, {}, std::nullopt), Encode(noise, {}, absent));
}

TEST(SpriteEncoderTest, RefusesPicturesASpriteCannotHold) {
  const Bytes pixels(32768, 1);
  auto wide = EncodeSprite({513, 1, {pixels.data(), 513}, {}, std::nullopt});
  ASSERT_FALSE(wide.ok());
  EXPECT_EQ(wide.error(), "picture is 513 pixels wide; a sprite is at most 512");
  EXPECT_FALSE(EncodeSprite({1, 32768, pixels, {}, std::nullopt}).ok());
  EXPECT_TRUE(EncodeSprite({1, 32767, {pixels.data(), 32767}, {}, std::nullopt}).ok());
  EXPECT_FALSE(EncodeSprite({10, 2, {pixels.data(), 19}, {}, std::nullopt}).ok());
  // A picture without columns still has its rows, each an empty row code.
  auto empty = EncodeSprite({0, 3, {}, {1, 2}, std::nullopt});
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty->size(), kSpriteHeaderSize + 3 * kRowHeader);
}

TEST(SpriteEncoderTest, CommandEncodesPngsAndDecodesThemBack) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("sprite_cmd_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto path = [&dir](const char* name) { return (dir / name).string(); };
  const auto run = [](std::vector<std::string_view> args) { return RunSpriteCommand(args); };
  Picture circle = Circle(41);
  ASSERT_FALSE(WritePng(path("in.png"), {circle.width, circle.height, circle.pixels, {}}));
  ASSERT_EQ(
      run({"encode", path("in.png"), "--hotspot", "20,-3", "--transparent", "0", "-o", path("s")}),
      kExitOk);
  const auto record = ReadWholeFile(path("s"));
  ASSERT_TRUE(record.ok());
  EXPECT_EQ(Bytes(record->begin(), record->end()), Encode(circle, {20, -3}));
  ASSERT_EQ(run({"decode", path("s"), "--background", "9", "-o", path("out.png")}), kExitOk);
  auto back = ReadPng(path("out.png"));
  ASSERT_TRUE(back.ok());
  std::replace(circle.pixels.begin(), circle.pixels.end(), kClear, std::uint8_t{9});
  EXPECT_EQ(back->pixels, circle.pixels);
  EXPECT_EQ(run({"encode", path("in.png"), "-o", path("s")}), kExitUsage);  // no --hotspot
  EXPECT_EQ(run({"decode", path("s"), "--background", "256", "-o", path("x")}), kExitUsage);
  EXPECT_EQ(run({"decode", path("in.png"), "-o", path("x")}), kExitFailure);  // not a sprite
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lw::titlekit
