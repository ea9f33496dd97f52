// A palette as the screen shows it: 256 colours with 8-bit channels, indexed by pixel value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace lw {

inline constexpr std::size_t kPaletteEntries = 256;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

using Palette = std::array<Rgb, kPaletteEntries>;

// The index of the colour of `palette` nearest to `colour` (least squared distance), the lowest on
// ties; never `reserved` (a transparent index, which an opaque pixel must not take).
[[nodiscard]] inline std::uint8_t NearestColour(const Palette& palette, const Rgb& colour,
                                                std::optional<std::uint8_t> reserved = {}) {
  const auto distance = [&colour](const Rgb& a) {
    const int dr = a.red - colour.red;
    const int dg = a.green - colour.green;
    const int db = a.blue - colour.blue;
    return dr * dr + dg * dg + db * db;
  };
  std::size_t best = reserved == 0 ? 1 : 0;
  int bestDistance = distance(palette[best]);
  for (std::size_t i = best + 1; i < kPaletteEntries && bestDistance != 0; ++i) {
    if (reserved == i) continue;
    if (const int d = distance(palette[i]); d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace lw
