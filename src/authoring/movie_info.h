// What `titlekit info` prints about a movie file ('MOOV'): its segments, followed from the one at
// record 0 through their next-segment links, each with its header's figures, its sounds and
// theme parts, its playlist and every frame with its hot spots:
//
//   movie: 1 segment
//     segment at record 0: rect [0, 0, 96, 128], origin [32, 48], 3 frames, shortest 0, status
//     frames 2 -, quit, next segment none
//       sound 1: record 1, 2205 samples at 22050 Hz, 460 bytes
//       theme part 1: record 2, 11025 samples at 11025 Hz, 1730 bytes
//       playlist 1 1, loop 0
//       frame 0: 10 ticks, plain (0), timed, picture 3 [0, 0, 96, 128], sound 1, goto 1
//       frame 1: 0 ticks, fade_in (8), palette only, preload 3..3, stop
//         hot spot [0, 0, 20, 20]: goto 0
//         hot spot [20, 0, 40, 20] on release: call "SIDE.MOV" return 1
//
// (the segment line is one line). Frames are numbered from 0; status frames that no frame has
// print as "-". A frame's sound is "sound K" for the segment's sound K and "record K" for a
// sound it names by its record, K relative to the segment's base. A next segment that does not
// lie behind its segment in the file fails the description, so that a damaged file cannot make
// it loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

// A copy of a record of the file, or the reason it cannot be read.
using RecordReader = std::function<Expected<std::vector<std::uint8_t>, std::string>(std::uint32_t)>;

// The description of a movie file of `recordCount` records.
[[nodiscard]] Expected<std::string, std::string> DescribeMovie(const RecordReader& record,
                                                               std::uint32_t recordCount);

}  // namespace lw::authoring
