// Colour tables: the stored form of a palette and the checks on tables read from files.
#include "shell/drawing/colour_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace lw {
namespace {

constexpr std::size_t kFirstEntryOffset = 8;
constexpr std::size_t kEntryBytes = 8;

// `count` bytes from `offset` in hex, separated by spaces.
std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t count) {
  std::string text;
  for (std::size_t i = offset; i < offset + count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", unsigned{bytes.at(i)});
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

std::string Entry(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  return Hex(bytes, kFirstEntryOffset + index * kEntryBytes, kEntryBytes);
}

TEST(ColourTableTest, PalettesAreStoredWithWideChannelsInIndexOrderAndReadBackByHighByte) {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i * 7)};
  }
  std::vector<std::uint8_t> bytes = EncodeColourTable(palette);
  ASSERT_EQ(bytes.size(), kColourTableBytes);
  // Seed 0, flags 0, 255 entries after the first; entry 200 is index 200, then 200, 55 and
  // 1400 mod 256 = 120 each times 257.
  EXPECT_EQ(Hex(bytes, 0, 8), "00 00 00 00 00 00 ff 00");
  EXPECT_EQ(Entry(bytes, 200), "c8 00 c8 c8 37 37 78 78");
  EXPECT_EQ(Entry(bytes, 255), "ff 00 ff ff 00 00 f9 f9");
  auto decoded = DecodeColourTable(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, palette);

  bytes[kFirstEntryOffset + 3 * kEntryBytes + 2] = 0xFF;  // red 0x03FF: the low byte is dropped
  bytes[kFirstEntryOffset + 3 * kEntryBytes + 7] = 0xAB;  // blue 0xAB15
  decoded = DecodeColourTable(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ((*decoded)[3], (Rgb{3, 252, 0xAB}));
}

TEST(ColourTableTest, WideTablesKeepEveryBitWithSeedAndFlags) {
  ColourTable table;
  table.seed = 0x89ABCDEF;
  table.flags = 0x8001;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    table.entries[i] = {static_cast<std::uint16_t>(i * 251 + 1),
                        static_cast<std::uint16_t>(0xFFFF - i * 3),
                        static_cast<std::uint16_t>(i << 8 | 0x7F)};
  }
  std::vector<std::uint8_t> bytes = EncodeColourTable16(table);
  ASSERT_EQ(bytes.size(), kColourTableBytes);
  // Entry 77: red 77 x 251 + 1 = 0x4b80, green 0xffff - 231 = 0xff18, blue 0x4d7f.
  EXPECT_EQ(Hex(bytes, 0, 8), "ef cd ab 89 01 80 ff 00");
  EXPECT_EQ(Entry(bytes, 77), "4d 00 80 4b 18 ff 7f 4d");
  // The stored index fields say nothing: entries are read in position order.
  bytes[kFirstEntryOffset + 5 * kEntryBytes] = 200;
  auto decoded = DecodeColourTable16(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, table);
}

TEST(ColourTableTest, WrongSizesAndEntryCountsAreRejected) {
  const std::vector<std::uint8_t> good = EncodeColourTable16(ColourTable{});
  const auto resized = [&](std::size_t size) {
    std::vector<std::uint8_t> bytes = good;
    bytes.resize(size);
    return bytes;
  };
  const auto counted = [&](std::uint8_t low, std::uint8_t high) {
    std::vector<std::uint8_t> bytes = good;
    bytes[6] = low;
    bytes[7] = high;
    return bytes;
  };
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* error;
  } cases[] = {
      {resized(2055), "a colour table is 2056 bytes, not 2055"},
      {resized(2057), "a colour table is 2056 bytes, not 2057"},
      {{}, "a colour table is 2056 bytes, not 0"},
      {counted(15, 0), "the colour table's entry count field is 15, not 255"},
      {counted(0xFF, 0xFF), "the colour table's entry count field is 65535, not 255"},
  };
  for (const auto& c : cases) {
    const auto wide = DecodeColourTable16(c.bytes);
    ASSERT_FALSE(wide.ok()) << c.error;
    EXPECT_EQ(wide.error(), c.error);
    const auto narrow = DecodeColourTable(c.bytes);
    ASSERT_FALSE(narrow.ok()) << c.error;
    EXPECT_EQ(narrow.error(), c.error);
  }
}

}  // namespace
}  // namespace lw
