// Pictures of palette indices for the picture encoder and picture file tests: the kinds of
// artwork titles hold (shading, flat cartoon shapes, sprites, noise) and the changes between two
// frames of a movie (a moved block).
#pragma once

#include <algorithm>
#include <cmath>
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
inline Picture Gradient(std::int32_t width, std::int32_t height, unsigned seed) {
  std::mt19937 random(seed);
  Picture p(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x)
      p.at(x, y) = static_cast<std::uint8_t>(16 + (x + 2 * y) / 5 + random() % 3);
  }
  return p;
}

// Every index equally likely: the worst case of every encoder.
inline Picture Noise(std::int32_t width, std::int32_t height, unsigned seed) {
  std::mt19937 random(seed);
  Picture p(width, height);
  for (std::uint8_t& pixel : p.pixels) pixel = static_cast<std::uint8_t>(random());
  return p;
}

// Flat areas, a dithered band, a circle and a repeated tile: cartoon-like artwork.
inline Picture Shapes(std::int32_t width, std::int32_t height) {
  Picture p(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint8_t pixel = y < height / 3 ? 40 : 90;
      if (y > height / 2 && y < height / 2 + 10) pixel = (x + y) % 2 ? 7 : 200;
      if (std::hypot(x - width / 2.0, y - height / 3.0) < height / 5.0) pixel = 150 + (x / 8) % 3;
      if (y > 3 * height / 4) pixel = static_cast<std::uint8_t>((x % 12) * 3 + (y % 6));
      p.at(x, y) = pixel;
    }
  }
  return p;
}

// `background` with a textured 24 x 16 block whose top-left is at (left, top).
inline Picture WithBlock(Picture background, std::int32_t left, std::int32_t top) {
  for (std::int32_t y = top; y < std::min(top + 16, background.height); ++y) {
    for (std::int32_t x = left; x < std::min(left + 24, background.width); ++x)
      background.at(x, y) = static_cast<std::uint8_t>(220 + (x - left + y - top) % 9);
  }
  return background;
}

// A shaded disc of indices 1 and up on index 0, a sprite's transparent index.
inline Picture Disc(std::int32_t size) {
  const std::int32_t r = size / 2;
  Picture p(size, size);
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      if ((y - r) * (y - r) + (x - r) * (x - r) <= r * r)
        p.at(x, y) = static_cast<std::uint8_t>(1 + (x + y) / 4);
    }
  }
  return p;
}

// Vertical stripes of indices 1 to 5: every row repeats the one above.
inline Picture Stripes(std::int32_t width, std::int32_t height) {
  Picture p(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) p.at(x, y) = static_cast<std::uint8_t>(1 + x / 3 % 5);
  }
  return p;
}

// A small picture (up to 70 x 9) of a few indices, among them 0, in runs, repeats, dither and
// small steps from the row above: every kind of coding gets used, at every position.
inline Picture RandomArtwork(std::mt19937& random) {
  auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
  Picture picture(1 + pick(70), 1 + pick(9));
  const auto width = static_cast<std::size_t>(picture.width);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const int choice = pick(6);
    std::uint8_t& pixel = picture.pixels[i];
    if (i > 0 && choice < 2) {
      pixel = picture.pixels[i - 1];
    } else if (i >= 4 && choice == 2) {
      pixel = picture.pixels[i - 2 - pick(3)];
    } else if (i >= width && choice == 3) {
      pixel = static_cast<std::uint8_t>(picture.pixels[i - width] + pick(5) - 2);
    } else {
      pixel = static_cast<std::uint8_t>(pick(4) * 60 + pick(2));
    }
  }
  return picture;
}

// A palette whose every entry differs from the others in each of its three channels.
inline Palette DistinctColours() {
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3 + 1),
                  static_cast<std::uint8_t>(255 - i)};
  }
  return palette;
}

}  // namespace lw::test
