// Binary PPM pictures, the true-colour form in which ffmpeg hands video frames to the importer:
//
//   PART      CONTENT
//   magic     "P6"
//   width     decimal, after whitespace (and '#' comments that run to the end of their line)
//   height    decimal, the same
//   maxval    decimal, the same; only 255 (one byte a channel) is read
//   one whitespace byte
//   pixels    width x height x 3 bytes: red, green, blue, rows top to bottom
//
// Anything behind the pixels (a second picture) is ignored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

struct RgbPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgb;  // width x height x 3 bytes
};

// Reads a PPM's bytes of at most 640 x 480 pixels; the error is a ready reason such as
// "not a binary PPM picture".
[[nodiscard]] Expected<RgbPicture, std::string> ReadPpm(std::span<const std::uint8_t> bytes);

}  // namespace lw::authoring
