// The movie clock over hand-worked schedules: frames on time, late frames dropped up to a
// landable or an untimed frame with the rectangles united, the end of the movie reached late,
// and untimed frames.
#include "runtime/movie_schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lw {
namespace {

MovieFrame Frame(std::int32_t duration, std::uint16_t flags, std::int16_t at) {
  MovieFrame frame;
  frame.duration = duration;
  frame.flags = flags;
  frame.pictureRect = {at, at, static_cast<std::int16_t>(at + 10),
                       static_cast<std::int16_t>(at + 10)};
  return frame;
}

// Frames 0..3 timed for 10 ticks (1 and 3 landable), frame 4 untimed for 5, at 0, 20, .. 80.
MovieHeader Movie(bool untimedLast = true) {
  MovieHeader header;
  const std::uint16_t kLandable = kFrameTimed | kFrameLandable;
  header.frames = {Frame(10, kFrameTimed, 0), Frame(10, kLandable, 20), Frame(10, kFrameTimed, 40),
                   Frame(10, kLandable, 60)};
  if (untimedLast) header.frames.push_back(Frame(5, 0, 80));
  return header;
}

std::string Describe(const ScheduledFrame& s, const MovieClock& clock) {
  return "frame " + std::to_string(s.frame) + " [" + std::to_string(s.picture.top) + "," +
         std::to_string(s.picture.bottom) + ") next " + std::to_string(clock.next) + " last " +
         std::to_string(clock.last) + (s.endOfMovie ? " end" : "");
}

TEST(MovieScheduleTest, FramesOnTimeLateAndUntimed) {
  struct Case {
    const char* what;
    bool untimedLast;
    std::int32_t shortest;
    std::size_t frame;
    std::int64_t now;
    MovieClock clock;
    const char* expected;
  };
  const Case cases[] = {
      {"the first timed frame starts the schedule",
       true,
       0,
       0,
       100,
       {0, 0},
       "frame 0 [0,10) next 110 last 110"},
      {"on time", true, 0, 1, 110, {110, 110}, "frame 1 [20,30) next 120 last 120"},
      {"the shortest duration wins",
       true,
       15,
       1,
       110,
       {110, 110},
       "frame 1 [20,30) next 125 last 125"},
      // Frame 1 at 121 is 11 late: frame 2 is not landable, frame 3 is due at 130, 9 away.
      {"late: lands on the next landable frame due",
       true,
       0,
       1,
       121,
       {110, 110},
       "frame 3 [20,70) next 140 last 140"},
      {"late, but the landable frame is further than the lateness",
       true,
       0,
       1,
       112,
       {110, 110},
       "frame 1 [20,30) next 120 last 120"},
      {"late past every timed frame: lands on the untimed one when due",
       true,
       0,
       1,
       150,
       {110, 110},
       "frame 4 [20,90) next 145 last 145"},
      {"late, the untimed frame not yet due: shows the frame asked for",
       true,
       0,
       3,
       131,
       {130, 130},
       "frame 3 [60,70) next 140 last 140"},
      {"late past the last frame: the movie ends",
       false,
       0,
       1,
       200,
       {110, 110},
       "frame 1 [20,30) next 120 last 120 end"},
      {"an untimed frame waits its duration from now",
       true,
       0,
       4,
       300,
       {290, 290},
       "frame 4 [80,90) next 305 last 0"},
  };
  for (const Case& c : cases) {
    MovieHeader header = Movie(c.untimedLast);
    header.shortestDuration = c.shortest;
    MovieClock clock = c.clock;
    const ScheduledFrame scheduled = ScheduleFrame(header, c.frame, c.now, clock);
    EXPECT_EQ(Describe(scheduled, clock), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace lw
