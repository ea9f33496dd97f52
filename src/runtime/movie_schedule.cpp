#include "runtime/movie_schedule.h"

#include <algorithm>

#include "shell/drawing/rect_ops.h"

namespace lw {

std::int64_t FrameTicks(const MovieHeader& header, std::size_t frame) {
  return std::max<std::int64_t>(
      {0, header.frames[frame].duration, std::int64_t{header.shortestDuration}});
}

ScheduledFrame ScheduleFrame(const MovieHeader& header, std::size_t frame, std::int64_t now,
                             MovieClock& clock) {
  const MovieFrame& shown = header.frames[frame];
  const std::int64_t d = FrameTicks(header, frame);
  ScheduledFrame result{frame, shown.pictureRect, false};
  if (!shown.has(kFrameTimed)) {
    clock.last = 0;
    clock.next = now + d;
    return result;
  }
  if (clock.last == 0) {
    clock.last = now + d;
  } else if (now > clock.last) {
    std::int64_t running = clock.last;
    Rect united = shown.pictureRect;
    std::size_t k = frame;
    bool landed = false;
    for (;;) {
      running += FrameTicks(header, k);
      ++k;
      if (k >= header.frames.size()) {
        if (now > running) result.endOfMovie = true;
        break;
      }
      const MovieFrame& stepped = header.frames[k];
      united = UnionRect(united, stepped.pictureRect);
      if (!stepped.has(kFrameTimed)) {
        landed = now > running;
        break;
      }
      if (stepped.has(kFrameLandable) && running >= now) {
        landed = running - now < now - clock.last;
        break;
      }
    }
    if (landed) {
      result = {k, united, false};
      clock.last = running + FrameTicks(header, k);
    } else {
      clock.last += d;
    }
  } else {
    clock.last += d;
  }
  clock.next = clock.last;
  return result;
}

}  // namespace lw
