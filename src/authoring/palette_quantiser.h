// One 256-colour palette for many true-colour pictures (the frames of a video), and the mapping of
// their pixels to it.
//
// Entry 0 is black and entry 255 white, as the runtime installs every palette; entries 1..254
// are chosen from the colours of every picture added:
//   - when they have at most 254 distinct colours besides black and white, those colours, in
//     ascending order of their 0xRRGGBB value (the rest of the entries black), so that such
//     pictures map exactly;
//   - otherwise by median cut over a histogram of 5 bits a channel: the box with the largest
//     pixel count times its longest side is split across that side where half its pixels lie,
//     until there are 254 boxes or none can be split; an entry is the mean colour of its box's
//     pixels, from their full 8-bit values.
// The result depends only on the pixels added, not on their order.
//
// Pixels map to the nearest entry (least squared distance over the three channels, the lowest
// index on ties).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/palette.h"

namespace lw::authoring {

// Entries 1..254: those between the fixed black and white.
inline constexpr std::size_t kChosenEntries = 254;

class PaletteQuantiser {
 public:
  PaletteQuantiser();

  // Counts the pixels of a picture given as red, green, blue bytes, 3 a pixel.
  void add(std::span<const std::uint8_t> rgb);

  // The palette for every picture added so far.
  [[nodiscard]] Palette palette() const;

 private:
  struct Cell {
    std::uint64_t count = 0;
    std::uint64_t sum[3] = {0, 0, 0};
  };
  std::vector<Cell> cells_;              // 32768 cells: 5 bits a channel
  std::vector<std::uint32_t> distinct_;  // sorted 0xRRGGBB values, until there are too many
  bool tooManyDistinct_ = false;
};

// Maps pixels to a palette's nearest entries, remembering each colour's answer.
class NearestColour {
 public:
  explicit NearestColour(const Palette& palette);

  [[nodiscard]] std::uint8_t operator()(Rgb colour);
  // The indices of a picture given as red, green, blue bytes, 3 a pixel.
  [[nodiscard]] std::vector<std::uint8_t> map(std::span<const std::uint8_t> rgb);

 private:
  Palette palette_;
  std::vector<std::uint16_t> known_;  // 2^24 colours; kUnknown until looked up
};

}  // namespace lw::authoring
