// Walks, balls and loops run by a headless title: lines typed as the message box runs them, each
// forceupdate() one motion step, with the log of the figures' handlers (figure_title.h) and where
// a figure stands as probes.
#include <gtest/gtest.h>

#include <string>

#include "figure_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNoObject = "No such object.";
// A row of a table that runs a motion step instead of a line.
constexpr std::string_view kStep = "(motion step)";

class MotionTest : public FigureTitleTest {
 protected:
  void StartHall(bool building = false) {
    StartFigures(building);
    Expect({{"opensetfile(\"set.scn\")", "OK"},
            {"opencastfile(\"cast.cst\")", "OK"},
            {"openshopfile(\"shop.shp\")", "OK"}});
    TakeLog();
  }
  // "x,y,z@angle" of an actor or a prop ("actor" or "prop").
  std::string Where(std::string_view kind, std::string_view name) {
    const std::string who = std::string(kind) + "xyz(\"" + std::string(name) + "\", ";
    return run_->Eval(who + "1)") + "," + run_->Eval(who + "2)") + "," + run_->Eval(who + "3)") +
           "@" + run_->Eval(std::string(kind) + "deg(\"" + std::string(name) + "\")");
  }
  // A probe: the log each line left and where the actor then stands.
  LineProbe LogAndWhere(std::string_view actor) {
    return [this, actor] { return TakeLog() + " " + Where("actor", actor); };
  }
  // Runs `n` motion steps; the log they left and where the actor then stands.
  std::string StepsThenWhere(int n, std::string_view actor) {
    for (int i = 0; i < n; ++i) EXPECT_EQ(Step(), "OK");
    const std::string log = TakeLog();
    return log + " " + Where("actor", actor);
  }
  // TitleRun::Expect, where a kStep row runs a motion step.
  void Expect(std::initializer_list<LineRow> rows, const LineProbe& probe = {}) {
    std::string expected;
    std::string actual;
    for (const LineRow& row : rows) {
      std::string outcome = row.line == kStep ? Step() : run_->Eval(row.line);
      if (probe) outcome += " | " + probe();
      expected += std::string(row.line) + " -> " + std::string(row.expected) + "\n";
      actual += std::string(row.line) + " -> " + outcome + "\n";
    }
    EXPECT_EQ(actual, expected);
  }
  // makeball as a script says it: "OK" or the message of its error.
  std::string Ball(std::string_view prop, BallRequest r) {
    return run_->Eval("makeball(\"" + std::string(prop) + "\", " + std::to_string(r.vx) + ", " +
                      std::to_string(r.vy) + ", " + std::to_string(r.vz) + ", " +
                      std::to_string(r.spare) + ", " + (r.bounce ? "true" : "false") + ", " +
                      std::to_string(r.frames) + ")");
  }
};

// A straight walk: the actor turns first (already facing east, so at once), then walks its
// speed a step and ends on the star, which its star field then names.
TEST_F(MotionTest, StraightWalkTurnsWalksAndEnds) {
  StartHall();
  Expect({{"walktostar(\"wren\", \"mat\")", "OK | \"\" 100,128,0@0"},
          {"walkdest(\"WREN\")", "\"mat\" | \"\" 100,128,0@0"},
          {"actorstar(\"wren\")", "\"walktostar\" | \"\" 100,128,0@0"},
          {kStep, "OK | \"endturn:wren \" 100,128,0@0"},
          {kStep, "OK | \"\" 104,128,0@0"},
          {kStep, "OK | \"endwalk:wren \" 108,128,0@0"},
          {"iswalk(\"wren\")", "False | \"\" 108,128,0@0"},
          {"walkdest(\"wren\")", "\"none\" | \"\" 108,128,0@0"},
          {"actorstar(\"wren\")", "\"mat\" | \"\" 108,128,0@0"}},
         LogAndWhere("wren"));
}

// A path walk from lamp to bench: robin turns 16 a step to face south (64), then follows the
// path's two segments (60 south, 100 east) 4 units a step, facing along each.
TEST_F(MotionTest, PathWalkFollowsItsSegments) {
  StartHall();
  Expect({{"walktostar(\"robin\", \"bench\")", "OK | \"\" 300,100,20@0"},
          {"actorstar(\"robin\")", "\"walkonpath\" | \"\" 300,100,20@0"},
          {kStep, "OK | \"\" 300,100,20@16"},
          {kStep, "OK | \"\" 300,100,20@32"},
          {kStep, "OK | \"\" 300,100,20@48"},
          {kStep, "OK | \"endturn:robin \" 300,100,20@64"},
          {kStep, "OK | \"\" 300,104,20@64"}},
         LogAndWhere("robin"));
  EXPECT_EQ(StepsThenWhere(14, "robin"), "\"\" 300,160,20@64");  // 60 along
  EXPECT_EQ(StepsThenWhere(5, "robin"), "\"\" 320,160,20@0");    // 80 along
  EXPECT_EQ(StepsThenWhere(19, "robin"), "\"\" 396,160,20@0");
  EXPECT_EQ(StepsThenWhere(1, "robin"), "\"endwalk:robin \" 400,160,20@0");
  EXPECT_EQ(run_->Eval("actorstar(\"robin\")"), "\"bench\"");
}

// turntodeg turns the shorter way round 256 steps, by the actor's turn step, and sends
// endturn() on the step it arrives (the next step when it faces the angle already). Half a turn
// apart it goes backward toward a larger angle and forward toward a smaller one.
TEST_F(MotionTest, TurnToDegree) {
  StartHall();
  Expect({{"turntodeg(\"wren\", 256)", "OK | \"\" 100,128,0@0"},
          {kStep, "OK | \"endturn:wren \" 100,128,0@0"},
          {"iswalk(\"wren\")", "False | \"\" 100,128,0@0"},
          {"turntodeg(\"wren\", 40)", "OK | \"\" 100,128,0@0"},
          {kStep, "OK | \"\" 100,128,0@16"},
          {kStep, "OK | \"\" 100,128,0@32"},
          {kStep, "OK | \"endturn:wren \" 100,128,0@40"},
          {"turntodeg(\"wren\", -20)", "OK | \"\" 100,128,0@40"},
          {kStep, "OK | \"\" 100,128,0@24"},
          {"turntodeg(\"wren\", 152)", "OK | \"\" 100,128,0@24"},
          {kStep, "OK | \"\" 100,128,0@8"},
          {"turntodeg(\"wren\", 136)", "OK | \"\" 100,128,0@8"},
          {kStep, "OK | \"\" 100,128,0@248"},
          {"turntodeg(\"wren\", 120)", "OK | \"\" 100,128,0@248"},
          {kStep, "OK | \"\" 100,128,0@8"},
          {"stopwalk(\"all\")", "OK | \"\" 100,128,0@8"},
          {kStep, "OK | \"\" 100,128,0@8"}},
         LogAndWhere("wren"));
}

// A second walk replaces the first; the pause counter holds the walk while it is above 0 and
// does not go below 0.
TEST_F(MotionTest, ReplacedAndPausedWalks) {
  StartHall();
  Expect({{"walktostar(\"wren\", \"mat\")", "OK | \"\" 100,128,0@0"},
          {"walktostar(\"wren\", \"door\")", "OK | \"\" 100,128,0@0"},
          {"countwalks()", "1 | \"\" 100,128,0@0"},
          {"walkdest(\"wren\")", "\"door\" | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\", true)", "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"all\", true)", "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\")", "True | \"\" 100,128,0@0"},
          {kStep, "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
          {"pausewalk(\"wren\")", "False | \"\" 100,128,0@0"},
          {kStep, "OK | \"endturn:wren \" 100,128,0@0"},
          {kStep, "OK | \"endwalk:wren \" 100,128,0@0"}},
         LogAndWhere("wren"));
}

// Sixteen walks fill the table; the walks are named in slot order; bad arguments are refused.
TEST_F(MotionTest, WalkTableAndRefusals) {
  StartHall();
  Expect({{"opencastfile(\"flock.cst\")", "OK"}});
  for (int i = 1; i <= 14; ++i) {
    Expect({{"walktostar(\"f" + std::to_string(i) + "\", \"mat\")", "OK"}});
  }
  Expect({{"walktostar(\"wren\", \"mat\")", "OK"},
          {"turntodeg(\"robin\", 3)", "OK"},
          {"walktostar(\"finch\", \"mat\")", "Too many walks."},
          {"countwalks()", "16"},
          {"indextowalk(1)", "\"f1\""},
          {"indextowalk(16)", "\"robin\""},
          {"indextowalk(0)", kNoObject},
          {"indextowalk(17)", kNoObject},
          {"stopwalk(\"f3\")", "OK"},
          {"indextowalk(3)", "\"f4\""},
          {"walktostar(\"finch\", \"mat\")", "OK"},
          {"indextowalk(3)", "\"finch\""},
          {"walktostar(\"nobody\", \"mat\")", kNoObject},
          {"walktostar(\"wren\", \"ghost\")", kNoObject},
          {"walktostar(\"wren\", \"sixteen letters!\")", "String length too big."},
          {"walktostar(\"wren\", 5)", "Bad argument type."},
          {"stopwalk(\"all\")", "OK"},
          {"countwalks()", "0"}});
}

// A walk whose actor's set is not open (finch, of Yard, was never placed) waits, unmoved, and jumps
// to its custom point when it opens.
TEST_F(MotionTest, WalkOutsideTheCurrentSetWaitsForIt) {
  StartHall();
  Expect({{"walktostar(\"finch\", \"50, 60, 0\")", "OK | \"\" 0,0,0@0"},
          {"walkdest(\"finch\")", "\"custom\" | \"\" 0,0,0@0"},
          {"actorstar(\"finch\")", "\"walknodata\" | \"\" 0,0,0@0"},
          {kStep, "OK | \"endturn:finch \" 0,0,0@0"},
          {kStep, "OK | \"\" 0,0,0@0"},
          {"closesetfile()", "OK | \"closeset closefloor:4 closescene:a \" 0,0,0@0"},
          {"opensetfile(\"yard.scn\")", "OK | \"openset openfloor:4 openscene:a \" 0,0,0@0"},
          {kStep, "OK | \"endwalk:finch \" 50,60,0@0"},
          {"actorstar(\"finch\")", "\"custom\" | \"\" 50,60,0@0"}},
         LogAndWhere("finch"));
}

// Loops count their ticks down one a motion step and send the handler call when they run out;
// a loop for the same object replaces the last; pausing holds them.
TEST_F(MotionTest, LoopsSendTheirHandler) {
  StartHall();
  Expect(
      {{"makeloop(\"prop\", \"ball\", \"chime\", 1)", "OK | \"\""},
       {kStep, "OK | \"chime:ball \""},
       {"isloop(\"prop\", \"ball\")", "False | \"\""},
       {"makeloop(\"actor\", \"wren\", \"chime\", 5)", "OK | \"\""},
       {"makeloop(\"Actor\", \"wren\", \"chime\", 2)", "OK | \"\""},
       {"isloop(\"actor\", \"WREN\")", "True | \"\""},
       {"makeloop(\"actor\", \"robin\", \"chime\", 3)", "OK | \"\""},
       {"countloops(\"actor\")", "2 | \"\""},
       {"indextoloop(\"actor\", 2)", "\"robin\" | \"\""},
       {"pauseloop(\"actor\", \"robin\", true)", "OK | \"\""},
       {"pauseloop(\"actor\", \"robin\")", "True | \"\""},
       {kStep, "OK | \"\""},
       {kStep, "OK | \"chime:wren \""},
       {"pauseloop(\"actor\", \"all\", false)", "OK | \"\""},
       {kStep, "OK | \"\""},
       {kStep, "OK | \"\""},
       {kStep, "OK | \"chime:robin \""},
       {"makeloop(\"widget\", \"ball\", \"chime\", 1)", std::string(kNoObject) + " | \"\""},
       {"makeloop(\"prop\", \"ball\", \"sixteen_letters_\", 1)", "String length too big. | \"\""},
       {"makeloop(\"prop\", \"ball\", \"chime\", \"soon\")", "Bad argument type. | \"\""},
       {"makeloop(\"prop\", \"ball\", \"chime\", 9)", "OK | \"\""},
       {"stoploop(\"prop\", \"all\")", "OK | \"\""},
       {"countloops(\"prop\")", "0 | \"\""}},
      Log());
}

// Placing a figure directly stops its walk or ball quietly; closing its group stops its loops
// too.
TEST_F(MotionTest, PlacingAndClosingStopMotion) {
  StartHall();
  EXPECT_EQ(Ball("ball", {.vx = 1, .vz = 9, .frames = 5}), "OK");
  Expect({{"walktostar(\"wren\", \"mat\")", "OK | \"\""},
          {"makeloop(\"actor\", \"wren\", \"chime\", 1)", "OK | \"\""},
          {"makeloop(\"prop\", \"ball\", \"chime\", 2)", "OK | \"\""},
          {"actorxyz(\"wren\", 1, 2, 3)", "OK | \"\""},
          {"propstar(\"ball\", \"door\")", "OK | \"\""},
          {"countwalks() + countballs()", "0 | \"\""},
          {"closecastfile(\"birds\")", "OK | \"\""},
          {"isloop(\"actor\", \"wren\")", "False | \"\""},
          {kStep, "OK | \"\""},
          {kStep, "OK | \"chime:ball \""}},
         Log());
}

// Balls fly their velocity a step and fall 2 a step; without bounce they stop on the ground,
// with it they bounce off the ground (half as fast up) and back off a building cell onto its
// boundary (half as fast back); they end after their frames.
TEST_F(MotionTest, BallsFallBounceAndEnd) {
  StartHall(/*building=*/true);
  const LineProbe logAndBall = [this] { return TakeLog() + " " + Where("prop", "ball"); };
  EXPECT_EQ(Ball("ball", {.bounce = false, .frames = 10}), "OK");
  Expect({{"isball(\"ball\")", "True | \"\" 100,128,0@0"},
          {kStep, "OK | \"endball:ball/building \" 100,128,0@0"},
          {"isball(\"ball\")", "False | \"\" 100,128,0@0"}},
         logAndBall);
  EXPECT_EQ(Ball("ball", {.vx = 200, .vz = 40, .spare = 7, .bounce = true, .frames = 3}), "OK");
  Expect({{kStep, "OK | \"\" 256,128,40@0"},
          {kStep, "OK | \"\" 156,128,78@0"},
          {"pauseball(\"ball\", true)", "OK | \"\" 156,128,78@0"},
          {"pauseball(\"ball\")", "True | \"\" 156,128,78@0"},
          {kStep, "OK | \"\" 156,128,78@0"},
          {"pauseball(\"all\", false)", "OK | \"\" 156,128,78@0"},
          {kStep, "OK | \"\" 56,128,114@0"},
          {kStep, "OK | \"endball:ball/frames \" 56,128,114@0"}},
         logAndBall);
  EXPECT_EQ(Ball("ball", {.vz = -10, .bounce = true, .frames = 2}), "OK");
  EXPECT_EQ(Ball("ball", {.vz = -120, .bounce = true, .frames = 2}), "OK");
  Expect({{"countballs()", "1 | \"\" 56,128,114@0"},
          {"indextoball(1)", "\"ball\" | \"\" 56,128,114@0"},
          {"indextoball(2)", std::string(kNoObject) + " | \"\" 56,128,114@0"},
          {kStep, "OK | \"\" 56,128,0@0"},
          {kStep, "OK | \"\" 56,128,61@0"}},
         logAndBall);
  EXPECT_EQ(Ball("hoop", {.vx = 1, .bounce = true, .frames = 0}), "OK");
  EXPECT_EQ(Ball("nothing", {}), kNoObject);
  EXPECT_EQ(run_->Eval("makeball(\"hoop\", 1, 2, 3 4, true, 5)"), "Expected comma ','.");
  EXPECT_EQ(run_->Eval("makeball(\"hoop\", 1, 2, 3, 4, 5, 5)"), "Bad argument type.");
  Expect({{kStep, "OK | \"endball:ball/frames endball:hoop/frames \" 56,128,61@0"},
          {"propxyz(\"hoop\", 1)", "100 | \"\" 56,128,61@0"},
          {"stopball(\"all\")", "OK | \"\" 56,128,61@0"}},
         logAndBall);
  // North of the corridor lies no scene: a wall, which a ball bounces off as off a building.
  EXPECT_EQ(Ball("hoop", {.vy = -200, .bounce = true, .frames = 1}), "OK");
  Expect({{kStep, "OK | \"\" 100,0,0@0"}},
         [this] { return TakeLog() + " " + Where("prop", "hoop"); });
}

// A ball ends on the first actor (visible, in the set, with a hit box) or the player whose box
// it passes through, and the prop stays where the ball was.
TEST_F(MotionTest, BallsHitActorsAndThePlayer) {
  StartHall();
  const LineProbe logAndHoop = [this] { return TakeLog() + " " + Where("prop", "hoop"); };
  Expect({{"actorvisible(\"robin\", true)", "OK"}, {"actorhitbox(\"robin\", 10, 10)", "OK"}});
  EXPECT_EQ(Ball("hoop", {.vx = 4, .vz = 4, .bounce = true, .frames = 5}), "OK");
  Expect({{kStep, "OK | \"\" 104,128,4@0"},
          {"actorvisible(\"wren\", true)", "OK | \"\" 104,128,4@0"},
          {"actorhitbox(\"wren\", 10, 0)", "OK | \"\" 104,128,4@0"},
          {kStep, "OK | \"\" 108,128,6@0"},
          {"actorhitbox(\"wren\", 10, 10)", "OK | \"\" 108,128,6@0"},
          {kStep, "OK | \"endball:hoop/wren \" 112,128,6@0"}},
         logAndHoop);
  // The player stands at the centre of cell (0, 0), 128, 128.
  EXPECT_EQ(Ball("hoop", {.vx = 20, .bounce = true, .frames = 5}), "OK");
  Expect({{"actorhitbox(\"wren\", 0, 0)", "OK | \"\" 112,128,6@0"},
          {"actorhitbox(\"player\", 50, 5)", "OK | \"\" 112,128,6@0"},
          {kStep, "OK | \"endball:hoop/player \" 132,128,6@0"}},
         logAndHoop);
}

}  // namespace
}  // namespace lw::testing
