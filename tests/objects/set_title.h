// The set of the set tests: a corridor of two scenes, "a" at row 0, column 0 and "b" at row 0,
// column 1, both on floor 3, with every move between them and every quarter turn. Each move's
// six pictures (five steps and the view after) are solid 512 x 264 frames of their own colour,
// MoveColour(m, k) for step k of move m, so a test reads which picture the view shows from one
// pixel. Record ids: 0 the header, 1 the move table, 2 the star record, 3 a path, 4 the set
// script, 5 the floor script, 6 scene b's own script, then the pictures, move by move.
//
// The scripts log to the boot file's global `log`: the set its openset/closeset, the floor its
// openfloor/closefloor with its me, and, for scene a (which has no script of its own),
// openscene/closescene with the target; scene b logs "openscene-b"/"closescene-b".
#pragma once

#include <cstdint>
#include <vector>

#include "objects/set_file.h"
#include "support/storage_scratch.h"

namespace lw::testing {

// The moves of the corridor in table order.
std::vector<MoveEntry> CorridorMoves();
// The colour of step k (0..5) of move m.
[[nodiscard]] constexpr std::uint8_t MoveColour(std::size_t m, int k) {
  return static_cast<std::uint8_t>(40 + m * 6 + static_cast<std::size_t>(k));
}
// The records of the corridor set; `header` may be changed before they are made.
std::vector<test::Bytes> CorridorSetRecords(void (*change)(SetHeader&) = nullptr);

}  // namespace lw::testing
