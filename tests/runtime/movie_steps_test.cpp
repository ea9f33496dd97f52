// What a movie does next, worked by hand: the clock over frames on time, late frames dropped up
// to a landable or an untimed frame with the rectangles united, the end reached late; end actions
// and hot spots as steps. Calls and returns, clicks on hot spots, the key commands and landing in
// a played movie are seen in the movie play test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/movie_actions.h"
#include "runtime/movie_schedule.h"

namespace lw {
namespace {

// A frame of `duration` ticks with `flags` and a picture at (at, at), 10 square; all else default.
MovieFrame Frame(std::int32_t duration, std::uint16_t flags, std::int16_t at) {
  const auto end = static_cast<std::int16_t>(at + 10);
  return {duration, 0, 0, 0, -1, 1, 0, flags, 0, 0, {at, at, end, end}, "", {}};
}

// Frames 0..3 timed for 10 ticks (1 and 3 landable), frame 4 untimed for 5, at 0, 20, .. 80. Each
// case (frame count, frame, shortest duration, now, the clock's next and last) in turn: the
// shortest duration wins; 11 late, lands on frame 3 (frame 2 is not landable, 3 is due at 130, 9
// away); late, but the landable frame is further than the lateness; late past every timed frame,
// lands on the untimed one, due; late, the untimed one not yet due; late past the last frame, the
// movie ends; an untimed frame waits its duration from now.
TEST(MovieScheduleTest, FramesOnTimeLateAndUntimed) {
  constexpr std::uint16_t kLandable = kFrameTimed | kFrameLandable;
  const std::vector<MovieFrame> frames = {Frame(10, kFrameTimed, 0), Frame(10, kLandable, 20),
                                          Frame(10, kFrameTimed, 40), Frame(10, kLandable, 60),
                                          Frame(5, 0, 80)};
  const std::int64_t cases[][5] = {{5, 1, 15, 110, 110}, {5, 1, 0, 121, 110}, {5, 1, 0, 112, 110},
                                   {5, 1, 0, 150, 110},  {5, 3, 0, 131, 130}, {4, 1, 0, 200, 110},
                                   {5, 4, 0, 300, 290}};
  std::string scheduled;
  for (const auto& [count, frame, shortest, now, clockAt] : cases) {
    MovieHeader header;
    header.frames.assign(frames.begin(), frames.begin() + count);
    header.shortestDuration = static_cast<std::int32_t>(shortest);
    MovieClock clock{clockAt, clockAt};
    const ScheduledFrame s = ScheduleFrame(header, static_cast<std::size_t>(frame), now, clock);
    scheduled += std::to_string(s.frame) + " [" + std::to_string(s.picture.top) + "," +
                 std::to_string(s.picture.bottom) + ") " + std::to_string(clock.next) + " " +
                 std::to_string(clock.last) + (s.endOfMovie ? " end; " : "; ");
  }
  EXPECT_EQ(scheduled,
            "1 [20,30) 125 125; 3 [20,70) 140 140; 1 [20,30) 120 120; 4 [20,90) 145 145; "
            "3 [60,70) 140 140; 1 [20,30) 120 120 end; 4 [80,90) 305 0; ");
}

std::string Describe(const MovieStep& step) {
  static const char* const kMoves[] = {"goto", "nobranch", "stop", "play", "call", "return"};
  return std::string(kMoves[static_cast<int>(step.move)]) + " " + std::to_string(step.frame) +
         (step.movie.empty() ? "" : " " + step.movie);
}

// In a movie of 10 frames, frame 4 shown: "kind frame: end action's step, hot spot's step" for
// each (kind, frame); a hot spot of kind -k steps as one of kind k. End actions of negative kind
// are no action: they stop.
TEST(MovieActionsTest, EndActionsAndHotSpotsBecomeSteps) {
  const std::int16_t cases[][2] = {{1, 0}, {2, 7}, {2, 40}, {2, -3}, {2, 4}, {3, 7},
                                   {4, 6}, {5, 0}, {0, 0},  {6, 2},  {-2, 1}};
  std::string steps;
  for (const auto& [kind, argument] : cases) {
    MovieFrame frame;
    frame.endAction = kind;
    frame.endArgument = argument;
    frame.movie = "B.MOV";
    const MovieHotSpot spot{kind, {}, argument, "B.MOV"};
    const MovieHotSpot negative{static_cast<std::int16_t>(-kind), {}, argument, "B.MOV"};
    const std::string step = Describe(HotSpotStep(spot, 4, 10));
    EXPECT_EQ(Describe(HotSpotStep(negative, 4, 10)), step) << kind;
    steps += std::to_string(kind) + " " + std::to_string(argument) + ": " +
             Describe(EndActionStep(frame, 4, 10)) + ", " + step + "; ";
  }
  EXPECT_EQ(steps,
            "1 0: stop 0, stop 0; 2 7: goto 7, goto 7; 2 40: goto 9, goto 9; 2 -3: goto 0, goto 0; "
            "2 4: stop 0, nobranch 4; 3 7: play 0 B.MOV, play 0 B.MOV; 4 6: call 6 B.MOV, call 6 "
            "B.MOV; 5 0: return 0, return 0; 0 0: stop 0, stop 0; 6 2: stop 0, stop 0; -2 1: stop "
            "0, goto 1; ");
}

}  // namespace
}  // namespace lw
