// Pictures of palette indices for the picture encoder and picture file tests: the kinds of
// artwork titles hold (shading, flat cartoon shapes, sprites, noise) and the changes between two
// frames of a movie (a moved block, a pan).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "common/palette.h"

namespace lw::test {

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width x height indices, rows top to bottom

  Picture(std::int32_t w, std::int32_t h)
      : width(w), height(h), pixels(static_cast<std::size_t>(w * h)) {}
  std::uint8_t& at(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
  [[nodiscard]] std::uint8_t at(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
};

// Smooth diagonal shading with a little noise: what scanned or rendered backgrounds look like.
Picture Gradient(std::int32_t width, std::int32_t height, unsigned seed);
// Every index equally likely: the worst case of every encoder.
Picture Noise(std::int32_t width, std::int32_t height, unsigned seed);
// Flat areas, a dithered band, a circle and a repeated tile: cartoon-like artwork.
Picture Shapes(std::int32_t width, std::int32_t height);
// `background` with a textured 24 x 16 block whose top-left is at (left, top).
Picture WithBlock(Picture background, std::int32_t left, std::int32_t top);
// `source` moved `dx` pixels to the left, the uncovered column repeated.
Picture Panned(const Picture& source, std::int32_t dx);
// A shaded disc of indices 1 and up on index 0, a sprite's transparent index.
Picture Disc(std::int32_t size);
// Vertical stripes of indices 1 to 5: every row repeats the one above.
Picture Stripes(std::int32_t width, std::int32_t height);

// A small picture (up to 70 x 9) of a few indices, among them 0, in runs, repeats, dither and
// small steps from the row above: every kind of coding gets used, at every position.
Picture RandomArtwork(std::mt19937& random);

// A palette whose every entry differs from the others in each of its three channels.
Palette DistinctColours();

}  // namespace lw::test
