#include "resources/program_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <string>
#include <utility>
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

TEST(ProgramResourcesTest, NamesAreUpperCaseAndLookupsExact) {
  EXPECT_TRUE(FindRawResource(NamedResourceName("clut", "black")).has_value());
  for (const char* missing : {"clut.black", "CLUT.BLAC", "TRIG3"})
    EXPECT_FALSE(FindRawResource(missing).has_value()) << missing;
  EXPECT_NE(FindCursorResource(NumberedResourceName("curs", 2002)), nullptr);
  for (const char* missing : {"curs.arrow", "CURS.ARROWS", "CURS2003"})
    EXPECT_EQ(FindCursorResource(missing), nullptr) << missing;
}

TEST(ProgramResourcesTest, ThePalettesAreTheColourCubeWithRampsAndAllBlack) {
  // The system palette: the colour cube, red slowest and blue fastest, each channel from 0xFFFF
  // down in steps of 0x3333, without its black; then ramps of ten reds, greens, blues and greys
  // that skip the cube's levels; then black.
  ColourTable system;
  system.seed = 8;
  const auto level = [](int i) { return static_cast<std::uint16_t>(0xFFFF - i * 0x3333); };
  for (int i = 0; i < 215; ++i) system.entries[i] = {level(i / 36), level(i / 6 % 6), level(i % 6)};
  const std::uint16_t ramp[] = {0xEEEE, 0xDDDD, 0xBBBB, 0xAAAA, 0x8888,
                                0x7777, 0x5555, 0x4444, 0x2222, 0x1111};
  for (int i = 0; i < 10; ++i) {
    system.entries[215 + i] = {ramp[i], 0, 0};
    system.entries[225 + i] = {0, ramp[i], 0};
    system.entries[235 + i] = {0, 0, ramp[i]};
    system.entries[245 + i] = {ramp[i], ramp[i], ramp[i]};
  }
  // The black palette is white at 0.
  ColourTable black;
  black.entries[0] = {0xFFFF, 0xFFFF, 0xFFFF};
  for (const auto& [name, expected] : {std::pair{"CLUT.SYSTEM", system}, {"CLUT.BLACK", black}}) {
    const std::span<const std::uint8_t> bytes = Raw(name);
    ASSERT_EQ(bytes.size(), kColourTableBytes) << name;
    auto table = DecodeColourTable16(bytes);
    ASSERT_TRUE(table.ok()) << table.error();
    EXPECT_TRUE(*table == expected) << name;
    // Stored index fields equal the entry's position.
    for (std::size_t i = 0; i < kPaletteEntries; ++i)
      EXPECT_EQ(bytes[8 + i * 8] | bytes[9 + i * 8] << 8, static_cast<int>(i));
  }
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
  // clang-format off
  CheckTrigTable("TRIG1", [](double x) { return std::sin(x); },
                 {{43, 14255}, {111, 6640}, {143, -5896}, {171, -14255}, {180, -15678},
                  {181, -15790}, {232, -9103}, {239, -6640}});
  CheckTrigTable("TRIG2", [](double x) { return std::cos(x); },
                 {{79, -5896}, {107, -14255}, {116, -15678}, {117, -15790}, {168, -9103},
                  {175, -6640}, {207, 5896}, {235, 14255}, {244, 15678}, {245, 15790}});
  // clang-format on
}

TEST(ProgramResourcesTest, StringTableHoldsEveryTextOnceWithThePlaceholderForTheTitle) {
  std::vector<int> ids = {0, 1};
  for (int id = 100; id <= 183; ++id) ids.push_back(id);
  for (int id = 1101; id <= 1155; ++id) ids.push_back(id);
  for (int id : ids) {
    const auto text = StringTableText(id);
    ASSERT_TRUE(text.has_value() && !text->empty()) << id;
    // The title's name is never written into a text; the placeholder stands for it.
    EXPECT_EQ(text->find("Moss"), std::string_view::npos) << id;
  }
  EXPECT_EQ(StringTableText(0), "{title}");
  for (const int missing : {-1, 99, 184, 1100, 1156})
    EXPECT_FALSE(StringTableText(missing).has_value()) << missing;

  // Spaces at either end and escapes survive the source format.
  EXPECT_EQ(StringTableText(101), " [paused]");
  EXPECT_TRUE(StringTableText(106)->ends_with("resolution.  "));
  EXPECT_EQ(StringTableText(1124), "Expected end quote '\"'.");
  EXPECT_EQ(StringTableText(1127), "Expected return '\\r'.");
  // A continued line joins without losing or doubling spaces.
  EXPECT_EQ(StringTableText(164),
            "Disk full.  There is no free space on the disk.  Delete unneeded files and try "
            "again (Error line %d, code %ld)");
}

}  // namespace
}  // namespace lw
