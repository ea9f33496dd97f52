// What `titlekit info` prints about a library file: its star type and creator, then what the
// file holds, by kind. A stage file ('FLAT'), a set file ('SCDO'), a cast file ('CCDO'), a shop
// file ('PDDO'), a track file ('SONG'), a movie file ('MOOV', movie_info.h), a puppet file
// ('PUPP', puppet_info.h) and a boot file ('STAR' with a compiled script in record 1) are
// described; other kinds give their type alone until their layers describe them.
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
//   MAZE.SET: set file (type SCDO, creator LWRT)
//   set "maze": script 2, 6 x 5 cells, start row 1 column 2 facing east, 4 moves, 2 scenes
//     scene "hall": row 1, column 2, floor 0
//     scene "tower": row 1, column 3, floor 3, building, script 9
//     3 stars
//
//   HEROES.CST: cast file (type CCDO, creator LWRT)
//   cast "heroes": script 1, 1 actor
//     actor "robin": record 2, script 3, set "garden", star "gate", 2 poses
//       pose "walk": record 4, frames 0 1 0, 2 pictures
//         picture 5: view 0, angle 0, size 256, 16 x 8, hot [7, 8]
//         picture 6: view 1, angle 64, size 128, 16 x 8, hot [0, 0], mirrored
//       pose "stand": record 7, frames 0, 1 picture
//         picture 5: view 0, angle 0, size 256, 16 x 8, hot [7, 8]
//
//   HARBOUR.TRK: track file (type SONG, creator LWRT)
//   track "harbour": 2 sounds, 1 theme part, sequence 1 1 0
//     sound "gull": record 1, 2205 samples at 22050 Hz, 460 bytes
//     sound "bell": record 2, 11025 samples at 11025 Hz, 1730 bytes
//     theme part "tune": record 3, 44100 samples at 44100 Hz, 9012 bytes
//
//   INTRO.MOV: movie file (type MOOV, creator LWRT)
//   movie: 1 segment
//   (then the segments as movie_info.h shows them)
//
//   TALK.PUP: puppet file (type PUPP, creator LWRT)
//   (then the puppets and lines as puppet_info.h shows them)
//
// A shop file reads the same with "shop", "prop" and "view" for "cast", "actor" and "pose".
// Frames are the views they show ("-" for a frame that shows none); a picture is named by its
// sprite's record, its size is the entry's bounds (columns x rows) and its hot spot is [row,
// column]. A track's sequence is printed as stored ("no sequence" when it is empty); a sound's
// line gives what its record's header says.
//
// Rectangles are [top, left, bottom, right] in stage pixels. A set's stars are those a lookup by
// name finds: the first star of every link and the second of a link with a path; the line is
// left out when the set has no star record (its id is 0). Every record is read through the
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
