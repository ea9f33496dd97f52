#include "resources/program_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "shell/drawing/colour_table.h"

namespace lw {
namespace {

using Pixel = platform::CursorImage::Pixel;

std::span<const std::uint8_t> Raw(std::string_view name) {
  const auto bytes = FindRawResource(name);
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes.value_or(std::span<const std::uint8_t>());
}

ColourTable Clut(std::string_view name) {
  auto decoded = DecodeColourTable16(Raw(name));
  EXPECT_TRUE(decoded.ok()) << name;
  return decoded.ok() ? decoded.value() : ColourTable{};
}

TEST(ProgramResourcesTest, NamesAreUpperCaseAndLookupsExact) {
  EXPECT_EQ(NamedResourceName("clut", "System"), "CLUT.SYSTEM");
  EXPECT_EQ(NamedResourceName("CURS", "arrow"), "CURS.ARROW");
  EXPECT_EQ(NumberedResourceName("CURS", 2002), "CURS2002");
  EXPECT_EQ(NumberedResourceName("curs", -7), "CURS-7");

  EXPECT_TRUE(FindRawResource(NamedResourceName("clut", "black")).has_value());
  EXPECT_FALSE(FindRawResource("clut.black").has_value());
  EXPECT_FALSE(FindRawResource("CLUT.BLAC").has_value());
  EXPECT_FALSE(FindRawResource("TRIG3").has_value());
  EXPECT_NE(FindCursorResource(NumberedResourceName("curs", 2002)), nullptr);
  EXPECT_EQ(FindCursorResource("curs.arrow"), nullptr);
  EXPECT_EQ(FindCursorResource("CURS.ARROWS"), nullptr);
  EXPECT_EQ(FindCursorResource("CURS2003"), nullptr);
  EXPECT_FALSE(StringTableText(-1).has_value());
  EXPECT_FALSE(StringTableText(1156).has_value());
}

TEST(ProgramResourcesTest, SystemPaletteIsTheColourCubeThenRampsThenBlack) {
  const std::span<const std::uint8_t> bytes = Raw("CLUT.SYSTEM");
  ASSERT_EQ(bytes.size(), kColourTableBytes);
  const ColourTable table = Clut("CLUT.SYSTEM");
  EXPECT_EQ(table.seed, 8u);
  EXPECT_EQ(table.flags, 0);

  // The cube: red slowest, blue fastest, each channel from 0xFFFF down in steps of 0x3333.
  constexpr int kLevels = 6;
  constexpr std::uint16_t kStep = 0x3333;
  const auto level = [](int i) { return static_cast<std::uint16_t>(0xFFFF - i * kStep); };
  for (int r = 0; r < kLevels; ++r) {
    for (int g = 0; g < kLevels; ++g) {
      for (int b = 0; b < kLevels; ++b) {
        const int index = (r * kLevels + g) * kLevels + b;
        if (index == 215) continue;  // the cube's black is left out
        EXPECT_EQ(table.entries[index], (Rgb16{level(r), level(g), level(b)})) << index;
      }
    }
  }
  EXPECT_EQ(table.entries[0], (Rgb16{0xFFFF, 0xFFFF, 0xFFFF}));
  EXPECT_EQ(table.entries[5], (Rgb16{0xFFFF, 0xFFFF, 0}));
  EXPECT_EQ(table.entries[214], (Rgb16{0, 0, 0x3333}));

  // Ramps of ten: reds, greens, blues, greys, skipping the cube's multiples of 0x3333.
  const std::vector<std::uint16_t> ramp = {0xEEEE, 0xDDDD, 0xBBBB, 0xAAAA, 0x8888,
                                           0x7777, 0x5555, 0x4444, 0x2222, 0x1111};
  for (std::size_t i = 0; i < ramp.size(); ++i) {
    EXPECT_EQ(table.entries[215 + i], (Rgb16{ramp[i], 0, 0})) << i;
    EXPECT_EQ(table.entries[225 + i], (Rgb16{0, ramp[i], 0})) << i;
    EXPECT_EQ(table.entries[235 + i], (Rgb16{0, 0, ramp[i]})) << i;
    EXPECT_EQ(table.entries[245 + i], (Rgb16{ramp[i], ramp[i], ramp[i]})) << i;
  }
  EXPECT_EQ(table.entries[255], (Rgb16{0, 0, 0}));

  // Stored index fields equal the entry's position; the 8-bit form keeps the high bytes.
  for (std::size_t i = 0; i < kPaletteEntries; ++i)
    EXPECT_EQ(bytes[8 + i * 8] | bytes[9 + i * 8] << 8, static_cast<int>(i));
  const auto palette = DecodeColourTable(bytes);
  ASSERT_TRUE(palette.ok()) << palette.error();
  EXPECT_EQ(palette.value()[231], (Rgb{0, 0x55, 0}));
}

TEST(ProgramResourcesTest, BlackPaletteIsWhiteAtZeroAndBlackElsewhere) {
  ASSERT_EQ(Raw("CLUT.BLACK").size(), kColourTableBytes);
  const ColourTable table = Clut("CLUT.BLACK");
  EXPECT_EQ(table.seed, 0u);
  EXPECT_EQ(table.flags, 0);
  EXPECT_EQ(table.entries[0], (Rgb16{0xFFFF, 0xFFFF, 0xFFFF}));
  for (std::size_t i = 1; i < kPaletteEntries; ++i) EXPECT_EQ(table.entries[i], Rgb16{}) << i;
}

// 16384 x sin or cos of direction a, rounded to the nearest, except where the table says not.
void CheckTrigTable(std::string_view name, double (*function)(double),
                    const std::map<int, int>& exceptions) {
  const std::span<const std::uint8_t> bytes = Raw(name);
  ASSERT_EQ(bytes.size(), 512u) << name;
  for (int a = 0; a < 256; ++a) {
    const auto value = static_cast<std::int16_t>(bytes[a * 2] | bytes[a * 2 + 1] << 8);
    const long rounded = std::lround(16384.0 * function(2.0 * std::numbers::pi * a / 256.0));
    const auto exception = exceptions.find(a);
    if (exception == exceptions.end()) {
      EXPECT_EQ(value, rounded) << name << " " << a;
    } else {
      EXPECT_EQ(value, exception->second) << name << " " << a;
      EXPECT_EQ(std::abs(value - rounded), 1) << name << " " << a;  // a rounding difference
    }
  }
}

TEST(ProgramResourcesTest, TrigTablesFollowTheRuleExceptForTheirListedEntries) {
  CheckTrigTable("TRIG1", [](double x) { return std::sin(x); },
                 {{43, 14255},
                  {111, 6640},
                  {143, -5896},
                  {171, -14255},
                  {180, -15678},
                  {181, -15790},
                  {232, -9103},
                  {239, -6640}});
  CheckTrigTable("TRIG2", [](double x) { return std::cos(x); },
                 {{79, -5896},
                  {107, -14255},
                  {116, -15678},
                  {117, -15790},
                  {168, -9103},
                  {175, -6640},
                  {207, 5896},
                  {235, 14255},
                  {244, 15678},
                  {245, 15790}});
}

TEST(ProgramResourcesTest, EveryCursorIsAVisiblePictureWithItsHotSpotOnIt) {
  const std::vector<std::string> names = {"ARROW", "FIST",  "GOLEFT", "GORIGHT", "GOSTRAIT",
                                          "HAND",  "SIGHT", "TOUCH",  "WATCH"};
  std::vector<const platform::CursorImage*> cursors;
  for (const std::string& name : names) cursors.push_back(FindCursorResource("CURS." + name));
  cursors.push_back(FindCursorResource("CURS2002"));
  std::set<std::vector<Pixel>> pictures;
  for (std::size_t i = 0; i < cursors.size(); ++i) {
    const platform::CursorImage* cursor = cursors[i];
    ASSERT_NE(cursor, nullptr) << i;
    SCOPED_TRACE(i < names.size() ? names[i] : "2002");
    EXPECT_GE(cursor->width, 16);
    EXPECT_LE(cursor->width, 32);
    EXPECT_GE(cursor->height, 16);
    EXPECT_LE(cursor->height, 32);
    ASSERT_EQ(cursor->pixels.size(), static_cast<std::size_t>(cursor->width * cursor->height));
    ASSERT_TRUE(cursor->hotSpot.v >= 0 && cursor->hotSpot.v < cursor->height);
    ASSERT_TRUE(cursor->hotSpot.h >= 0 && cursor->hotSpot.h < cursor->width);
    // Clicks land on the drawn picture, which shows on dark and light backgrounds alike.
    const Pixel hot = cursor->pixels[cursor->hotSpot.v * cursor->width + cursor->hotSpot.h];
    EXPECT_NE(hot, Pixel::kTransparent);
    EXPECT_NE(std::find(cursor->pixels.begin(), cursor->pixels.end(), Pixel::kBlack),
              cursor->pixels.end());
    EXPECT_NE(std::find(cursor->pixels.begin(), cursor->pixels.end(), Pixel::kWhite),
              cursor->pixels.end());
    pictures.insert(cursor->pixels);
    EXPECT_EQ(FindCursorResource(i < names.size() ? "CURS." + names[i] : "CURS2002"), cursor);
  }
  EXPECT_EQ(pictures.size(), cursors.size());  // no two cursors alike
}

TEST(ProgramResourcesTest, IconIsOpaqueOrTransparentRgba) {
  const std::span<const std::uint8_t> icon = ProgramIconRgba();
  ASSERT_EQ(icon.size(), 32u * 32u * 4u);
  int opaque = 0;
  std::set<std::uint32_t> colours;
  for (std::size_t i = 0; i < icon.size(); i += 4) {
    const std::uint8_t alpha = icon[i + 3];
    ASSERT_TRUE(alpha == 0 || alpha == 0xFF) << i / 4;
    if (alpha == 0) {
      EXPECT_EQ(icon[i] | icon[i + 1] | icon[i + 2], 0) << i / 4;
      continue;
    }
    ++opaque;
    colours.insert(icon[i] << 16 | icon[i + 1] << 8 | icon[i + 2]);
  }
  EXPECT_EQ(icon[3], 0);  // the corners are see-through
  EXPECT_GT(opaque, 32 * 32 / 2);
  EXPECT_GE(colours.size(), 4u);
}

TEST(ProgramResourcesTest, StringTableHoldsEveryTextOnceWithThePlaceholderForTheTitle) {
  std::vector<int> ids = {0, 1};
  for (int id = 100; id <= 182; ++id) ids.push_back(id);
  for (int id = 1101; id <= 1155; ++id) ids.push_back(id);
  for (int id : ids) {
    const auto text = StringTableText(id);
    ASSERT_TRUE(text.has_value()) << id;
    EXPECT_FALSE(text->empty()) << id;
    // The title's name is never written into a text; the placeholder stands for it.
    EXPECT_EQ(text->find("Moss"), std::string_view::npos) << id;
    EXPECT_EQ(text->find("MOSS"), std::string_view::npos) << id;
  }
  EXPECT_EQ(StringTableText(0), "{title}");
  EXPECT_EQ(StringTableText(1), "0");
  EXPECT_FALSE(StringTableText(99).has_value());
  EXPECT_FALSE(StringTableText(183).has_value());
  EXPECT_FALSE(StringTableText(1100).has_value());

  // Spaces at either end and escapes survive the source format.
  EXPECT_EQ(StringTableText(101), " [paused]");
  EXPECT_TRUE(StringTableText(106)->ends_with("resolution.  "));
  EXPECT_TRUE(StringTableText(113)->ends_with("settings "));
  EXPECT_EQ(StringTableText(1124), "Expected end quote '\"'.");
  EXPECT_EQ(StringTableText(1127), "Expected return '\\r'.");
  // A continued line joins without losing or doubling spaces.
  EXPECT_EQ(StringTableText(164),
            "Disk full.  There is no free space on the disk.  Delete unneeded files and try "
            "again (Error line %d, code %ld)");
}

}  // namespace
}  // namespace lw
