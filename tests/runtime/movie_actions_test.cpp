// What a movie does after a frame: end actions and hot spots as steps (clamped frames, the
// current frame, calls and returns, unknown kinds), the hot spot under a click, the key
// commands and the five-deep stack of calling movies.
#include "runtime/movie_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lw {
namespace {

std::string Describe(const MovieStep& step) {
  static const char* const kMoves[] = {"goto", "nobranch", "stop", "play", "call", "return"};
  return std::string(kMoves[static_cast<int>(step.move)]) + " " + std::to_string(step.frame) +
         (step.movie.empty() ? "" : " " + step.movie);
}

TEST(MovieActionsTest, EndActionsAndHotSpotsBecomeSteps) {
  // A movie of 10 frames, frame 4 shown.
  struct Case {
    std::int16_t kind;
    std::int16_t frame;
    const char* end;
    const char* spot;
  };
  const Case cases[] = {
      {1, 0, "stop 0", "stop 0"},
      {2, 7, "goto 7", "goto 7"},
      {2, 40, "goto 9", "goto 9"},
      {2, -3, "goto 0", "goto 0"},
      {2, 4, "stop 0", "nobranch 4"},
      {3, 7, "play 0 B.MOV", "play 0 B.MOV"},
      {4, 6, "call 6 B.MOV", "call 6 B.MOV"},
      {5, 0, "return 0", "return 0"},
      {0, 0, "stop 0", "stop 0"},
      {6, 2, "stop 0", "stop 0"},
  };
  for (const Case& c : cases) {
    MovieFrame frame;
    frame.endAction = c.kind;
    frame.endArgument = c.frame;
    frame.movie = "B.MOV";
    EXPECT_EQ(Describe(EndActionStep(frame, 4, 10)), c.end) << c.kind << " " << c.frame;
    for (const int sign : {1, -1}) {
      const MovieHotSpot spot{static_cast<std::int16_t>(sign * c.kind), {}, c.frame, "B.MOV"};
      EXPECT_EQ(Describe(HotSpotStep(spot, 4, 10)), c.spot) << sign * c.kind << " " << c.frame;
    }
  }
  // An end action of a negative kind is no action: it stops.
  MovieFrame negative;
  negative.endAction = -2;
  negative.endArgument = 1;
  EXPECT_EQ(Describe(EndActionStep(negative, 4, 10)), "stop 0");
}

TEST(MovieActionsTest, HotSpotUnderAClickKeysAndTheStack) {
  const std::vector<MovieHotSpot> spots{
      {1, {0, 0, 10, 10}, 0, ""}, {2, {5, 5, 20, 20}, 3, ""}, {5, {5, 5, 20, 20}, 0, ""}};
  EXPECT_EQ(HotSpotAt(spots, {7, 7}), 0u);
  EXPECT_EQ(HotSpotAt(spots, {7, 7}, 1), 1u);
  EXPECT_EQ(HotSpotAt(spots, {15, 15}, 2), 2u);
  EXPECT_EQ(HotSpotAt(spots, {10, 10}, 0), 1u);  // bottom and right are outside
  EXPECT_EQ(HotSpotAt(spots, {30, 3}), std::nullopt);

  const auto key = [](char c, std::uint16_t modifiers, std::uint16_t what = event_kind::kKeyDown) {
    const MovieKeyCommand command =
        KeyCommandOf(EventRecord{what, static_cast<std::uint8_t>(c), 0, {}, modifiers});
    return static_cast<int>(command.key) * 10 + command.level;
  };
  constexpr std::uint16_t kCtrl = event_modifier::kCommand;
  EXPECT_EQ((std::vector<int>{key('.', kCtrl), key('Q', kCtrl), key('q', kCtrl), key('0', kCtrl),
                              key('7', kCtrl), key('T', kCtrl), key('t', kCtrl), key('q', 0),
                              key('x', kCtrl), key('q', kCtrl, event_kind::kKeyUp)}),
            (std::vector<int>{10, 10, 10, 20, 27, 30, 30, 0, 0, 0}));

  MovieStack stack;
  for (std::size_t i = 0; i < 5; ++i) EXPECT_TRUE(stack.Push("M" + std::to_string(i), i));
  EXPECT_FALSE(stack.Push("M5", 5));
  const auto top = stack.Pop();
  ASSERT_TRUE(top.has_value());
  EXPECT_EQ(top->movie + " " + std::to_string(top->frame), "M4 4");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(stack.Pop().has_value());
  EXPECT_FALSE(stack.Pop().has_value());
}

}  // namespace
}  // namespace lw
