// Movie files for tests: one segment of solid key frames, each timed, so that the movie plays to
// its end without input. Written over the shared storage stack as star files of type "MOOV".
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/geometry.h"

namespace lw::test {

// A frame of a test movie: the whole movie rectangle in palette index `colour`, shown for
// `ticks` (60 a second).
struct SolidFrame {
  std::uint8_t colour = 0;
  std::int32_t ticks = 1;
};

struct SolidMovie {
  std::int16_t width = 40;
  std::int16_t height = 30;
  Point origin;  // the window point where the movie's top left corner shows
  std::vector<SolidFrame> frames;
};

// Writes `movie` as the file `path` (a platform path; the folder must exist): a grey palette
// (colour i has red, green and blue i * 257), plain transitions, every frame timed and the last
// one's end action a stop.
void WriteSolidMovie(const std::filesystem::path& path, const SolidMovie& movie);

}  // namespace lw::test
