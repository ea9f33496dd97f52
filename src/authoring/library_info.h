// What `titlekit info` prints about a library file: its star type and creator, then what the
// file holds, by kind. A stage file ('FLAT') and a boot file ('STAR' with a compiled script in
// record 1) are described; other kinds give their type alone until their layers describe them.
//
//   bootfile: boot file (type STAR, creator LWRT)
//   system script: record 1, 8 tokens
//   line table: record 2
//
//   HALL.STR: stage file (type FLAT, creator LWRT)
//   stage "hall": script 2, palette 1, 2 flats
//     flat 1 "door": script 3, picture 4 (512 x 384), buttons 6 (2)
//       button 1 "knob": rect [10, 20, 110, 220], script 5
//
// Rectangles are [top, left, bottom, right] in stage pixels. Every record is read through the
// checking readers of its format; a file that does not hold what it claims gives the reason
// and no description.
#pragma once

#include <string>

#include "common/expected.h"
#include "media/star_library.h"

namespace lw::authoring {

// The description of the star file at `path`, or "PATH: reason".
[[nodiscard]] Expected<std::string, std::string> DescribeLibraryFile(StarLibrary& library,
                                                                     const std::string& path);

}  // namespace lw::authoring
