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

namespace lw {

inline constexpr std::size_t kColourTableBytes = 2056;
inline constexpr std::size_t kPaletteEntries = 256;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

using Palette = std::array<Rgb, kPaletteEntries>;

// The stored table of a palette (seed 0, flags 0, each 8-bit channel c stored as c x 257).
[[nodiscard]] std::vector<std::uint8_t> EncodeColourTable(const Palette& palette);
// The palette of a stored table (each channel's high byte); the error says what is wrong.
[[nodiscard]] Expected<Palette, std::string> DecodeColourTable(std::span<const std::uint8_t> bytes);

}  // namespace lw
