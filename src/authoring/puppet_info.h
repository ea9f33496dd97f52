// What `titlekit info` prints about a puppet file ('PUPP'): the header's figures, the idle
// intervals that are set, the layers that hold images, the puppets with their scripts, every
// line with its lip-sync frames (read and checked) and the player lines:
//
//   puppet file "Owl": picture [0, 0, 264, 512], player lines, band 9, 3 lines
//     idle 1: every 600..1800 ticks
//     layer 0: 1 image
//     layer 1: 3 images
//     puppet "owl": script 4
//     line "hello": 45 frames, 1.50 s, sound 10, subtitle "Welcome to the garden."
//     line "idle 1": 30 frames, 1.00 s, sound 12, no subtitle
//     player line "bye": sound 14, "Goodbye."
//
// "no player lines" and "no band" stand in for a header that marks none; a line's length is its
// frames at 30 a second. Texts are printed in UTF-8.
#pragma once

#include <string>

#include "authoring/movie_info.h"
#include "common/expected.h"

namespace lw::authoring {

// The description of a puppet file whose records `record` reads.
[[nodiscard]] Expected<std::string, std::string> DescribePuppets(const RecordReader& record);

}  // namespace lw::authoring
