// Walks, balls and loops run by a headless title: lines typed as the message box runs them, each
// forceupdate() one motion step, with the log of the figures' handlers (figure_title.h) and where
// a figure stands as probes.
#include <gtest/gtest.h>

#include <string>

#include "figure_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNoObject = "No such object.";

class MotionTest : public FigureTitleTest {
 protected:
  TitleRun& StartHall(bool building = false) {
    TitleRun& run = StartFigures(building);
    run.Expect({{"opensetfile(\"set.scn\")", "OK"},
                {"opencastfile(\"cast.cst\")", "OK"},
                {"openshopfile(\"shop.shp\")", "OK"}});
    TakeLog();
    return run;
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
  // Runs `n` motion steps; the log they left.
  std::string Steps(int n) {
    for (int i = 0; i < n; ++i) run_->Eval("forceupdate()");
    return TakeLog();
  }
};

// A straight walk: the actor turns first (already facing east, so at once), then walks its
// speed a step and ends on the star, which its star field then names.
TEST_F(MotionTest, StraightWalkTurnsWalksAndEnds) {
  TitleRun& run = StartHall();
  run.Expect({{"walktostar(\"wren\", \"mat\")", "OK | \"\" 100,128,0@0"},
              {"walkdest(\"WREN\")", "\"mat\" | \"\" 100,128,0@0"},
              {"actorstar(\"wren\")", "\"walktostar\" | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"endturn:wren \" 100,128,0@0"},
              {"forceupdate()", "OK | \"\" 104,128,0@0"},
              {"forceupdate()", "OK | \"endwalk:wren \" 108,128,0@0"},
              {"iswalk(\"wren\")", "False | \"\" 108,128,0@0"},
              {"walkdest(\"wren\")", "\"none\" | \"\" 108,128,0@0"},
              {"actorstar(\"wren\")", "\"mat\" | \"\" 108,128,0@0"}},
             LogAndWhere("wren"));
}

// A path walk from lamp to bench: robin turns 16 a step to face south (64), then follows the
// path's two segments (60 south, 100 east) 4 units a step, facing along each.
TEST_F(MotionTest, PathWalkFollowsItsSegments) {
  TitleRun& run = StartHall();
  run.Expect({{"walktostar(\"robin\", \"bench\")", "OK | \"\" 300,100,20@0"},
              {"actorstar(\"robin\")", "\"walkonpath\" | \"\" 300,100,20@0"},
              {"forceupdate()", "OK | \"\" 300,100,20@16"},
              {"forceupdate()", "OK | \"\" 300,100,20@32"},
              {"forceupdate()", "OK | \"\" 300,100,20@48"},
              {"forceupdate()", "OK | \"endturn:robin \" 300,100,20@64"},
              {"forceupdate()", "OK | \"\" 300,104,20@64"}},
             LogAndWhere("robin"));
  EXPECT_EQ(Steps(14) + Where("actor", "robin"), "\"\"300,160,20@64");  // 60 along
  EXPECT_EQ(Steps(5) + Where("actor", "robin"), "\"\"320,160,20@0");    // 80 along
  EXPECT_EQ(Steps(19) + Where("actor", "robin"), "\"\"396,160,20@0");
  EXPECT_EQ(Steps(1) + Where("actor", "robin"), "\"endwalk:robin \"400,160,20@0");
  EXPECT_EQ(run.Eval("actorstar(\"robin\")"), "\"bench\"");
}

// turntodeg turns the shorter way round 256 steps, by the actor's turn step, and sends
// endturn() on the step it arrives (the next step when it faces the angle already). Half a turn
// apart it goes backward toward a larger angle and forward toward a smaller one.
TEST_F(MotionTest, TurnToDegree) {
  TitleRun& run = StartHall();
  run.Expect({{"turntodeg(\"wren\", 256)", "OK | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"endturn:wren \" 100,128,0@0"},
              {"iswalk(\"wren\")", "False | \"\" 100,128,0@0"},
              {"turntodeg(\"wren\", 40)", "OK | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"\" 100,128,0@16"},
              {"forceupdate()", "OK | \"\" 100,128,0@32"},
              {"forceupdate()", "OK | \"endturn:wren \" 100,128,0@40"},
              {"turntodeg(\"wren\", -20)", "OK | \"\" 100,128,0@40"},
              {"forceupdate()", "OK | \"\" 100,128,0@24"},
              {"turntodeg(\"wren\", 152)", "OK | \"\" 100,128,0@24"},
              {"forceupdate()", "OK | \"\" 100,128,0@8"},
              {"turntodeg(\"wren\", 136)", "OK | \"\" 100,128,0@8"},
              {"forceupdate()", "OK | \"\" 100,128,0@248"},
              {"turntodeg(\"wren\", 120)", "OK | \"\" 100,128,0@248"},
              {"forceupdate()", "OK | \"\" 100,128,0@8"},
              {"stopwalk(\"all\")", "OK | \"\" 100,128,0@8"},
              {"forceupdate()", "OK | \"\" 100,128,0@8"}},
             LogAndWhere("wren"));
}

// A second walk replaces the first; the pause counter holds the walk while it is above 0 and
// does not go below 0.
TEST_F(MotionTest, ReplacedAndPausedWalks) {
  TitleRun& run = StartHall();
  run.Expect({{"walktostar(\"wren\", \"mat\")", "OK | \"\" 100,128,0@0"},
              {"walktostar(\"wren\", \"door\")", "OK | \"\" 100,128,0@0"},
              {"countwalks()", "1 | \"\" 100,128,0@0"},
              {"walkdest(\"wren\")", "\"door\" | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\", true)", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"all\", true)", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\")", "True | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\", false)", "OK | \"\" 100,128,0@0"},
              {"pausewalk(\"wren\")", "False | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"endturn:wren \" 100,128,0@0"},
              {"forceupdate()", "OK | \"endwalk:wren \" 100,128,0@0"}},
             LogAndWhere("wren"));
}

// Sixteen walks fill the table; the walks are named in slot order; bad arguments are refused.
TEST_F(MotionTest, WalkTableAndRefusals) {
  TitleRun& run = StartHall();
  run.Expect({{"opencastfile(\"flock.cst\")", "OK"}});
  for (int i = 1; i <= 14; ++i) {
    run.Expect({{"walktostar(\"f" + std::to_string(i) + "\", \"mat\")", "OK"}});
  }
  run.Expect({{"walktostar(\"wren\", \"mat\")", "OK"},
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
  TitleRun& run = StartHall();
  run.Expect({{"walktostar(\"finch\", \"50, 60, 0\")", "OK | \"\" 0,0,0@0"},
              {"walkdest(\"finch\")", "\"custom\" | \"\" 0,0,0@0"},
              {"actorstar(\"finch\")", "\"walknodata\" | \"\" 0,0,0@0"},
              {"forceupdate()", "OK | \"endturn:finch \" 0,0,0@0"},
              {"forceupdate()", "OK | \"\" 0,0,0@0"},
              {"closesetfile()", "OK | \"closeset closefloor:4 closescene:a \" 0,0,0@0"},
              {"opensetfile(\"yard.scn\")", "OK | \"openset openfloor:4 openscene:a \" 0,0,0@0"},
              {"forceupdate()", "OK | \"endwalk:finch \" 50,60,0@0"},
              {"actorstar(\"finch\")", "\"custom\" | \"\" 50,60,0@0"}},
             LogAndWhere("finch"));
}

// Loops count their ticks down one a motion step and send the handler call when they run out;
// a loop for the same object replaces the last; pausing holds them.
TEST_F(MotionTest, LoopsSendTheirHandler) {
  TitleRun& run = StartHall();
  run.Expect(
      {{"makeloop(\"prop\", \"ball\", \"tick\", 1)", "OK | \"\""},
       {"forceupdate()", "OK | \"tick:ball \""},
       {"isloop(\"prop\", \"ball\")", "False | \"\""},
       {"makeloop(\"actor\", \"wren\", \"tick\", 5)", "OK | \"\""},
       {"makeloop(\"Actor\", \"wren\", \"tick\", 2)", "OK | \"\""},
       {"isloop(\"actor\", \"WREN\")", "True | \"\""},
       {"makeloop(\"actor\", \"robin\", \"tick\", 3)", "OK | \"\""},
       {"countloops(\"actor\")", "2 | \"\""},
       {"indextoloop(\"actor\", 2)", "\"robin\" | \"\""},
       {"pauseloop(\"actor\", \"robin\", true)", "OK | \"\""},
       {"pauseloop(\"actor\", \"robin\")", "True | \"\""},
       {"forceupdate()", "OK | \"\""},
       {"forceupdate()", "OK | \"tick:wren \""},
       {"pauseloop(\"actor\", \"all\", false)", "OK | \"\""},
       {"forceupdate()", "OK | \"\""},
       {"forceupdate()", "OK | \"\""},
       {"forceupdate()", "OK | \"tick:robin \""},
       {"makeloop(\"widget\", \"ball\", \"tick\", 1)", std::string(kNoObject) + " | \"\""},
       {"makeloop(\"prop\", \"ball\", \"sixteen_letters_\", 1)", "String length too big. | \"\""},
       {"makeloop(\"prop\", \"ball\", \"tick\", \"soon\")", "Bad argument type. | \"\""},
       {"makeloop(\"prop\", \"ball\", \"tick\", 9)", "OK | \"\""},
       {"stoploop(\"prop\", \"all\")", "OK | \"\""},
       {"countloops(\"prop\")", "0 | \"\""}},
      Log());
}

// Balls fly their velocity a step and fall 2 a step; without bounce they stop on the ground,
// with it they bounce off the ground (half as fast up) and back off a building cell onto its
// boundary (half as fast back); they end after their frames.
TEST_F(MotionTest, BallsFallBounceAndEnd) {
  TitleRun& run = StartHall(/*building=*/true);
  const LineProbe logAndBall = [this] { return TakeLog() + " " + Where("prop", "ball"); };
  run.Expect({{"makeball(\"ball\", 0, 0, 0, 0, false, 10)", "OK | \"\" 100,128,0@0"},
              {"isball(\"ball\")", "True | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"endball:ball/building \" 100,128,0@0"},
              {"isball(\"ball\")", "False | \"\" 100,128,0@0"},
              {"makeball(\"ball\", 200, 0, 40, 7, true, 3)", "OK | \"\" 100,128,0@0"},
              {"forceupdate()", "OK | \"\" 256,128,40@0"},
              {"forceupdate()", "OK | \"\" 156,128,78@0"},
              {"pauseball(\"ball\", true)", "OK | \"\" 156,128,78@0"},
              {"forceupdate()", "OK | \"\" 156,128,78@0"},
              {"pauseball(\"all\", false)", "OK | \"\" 156,128,78@0"},
              {"forceupdate()", "OK | \"\" 56,128,114@0"},
              {"forceupdate()", "OK | \"endball:ball/frames \" 56,128,114@0"},
              {"makeball(\"ball\", 0, 0, -10, 0, true, 2)", "OK | \"\" 56,128,114@0"},
              {"makeball(\"ball\", 0, 0, -120, 0, true, 2)", "OK | \"\" 56,128,114@0"},
              {"countballs()", "1 | \"\" 56,128,114@0"},
              {"indextoball(1)", "\"ball\" | \"\" 56,128,114@0"},
              {"forceupdate()", "OK | \"\" 56,128,0@0"},
              {"forceupdate()", "OK | \"\" 56,128,61@0"},
              {"makeball(\"hoop\", 1, 0, 0, 0, true, 0)", "OK | \"\" 56,128,61@0"},
              {"forceupdate()", "OK | \"endball:ball/frames endball:hoop/frames \" 56,128,61@0"},
              {"makeball(\"nothing\", 1, 0, 0, 0, true, 0)",
               std::string(kNoObject) + " | \"\" 56,128,61@0"},
              {"makeball(\"ball\", 1, 0, 0)", "Expected comma ','. | \"\" 56,128,61@0"}},
             logAndBall);
  EXPECT_EQ(run.Eval("propxyz(\"hoop\", 1)"), "100");  // a ball that ran out does not move
}

// A ball ends on the first actor (visible, in the set, with a hit box) whose box it passes
// through, and the prop stays where the ball was.
TEST_F(MotionTest, BallsHitActors) {
  TitleRun& run = StartHall();
  run.Expect({{"actorvisible(\"robin\", true)", "OK"},
              {"actorhitbox(\"robin\", 10, 10)", "OK"},
              {"makeball(\"hoop\", 4, 0, 4, 0, true, 5)", "OK"},
              {"forceupdate()", "OK"}});
  EXPECT_EQ(TakeLog() + Where("prop", "hoop"), "\"\"104,128,4@0");
  run.Expect({{"actorvisible(\"wren\", true)", "OK"},
              {"actorhitbox(\"wren\", 10, 10)", "OK"},
              {"forceupdate()", "OK"}});
  EXPECT_EQ(TakeLog() + Where("prop", "hoop"), "\"endball:hoop/wren \"108,128,6@0");
}

}  // namespace
}  // namespace lw::testing
