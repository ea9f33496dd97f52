// Colour tables: the stored form of a palette and the checks on tables read from files.
#include "shell/drawing/colour_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace lw {
namespace {

// `count` bytes from `offset` in hex, separated by spaces.
std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t count = 8) {
  std::string text;
  for (std::size_t i = offset; i < offset + count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", unsigned{bytes.at(i)});
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

// Entry i is stored at 8 + 8i.
TEST(ColourTableTest, TablesAreStoredWithWideChannelsInIndexOrderAndReadBackByPosition) {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i * 7)};
  }
  std::vector<std::uint8_t> bytes = EncodeColourTable(palette);
  ASSERT_EQ(bytes.size(), kColourTableBytes);
  // Seed 0, flags 0, 255 entries after the first; entry 200 is index 200, then 200, 55 and
  // 1400 mod 256 = 120 each times 257.
  EXPECT_EQ(Hex(bytes, 0) + " | " + Hex(bytes, 8 + 200 * 8),
            "00 00 00 00 00 00 ff 00 | "
            "c8 00 c8 c8 37 37 78 78");
  bytes[8 + 3 * 8 + 2] = 0xFF;  // red 0x03FF: the low byte is dropped
  bytes[8 + 3 * 8 + 7] = 0xAB;  // blue 0xAB15
  palette[3] = {3, 252, 0xAB};
  auto decoded = DecodeColourTable(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, palette);

  ColourTable table;
  table.seed = 0x89ABCDEF;
  table.flags = 0x8001;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    table.entries[i] = {static_cast<std::uint16_t>(i * 251 + 1),
                        static_cast<std::uint16_t>(0xFFFF - i * 3),
                        static_cast<std::uint16_t>(i << 8 | 0x7F)};
  }
  bytes = EncodeColourTable16(table);
  // Entry 77: red 77 x 251 + 1 = 0x4b80, green 0xffff - 231 = 0xff18, blue 0x4d7f.
  EXPECT_EQ(Hex(bytes, 0) + " | " + Hex(bytes, 8 + 77 * 8),
            "ef cd ab 89 01 80 ff 00 | "
            "4d 00 80 4b 18 ff 7f 4d");
  bytes[8 + 5 * 8] = 200;  // the stored index fields say nothing
  auto wide = DecodeColourTable16(bytes);
  ASSERT_TRUE(wide.ok()) << wide.error();
  EXPECT_EQ(*wide, table);
}

TEST(ColourTableTest, WrongSizesAndEntryCountsAreRejected) {
  const std::vector<std::uint8_t> good = EncodeColourTable16(ColourTable{});
  const auto changed = [&](std::size_t size, std::uint8_t low = 0xFF, std::uint8_t high = 0) {
    std::vector<std::uint8_t> bytes = good;
    bytes[6] = low;
    bytes[7] = high;
    bytes.resize(size);
    return bytes;
  };
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* error;
  } cases[] = {
      {changed(2055), "a colour table is 2056 bytes, not 2055"},
      {changed(2057), "a colour table is 2056 bytes, not 2057"},
      {{}, "a colour table is 2056 bytes, not 0"},
      {changed(2056, 15, 0), "the colour table's entry count field is 15, not 255"},
      {changed(2056, 0xFF, 0xFF), "the colour table's entry count field is 65535, not 255"},
  };
  for (const auto& c : cases) {
    const auto wide = DecodeColourTable16(c.bytes);
    const auto narrow = DecodeColourTable(c.bytes);
    ASSERT_FALSE(wide.ok() || narrow.ok()) << c.error;
    EXPECT_EQ(wide.error() + " | " + narrow.error(), c.error + std::string(" | ") + c.error);
  }
}

}  // namespace
}  // namespace lw
