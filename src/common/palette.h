// A palette as the screen shows it: 256 colours with 8-bit channels, indexed by pixel value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lw {

inline constexpr std::size_t kPaletteEntries = 256;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

using Palette = std::array<Rgb, kPaletteEntries>;

}  // namespace lw
