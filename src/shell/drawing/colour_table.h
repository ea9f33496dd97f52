// Colour tables: the title's palette format, 256 colours with 16-bit channels, as titles store
// them and as the runtime installs them.
//
//   OFFSET  SIZE     DESCRIPTION
//   0       u32      seed
//   4       u16      flags
//   6       u16      entry count minus one (255)
//   8       256 x 8  entries: u16 index, u16 red, u16 green, u16 blue (0..65535)
//
// 2,056 bytes, little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/palette.h"

namespace lw {

inline constexpr std::size_t kColourTableBytes = 2056;

// A colour table as stored, with 16-bit channels.
struct Rgb16 {
  std::uint16_t red = 0;
  std::uint16_t green = 0;
  std::uint16_t blue = 0;
  bool operator==(const Rgb16&) const = default;
};

struct ColourTable {
  std::uint32_t seed = 0;
  std::uint16_t flags = 0;
  std::array<Rgb16, kPaletteEntries> entries{};
  bool operator==(const ColourTable&) const = default;
};

// The stored bytes of a colour table (each entry's index field is its position).
[[nodiscard]] std::vector<std::uint8_t> EncodeColourTable16(const ColourTable& table);
// The colour table of stored bytes, with full 16-bit channels.
[[nodiscard]] Expected<ColourTable, std::string> DecodeColourTable16(
    std::span<const std::uint8_t> bytes);

// The stored table of a palette (seed 0, flags 0, each 8-bit channel c stored as c x 257).
[[nodiscard]] std::vector<std::uint8_t> EncodeColourTable(const Palette& palette);
// The palette of a stored table (each channel's high byte); the error says what is wrong.
[[nodiscard]] Expected<Palette, std::string> DecodeColourTable(std::span<const std::uint8_t> bytes);

}  // namespace lw
