// The shapes a reveal takes, shared by the script effects and the movie frame transitions, which
// differ only in their strip sizes, their step counts and their pauses. Each step reveals its
// pieces in the order given and ends with a pause of `pause` ticks; each returns false when the
// target stopped it. None ends with a reveal of the whole area: the callers decide.
//
//   SHAPE            PIECES OF ONE STEP                              THEN
//   barn door close  left strip (s wide), right strip                both move inward by s
//   barn door open   the strips either side of c = (l + r) >> 1     both move outward by s
//   iris close       top band (sv high), bottom, right (sh wide),   each band moves inward
//                    left
//   iris open        the box (cy-sv, cx-sh, cy+sv, cx+sh) clipped   it grows by sv and sh
//                    to the area
//   scroll           an edge strip s deep shown at the opposite     the strip and where it
//                    edge                                            shows both deepen by s
//   wipe             a band s deep starting at an edge              it moves on by s
#pragma once

#include <cstdint>

#include "media/reveal_target.h"

namespace lw {

// Where a scroll or wipe starts: a wipe "down" starts at the top edge and a scroll "down" shows
// the new picture's bottom strip at the top of the window.
enum class RevealDirection : std::uint8_t { kDown, kUp, kRight, kLeft };

struct RevealPace {
  int steps = 0;
  std::uint32_t pause = 0;  // ticks after each step
};

bool RevealBarnDoorClose(const RevealBox& area, int s, RevealPace pace, RevealTarget& target);
bool RevealBarnDoorOpen(const RevealBox& area, int s, RevealPace pace, RevealTarget& target);
bool RevealIrisClose(const RevealBox& area, int sv, int sh, RevealPace pace, RevealTarget& target);
// The box starts around (cy, cx), which the callers work out each their own way.
bool RevealIrisOpen(const RevealBox& area, int cy, int cx, int sv, int sh, RevealPace pace,
                    RevealTarget& target);
bool RevealScroll(const RevealBox& area, RevealDirection direction, int s, RevealPace pace,
                  RevealTarget& target);
bool RevealWipe(const RevealBox& area, RevealDirection direction, int s, RevealPace pace,
                RevealTarget& target);

}  // namespace lw
