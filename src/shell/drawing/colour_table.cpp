#include "shell/drawing/colour_table.h"

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::uint16_t kEntryCountField = kPaletteEntries - 1;
constexpr std::uint16_t kChannelScale = 257;  // 8-bit c stored as c x 257, so 255 -> 65535
constexpr int kHighByteShift = 8;

std::uint16_t WideChannel(std::uint8_t channel) {
  return static_cast<std::uint16_t>(channel * kChannelScale);
}

std::uint8_t NarrowChannel(std::uint16_t channel) {
  return static_cast<std::uint8_t>(channel >> kHighByteShift);
}

}  // namespace

std::vector<std::uint8_t> EncodeColourTable16(const ColourTable& table) {
  ByteWriter out;
  out.u32(table.seed);
  out.u16(table.flags);
  out.u16(kEntryCountField);
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    out.u16(static_cast<std::uint16_t>(i));
    out.u16(table.entries[i].red);
    out.u16(table.entries[i].green);
    out.u16(table.entries[i].blue);
  }
  return out.take();
}

Expected<ColourTable, std::string> DecodeColourTable16(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kColourTableBytes) {
    return Unexpected{"a colour table is " + std::to_string(kColourTableBytes) + " bytes, not " +
                      std::to_string(bytes.size())};
  }
  ByteReader in(bytes);
  ColourTable table;
  table.seed = in.u32();
  table.flags = in.u16();
  const std::uint16_t entryCount = in.u16();
  if (entryCount != kEntryCountField) {
    return Unexpected{"the colour table's entry count field is " + std::to_string(entryCount) +
                      ", not " + std::to_string(kEntryCountField)};
  }
  for (Rgb16& colour : table.entries) {
    in.skip(sizeof(std::uint16_t));  // the entry's index: entries are stored in index order
    colour.red = in.u16();
    colour.green = in.u16();
    colour.blue = in.u16();
  }
  return table;
}

std::vector<std::uint8_t> EncodeColourTable(const Palette& palette) {
  ColourTable table;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    table.entries[i] = {WideChannel(palette[i].red), WideChannel(palette[i].green),
                        WideChannel(palette[i].blue)};
  }
  return EncodeColourTable16(table);
}

Expected<Palette, std::string> DecodeColourTable(std::span<const std::uint8_t> bytes) {
  auto table = DecodeColourTable16(bytes);
  if (!table.ok()) return Unexpected{table.error()};
  Palette palette{};
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    const Rgb16& wide = table->entries[i];
    palette[i] = {NarrowChannel(wide.red), NarrowChannel(wide.green), NarrowChannel(wide.blue)};
  }
  return palette;
}

}  // namespace lw
