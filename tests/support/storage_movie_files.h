// Movie files written by hand for tests: segments of solid key frames with their sounds and theme
// parts, written over the shared storage stack as star files of type "MOOV".
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "common/geometry.h"
#include "media/movie_format.h"
#include "support/storage_scratch.h"

namespace lw::test {

// One segment: its header (counts, picture record numbers and the next segment are filled in
// when written) and its sounds and theme parts (sound records).
struct MovieSegment {
  MovieHeader header;
  std::vector<Bytes> sounds = {};
  std::vector<Bytes> themes = {};
};

// A frame of `duration` ticks showing `rect` in colour `colour` by a plain reveal; colour 0 and
// an empty rectangle make a palette-only frame. It stops, unless flags or an end action say more.
MovieFrame ColourFrame(const Rect& rect, std::uint8_t colour, std::uint16_t flags = 0,
                       std::int32_t duration = 2);

// A header for a movie of `rect` (64 wide and 48 high by default) shown at window point (0, 0),
// with a grey palette (colour i is i x 257 in every component) and `frames`.
MovieHeader MovieOf(std::vector<MovieFrame> frames, const Rect& rect = {0, 0, 48, 64});

// Writes `segments` as the movie file `path` (a platform path; the folder must exist). A frame's
// `picture` is taken as the colour of a key frame of its picture rectangle, written behind the
// segment's sounds and themes; 0 gives no picture. `damage` may change the records first.
void WriteMovieFile(const std::filesystem::path& path, std::vector<MovieSegment> segments,
                    const std::function<void(std::vector<Bytes>&)>& damage = {});

}  // namespace lw::test
