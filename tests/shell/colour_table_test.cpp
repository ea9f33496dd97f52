// Colour tables: the stored form of a palette and the checks on tables read from files.
#include "shell/drawing/colour_table.h"

#include <gtest/gtest.h>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::size_t kEntryCountOffset = 6;
constexpr std::size_t kFirstEntryOffset = 8;
constexpr std::size_t kEntryBytes = 8;

Palette Ramp() {
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i * 7)};
  }
  return palette;
}

TEST(ColourTableTest, StoredTableRoundTripsWithWideChannelsInIndexOrder) {
  const Palette palette = Ramp();
  const std::vector<std::uint8_t> table = EncodeColourTable(palette);
  ASSERT_EQ(table.size(), kColourTableBytes);
  EXPECT_EQ(LoadU32(&table[0]), 0u);
  EXPECT_EQ(LoadU16(&table[4]), 0u);
  EXPECT_EQ(LoadU16(&table[kEntryCountOffset]), 255u);
  // Entry 200: index 200, red 200 x 257, green 55 x 257, blue (1400 mod 256) x 257.
  const std::uint8_t* entry = &table[kFirstEntryOffset + 200 * kEntryBytes];
  EXPECT_EQ(LoadU16(entry), 200u);
  EXPECT_EQ(LoadU16(entry + 2), 200u * 257);
  EXPECT_EQ(LoadU16(entry + 4), 55u * 257);
  EXPECT_EQ(LoadU16(entry + 6), (1400u % 256) * 257);
  EXPECT_EQ(LoadU16(&table[kFirstEntryOffset + 255 * kEntryBytes + 2]), 0xFFFFu);

  auto decoded = DecodeColourTable(table);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, palette);
}

TEST(ColourTableTest, DecodingKeepsTheHighByteOfEachChannel) {
  std::vector<std::uint8_t> table = EncodeColourTable(Palette{});
  std::uint8_t* entry = &table[kFirstEntryOffset + 3 * kEntryBytes];
  entry[2] = 0xFF;  // red 0x12FF
  entry[3] = 0x12;
  entry[6] = 0x01;  // blue 0xAB01
  entry[7] = 0xAB;
  auto decoded = DecodeColourTable(table);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ((*decoded)[3], (Rgb{0x12, 0, 0xAB}));
}

TEST(ColourTableTest, RejectsWrongSizesAndEntryCounts) {
  std::vector<std::uint8_t> table = EncodeColourTable(Ramp());
  std::vector<std::uint8_t> shorter(table.begin(), table.end() - 1);
  auto tooShort = DecodeColourTable(shorter);
  ASSERT_FALSE(tooShort.ok());
  EXPECT_EQ(tooShort.error(), "a colour table is 2056 bytes, not 2055");
  table.push_back(0);
  EXPECT_FALSE(DecodeColourTable(table).ok());
  EXPECT_FALSE(DecodeColourTable({}).ok());

  table.pop_back();
  table[kEntryCountOffset] = 15;
  auto badCount = DecodeColourTable(table);
  ASSERT_FALSE(badCount.ok());
  EXPECT_EQ(badCount.error(), "the colour table's entry count field is 15, not 255");
}

TEST(ColourTableTest, WideTableRoundTripsEveryBitWithSeedAndFlags) {
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
  EXPECT_EQ(LoadU32(&bytes[0]), 0x89ABCDEFu);
  EXPECT_EQ(LoadU16(&bytes[4]), 0x8001u);
  EXPECT_EQ(LoadU16(&bytes[kEntryCountOffset]), 255u);
  const std::uint8_t* entry = &bytes[kFirstEntryOffset + 77 * kEntryBytes];
  EXPECT_EQ(LoadU16(entry), 77u);
  EXPECT_EQ(LoadU16(entry + 2), 77u * 251 + 1);
  EXPECT_EQ(LoadU16(entry + 6), 77u << 8 | 0x7F);

  // The stored index fields say nothing: entries are read in position order.
  bytes[kFirstEntryOffset + 5 * kEntryBytes] = 200;
  auto decoded = DecodeColourTable16(bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(*decoded, table);
}

TEST(ColourTableTest, WideDecoderRejectsWrongSizesAndEntryCounts) {
  std::vector<std::uint8_t> bytes = EncodeColourTable16(ColourTable{});
  EXPECT_FALSE(DecodeColourTable16(std::span(bytes).first(kColourTableBytes - 8)).ok());
  EXPECT_FALSE(DecodeColourTable16({}).ok());
  bytes.resize(kColourTableBytes * 2);
  auto tooLong = DecodeColourTable16(bytes);
  ASSERT_FALSE(tooLong.ok());
  EXPECT_EQ(tooLong.error(), "a colour table is 2056 bytes, not 4112");
  bytes.resize(kColourTableBytes);
  bytes[kEntryCountOffset + 1] = 0xFF;  // 0xFFFF entries
  auto badCount = DecodeColourTable16(bytes);
  ASSERT_FALSE(badCount.ok());
  EXPECT_EQ(badCount.error(), "the colour table's entry count field is 65535, not 255");
}

}  // namespace
}  // namespace lw
