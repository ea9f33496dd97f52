#include "shell/colour_table.h"

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

std::vector<std::uint8_t> EncodeColourTable(const Palette& palette) {
  ByteWriter out;
  out.u32(0);  // seed
  out.u16(0);  // flags
  out.u16(kEntryCountField);
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    out.u16(static_cast<std::uint16_t>(i));
    out.u16(WideChannel(palette[i].red));
    out.u16(WideChannel(palette[i].green));
    out.u16(WideChannel(palette[i].blue));
  }
  return out.take();
}

Expected<Palette, std::string> DecodeColourTable(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kColourTableBytes) {
    return Unexpected{"a colour table is " + std::to_string(kColourTableBytes) + " bytes, not " +
                      std::to_string(bytes.size())};
  }
  ByteReader in(bytes);
  in.skip(sizeof(std::uint32_t) + sizeof(std::uint16_t));  // seed, flags
  const std::uint16_t entryCount = in.u16();
  if (entryCount != kEntryCountField) {
    return Unexpected{"the colour table's entry count field is " + std::to_string(entryCount) +
                      ", not " + std::to_string(kEntryCountField)};
  }
  Palette palette{};
  for (Rgb& colour : palette) {
    in.skip(sizeof(std::uint16_t));  // the entry's index: entries are stored in index order
    colour.red = NarrowChannel(in.u16());
    colour.green = NarrowChannel(in.u16());
    colour.blue = NarrowChannel(in.u16());
  }
  return palette;
}

}  // namespace lw
