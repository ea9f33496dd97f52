// The movie's clock: which frame shows next and until when. Times are ticks (60 a second).
//
// A frame lasts d = max(its duration, the movie's shortest duration), at least 0. Two deadlines
// are kept: `next`, the tick the player waits for before it shows a frame, and `last`, the
// scheduled end of the timed frame shown last (0 when the frame before was not timed).
//
// An untimed frame (one that waits for the user) shows when it comes: last = 0, next = now + d.
// A timed frame after an untimed one starts the schedule: last = now + d. A timed frame whose
// schedule has slipped (now > last) looks ahead: from frame f it steps k = f+1, f+2, ..., the
// running deadline (from `last`) growing by each stepped-over frame's d and the shown rectangle
// by each stepped frame's picture rectangle, and stops
//   - past the last frame: the movie ends if even that deadline has passed;
//   - at an untimed frame: the player lands there if its deadline has passed;
//   - at a landable timed frame (flag 32) whose deadline is not in the past: the player lands
//     there if that deadline is nearer to now than `last` is.
// Landing shows frame k with the united rectangle and sets last = its deadline + its d; else
// frame f shows with its own rectangle and last grows by d. Either way next = last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/geometry.h"
#include "media/movie_format.h"

namespace lw {

struct MovieClock {
  std::int64_t next = 0;
  std::int64_t last = 0;
};

struct ScheduledFrame {
  std::size_t frame = 0;    // the frame to show: the one asked for, or the one landed on
  Rect picture;             // what to show of it
  bool endOfMovie = false;  // too late for any frame that is left: the movie ends
};

// The frame d of `frame` in `header`.
[[nodiscard]] std::int64_t FrameTicks(const MovieHeader& header, std::size_t frame);

// Schedules frame `frame` (below the frame count) at tick `now`, moving the clock.
[[nodiscard]] ScheduledFrame ScheduleFrame(const MovieHeader& header, std::size_t frame,
                                           std::int64_t now, MovieClock& clock);

}  // namespace lw
