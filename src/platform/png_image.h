// PNG files as titlekit and the headless screenshots read and write pictures: 8-bit
// palette-index images, the form every picture of a title takes. A true-colour PNG is mapped to
// the nearest colour of a palette that the caller gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/palette.h"

namespace lw {

struct IndexedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;   // width x height indices, rows top to bottom
  Palette palette{};                  // the PNG's palette (missing entries black)
  bool hasTransparentPixels = false;  // a true-colour PNG had pixels of alpha below one half
};

// Reads a PNG. An indexed PNG (bit depth 1 to 8) keeps its indices; a true-colour or grey PNG
// needs `mapTo`, whose nearest colour (least squared distance, lowest index on ties) each
// pixel takes, and then carries `mapTo` as its palette. Transparent pixels of a true-colour PNG
// take `transparentIndex` when given, and opaque ones then never take it. The error is a ready
// message: "PATH: reason".
Expected<IndexedImage, std::string> ReadPng(const std::string& path, const Palette* mapTo = nullptr,
                                            std::optional<std::uint8_t> transparentIndex = {});

// Writes an 8-bit indexed PNG with the image's palette; the message "PATH: reason" on failure.
std::optional<std::string> WritePng(const std::string& path, const IndexedImage& image);

// The palette of an indexed PNG (missing entries black); "PATH: reason" for any other picture.
Expected<Palette, std::string> ReadPngPalette(const std::string& path);

}  // namespace lw
