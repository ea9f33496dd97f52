// The visual effects and frame transitions as sequences of pieces: each step of a reveal is one
// line, "PIECE PIECE ... |PAUSE", a piece "T,L,B,R" (or "T,L,B,R<T,L,B,R" when it shows another
// rectangle of the picture), so that a case compares its steps with the arithmetic written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "media/frame_transitions.h"
#include "media/reveal_copy.h"
#include "media/script_effects.h"
#include "script/random_generator.h"
#include "support/shell_rig.h"

namespace lw {
namespace {

std::string BoxText(const RevealBox& b) { return test::Print(b.rect()); }

struct RecordingTarget final : RevealTarget {
  using RevealTarget::Reveal;
  void Reveal(const RevealBox& source, const RevealBox& destination) override {
    step += (step.empty() ? "" : " ") + BoxText(destination);
    if (BoxText(source) != BoxText(destination)) step += "<" + BoxText(source);
    pieces.push_back(destination);
  }
  bool EndStep(std::uint32_t ticks) override {
    lines.push_back(step + " |" + std::to_string(ticks));
    step.clear();
    return true;
  }
  [[nodiscard]] std::string Trace() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }

  std::string step;
  std::vector<std::string> lines;
  std::vector<RevealBox> pieces;
};

struct EffectCase {
  ScriptEffect effect;
  Rect area;
  int duration;
  std::size_t steps;  // lines of the trace, the final whole area included
  std::size_t line;   // the line compared
  std::string_view expected;
};

// One step of each effect against its arithmetic: s = w / 16 + 1 (or h / 16 + 1, or / 12 for the
// irises), pauses of duration / k ticks (at least 1, a duration of 0 taken as 1), and the whole
// area after the slides. Small areas keep the numbers easy to follow.
TEST(ScriptEffectTest, StepsFollowTheArithmeticOfEachEffect) {
  const Rect screen{0, 0, 480, 640};
  const EffectCase cases[] = {
      // clang-format off
      {ScriptEffect::kPlain, {0, 0, 3, 7}, 500, 1, 0, "0,0,3,7 |0"},
      {ScriptEffect::kBarnDoorClose, {0, 0, 2, 8}, 16, 8, 3, "0,3,2,4 0,4,2,5 |2"},
      {ScriptEffect::kBarnDoorOpen, {0, 0, 2, 10}, 8, 8, 1, "0,3,2,4 0,6,2,7 |1"},
      {ScriptEffect::kIrisClose, {0, 0, 12, 12}, 6, 6, 1,
       "2,0,4,12 8,0,10,12 0,8,12,10 0,2,12,4 |1"},
      // cy = cx = 16: sv = sh = 2 around the centre.
      {ScriptEffect::kIrisOpen, {0, 0, 32, 32}, 160, 16, 1, "12,12,20,20 |10"},
      // g = (16 >> 3) + 1 = 3 passes of two-row bands g apart, each pausing 32 / 16 = 2.
      {ScriptEffect::kVenetian, {0, 0, 16, 4}, 32, 3, 0,
       "0,0,2,4 3,0,5,4 6,0,8,4 9,0,11,4 12,0,14,4 15,0,17,4 |2"},
      // The rows count from 0, not from the top: a pass reveals bands above the area too.
      {ScriptEffect::kVenetian, {4, 0, 12, 1}, 1, 2, 1,
       "1,0,3,1 3,0,5,1 5,0,7,1 7,0,9,1 9,0,11,1 11,0,13,1 |1"},
      // 480 rows: bands of 31, 15 steps, then the whole; 640 columns: bands of 41.
      {ScriptEffect::kWipeDown, screen, 10, 16, 0, "0,0,31,640 |1"},
      {ScriptEffect::kWipeDown, screen, 10, 16, 14, "434,0,465,640 |1"},
      {ScriptEffect::kWipeDown, screen, 10, 16, 15, "0,0,480,640 |0"},
      {ScriptEffect::kWipeUp, screen, 1000, 16, 0, "449,0,480,640 |66"},
      {ScriptEffect::kWipeRight, screen, 150, 16, 14, "0,574,480,615 |10"},
      {ScriptEffect::kWipeLeft, screen, 0, 16, 1, "0,558,480,599 |1"},
      // A scroll shows the far strip of the picture at the near edge and deepens both.
      {ScriptEffect::kScrollDown, screen, 30, 16, 1, "0,0,62,640<418,0,480,640 |2"},
      {ScriptEffect::kScrollUp, screen, 1, 16, 1, "418,0,480,640<0,0,62,640 |1"},
      {ScriptEffect::kScrollRight, screen, 1, 16, 0, "0,0,480,41<0,599,480,640 |1"},
      {ScriptEffect::kScrollLeft, screen, 1, 16, 15, "0,0,480,640 |0"},
      // clang-format on
  };
  for (const EffectCase& c : cases) {
    RecordingTarget target;
    RunScriptEffect(c.effect, c.area, c.duration, target);
    ASSERT_EQ(target.lines.size(), c.steps) << "effect " << static_cast<int>(c.effect);
    EXPECT_EQ(target.lines[c.line], c.expected) << "effect " << static_cast<int>(c.effect);
  }
}

// Every effect over odd rectangles leaves no pixel of the area unrevealed (the stage's run checks
// the whole stage); an empty area reveals nothing.
TEST(ScriptEffectTest, EveryEffectCoversItsWholeArea) {
  const Rect areas[] = {{0, 0, 1, 1}, {5, 9, 8, 16}, {0, 0, 7, 3}, {3, 5, 40, 61}};
  for (int e = 0; e < kScriptEffectCount; ++e) {
    for (const Rect& area : areas) {
      RecordingTarget target;
      RunScriptEffect(static_cast<ScriptEffect>(e), area, 100, target);
      int missed = 0;
      for (int v = area.top; v < area.bottom; ++v)
        for (int h = area.left; h < area.right; ++h)
          missed += std::none_of(target.pieces.begin(), target.pieces.end(),
                                 [&](const auto& b) { return b.rect().contains(PointAt(v, h)); });
      EXPECT_EQ(missed, 0) << "effect " << e << " over " << area.top << "," << area.left;
    }
    RecordingTarget none;
    RunScriptEffect(static_cast<ScriptEffect>(e), {10, 10, 10, 20}, 100, none);
    EXPECT_EQ(none.Trace(), "");
  }
}

// The reveal's copy clips source and destination to the screen rectangle on their own and copies
// a block the size of the clipped destination from the clipped source's corner, moved by the
// origin; nothing outside is touched, and a piece wholly outside copies nothing.
TEST(RevealCopyTest, PiecesAreClippedToTheScreenRectangle) {
  Surface picture(16, 16);
  for (int v = 0; v < 16; ++v)
    for (int h = 0; h < 16; ++h) picture.row(v)[h] = static_cast<std::uint8_t>(v * 16 + h);
  Surface canvas(16, 16);
  const Rect clip{2, 2, 10, 10};
  const RevealedPiece piece =
      CopyRevealed(picture, canvas, clip, PointAt(1, 3), {0, 4, 6, 8}, {-5, -5, 3, 5});
  EXPECT_EQ(test::Print(piece.to), "3,5,4,8");
  EXPECT_EQ(test::Print(piece.from), "2,4,6,8");
  std::string copied;
  for (int v = 0; v < 16; ++v)
    for (int h = 0; h < 16; ++h)
      if (canvas.row(v)[h] != 0) copied += std::to_string(canvas.row(v)[h]) + " ";
  EXPECT_EQ(copied, "36 37 38 ");
  EXPECT_TRUE(CopyRevealed(picture, canvas, clip, {}, {0, 0, 2, 2}, {0, 0, 2, 2}).to.empty());

  // A movie's frame buffer has rows of its own length: 6 pixels wide, stride 8.
  Surface frame(6, 3, 8);
  for (int v = 0; v < 3; ++v)
    for (int h = 0; h < 6; ++h) frame.row(v)[h] = static_cast<std::uint8_t>(100 + v * 10 + h);
  Surface screen(16, 16);
  CopyRevealed(frame, screen, {0, 0, 3, 6}, PointAt(2, 5), {1, 4, 3, 6}, {1, 4, 3, 6});
  copied.clear();
  for (int v = 0; v < 16; ++v)
    for (int h = 0; h < 16; ++h)
      if (screen.row(v)[h] != 0)
        copied += std::to_string(v) + "," + std::to_string(h) + "=" +
                  std::to_string(screen.row(v)[h]) + " ";
  EXPECT_EQ(copied, "3,9=114 3,10=115 4,9=124 4,10=125 ");
}

class FrameTransitionTest : public ::testing::Test, protected test::ShellRig {
 protected:
  FrameTransitionTest() {
    black.entries.fill({});
    black.entries[0] = {0xFFFF, 0xFFFF, 0xFFFF};
    movie.entries.fill({0x8000, 0x4000, 0x2000});
    palettes.setTitlePalettes(movie, black);
  }

  std::string Trace(const FrameTransition& t, const RandomBelow& random = {}) {
    RecordingTarget target;
    RunFrameTransition(t, target, palette, random);
    return target.Trace();
  }

  PaletteState palettes{screen, [] {}};
  ColourTable black{};
  ColourTable movie{};
  TransitionPalette palette{palettes, movie, false};
};

TEST_F(FrameTransitionTest, StepsFollowTheArithmeticOfEachKind) {
  const auto first = [](std::uint32_t) { return 0u; };
  const struct {
    FrameTransition transition;
    std::string_view trace;
  } cases[] = {
      // Wipe down, n = 1: s = 10 / 1 + 1, one band past the full height, then the whole.
      {{8, 0, {0, 0, 10, 20}, 1}, "0,0,11,20 |1\n0,0,10,20 |0\n"},
      // Venetian, n = 1: one-row bands every second row.
      {{12, 0, {0, 0, 6, 3}, 1}, "0,0,1,3 2,0,3,3 4,0,5,3 |1\n0,0,6,3 |0\n"},
      // n = 2: bands three rows apart that grow by a row a pass.
      {{12, 0, {2, 0, 8, 3}, 2}, "2,0,3,3 5,0,6,3 |1\n2,0,4,3 5,0,7,3 |1\n2,0,8,3 |0\n"},
      // Barn doors, n = 3: D = 8, s = 16 / 8 + 1 = 3.
      {{0, 0, {0, 0, 1, 16}, 3},
       "0,0,1,3 0,13,1,16 |1\n0,3,1,6 0,10,1,13 |1\n0,6,1,9 0,7,1,10 |1\n0,0,1,16 |0\n"},
      // Iris open, n = 1: D = 4, sv = 8 / 4 + 1 = 3 around (4, 4).
      {{3, 0, {0, 0, 8, 8}, 1}, "1,1,7,7 |1\n0,0,8,8 |0\n"},
      // Scroll left, n = 2: s = 4 / 2 + 1 = 3.
      {{7, 0, {0, 0, 1, 4}, 2}, "0,1,1,4<0,0,1,3 |1\n0,-2,1,4<0,0,1,6 |1\n0,0,1,4 |0\n"},
      // Cells of 2 x 2, ceil(5/2) x ceil(4/2) = 6, 6 / (3 + 1) = 1 a step, each the first of
      // those left (which takes the last one's place).
      {{13, 2, {0, 0, 5, 4}, 3}, "0,0,2,2 |1\n4,2,5,4 |1\n4,0,5,2 |1\n0,0,5,4 |0\n"},
      // Four strips of 8 / 4 = 2 rows.
      {{14, 0, {0, 0, 8, 5}, 3}, "0,0,2,5 |1\n6,0,8,5 |1\n4,0,6,5 |1\n0,0,8,5 |0\n"},
      {{15, 0, {0, 0, 1, 6}, 1}, "0,0,1,3 |1\n0,0,1,6 |0\n"},
      {{16, 0, {0, 0, 4, 4}, 30}, "0,0,4,4 |0\n"},
      // What only a damaged movie has: kinds that do not exist show plain, as does a cell
      // dissolve of more cells than a screen has pixels; one cell larger than the picture is not
      // drawn before the whole.
      {{40, 0, {0, 0, 4, 4}, 3}, "0,0,4,4 |0\n"},
      {{-3, 0, {0, 0, 4, 4}, 3}, "0,0,4,4 |0\n"},
      {{13, 1, {-32000, -32000, 32000, 32000}, 2}, "-32000,-32000,32000,32000 |0\n"},
      {{13, 2147483647, {0, 0, 5, 4}, 2}, " |1\n |1\n0,0,5,4 |0\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trace(c.transition, first), c.trace) << "kind " << c.transition.kind;
  }
}

// The dissolves reveal each cell or strip at most once, drawn from the title's random numbers;
// a cell size of 0 is taken as 1.
TEST_F(FrameTransitionTest, DissolvesRevealEveryPieceOnce) {
  RandomGenerator generator(7);
  const RandomBelow random = [&](std::uint32_t count) {
    return static_cast<std::uint32_t>(std::uint64_t{generator.next()} * count >> 31);
  };
  const std::pair<FrameTransition, std::size_t> cases[] = {{{13, 0, {0, 0, 7, 5}, 4}, 4 * 7},
                                                           {{14, 0, {0, 0, 10, 3}, 4}, 4},
                                                           {{15, 0, {0, 0, 3, 9}, 8}, 8}};
  for (const auto& [transition, pieces] : cases) {
    RecordingTarget target;
    RunFrameTransition(transition, target, palette, random);
    std::set<std::string> distinct;
    for (const RevealBox& piece : target.pieces) distinct.insert(BoxText(piece));
    // Every piece once, and the whole rectangle at the end.
    EXPECT_EQ(target.pieces.size(), pieces + 1) << "kind " << transition.kind;
    EXPECT_EQ(distinct.size(), pieces + 1) << "kind " << transition.kind;
  }
}

// Kind 17 shows the picture, then fades to the black palette a tick a step: after n steps the
// entries between the fixed ends (0 black, 255 white) are black. Kind 18 ends on the movie's
// palette. A palette-only frame of another kind installs a pending palette and waits n ticks.
TEST_F(FrameTransitionTest, FadesAndPaletteOnlyFrames) {
  EXPECT_EQ(Trace({17, 0, {0, 0, 2, 2}, 3}), "0,0,2,2 |0\n |1\n |1\n |1\n");
  EXPECT_EQ(palettes.currentPalette().entries[1].red, 0);
  EXPECT_EQ(palettes.currentPalette().entries[254].blue, 0);

  RecordingTarget target;
  RunPaletteOnlyFrame(18, 2, target, palette);
  EXPECT_EQ(target.Trace(), " |1\n |1\n");
  EXPECT_EQ(palettes.currentPalette().entries[1].red, 0x8000);

  palettes.SetCurrentPalette(black);
  palette.pending = true;
  RecordingTarget waiting;
  RunPaletteOnlyFrame(5, 3, waiting, palette);
  EXPECT_EQ(waiting.Trace(), " |1\n |1\n |1\n");
  EXPECT_EQ(palettes.currentPalette().entries[1].green, 0x4000);
  EXPECT_FALSE(palette.pending);
}

}  // namespace
}  // namespace lw
