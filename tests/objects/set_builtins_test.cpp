// The set built-ins run by a headless title: lines typed as the message box runs them, with the
// log of the set's scripts and the picture the scene view shows as probes.
#include <gtest/gtest.h>

#include <array>

#include "set_title.h"
#include "stage_title.h"
#include "support/common_printers.h"

namespace lw::testing {
namespace {

constexpr std::string_view kClosed = "Scene lib open/close error.";
constexpr std::string_view kNoObject = "No such object.";
constexpr std::string_view kBadType = "Bad argument type.";

class SetBuiltinsTest : public StageTitleTest {
 protected:
  TitleRun& StartSet(void (*change)(SetHeader&) = nullptr) {
    WriteStageFile(title_, "SET.SCN", CorridorSetRecords(change), "SCDO");
    return Start();
  }
  // The colour of the view's picture, and the log since the last probe.
  LineProbe ViewAndLog() {
    return [this] {
      return std::to_string(runtime().compositor()->sceneView().background().at(0, 0)) + " " +
             TakeLog();
    };
  }
  // Runs forceupdate() `n` times, giving what currentdir() said after each and the colour of
  // the picture the view then showed.
  std::string Steps(int n) {
    std::string steps;
    for (int i = 0; i < n; ++i) {
      run_->Eval("forceupdate()");
      steps += run_->Eval("currentdir()") + " " +
               std::to_string(runtime().compositor()->sceneView().background().at(0, 0)) + " ";
    }
    return steps;
  }
  // The moves of CorridorMoves, by index: a to b facing east, and at b the left turn from east.
  static constexpr std::size_t kEastFromA = 4;
  static constexpr std::size_t kNorthFromBEast = 15;
};

// Without a set only the queries answer; opening sends openset(), the floor's openfloor() (whose
// me is the floor's number plus one) and the scene's openscene(), and shows the first picture of
// the start's forward move.
TEST_F(SetBuiltinsTest, OpenQueriesAndClose) {
  TitleRun& run = StartSet();
  run.Expect({{"currentset()", "\"None\""},
              {"currentscene()", "\"None\""},
              {"currentdir()", "\"nowhere\""},
              {"currentdeg()", "-1"},
              {"setvisible()", "False"},
              {"starxyz(\"door\", 1)", kNoObject},
              {"pointinset(makepoint(10, 10))", "False"}});
  for (std::string_view line : {"countscenes()", "closesetfile()", "setscript()", "sendtoset(x())",
                                "currentscene(\"a\")", "playerxyz(1)"})
    run.Expect({{line, kClosed}});
  const std::string first = std::to_string(MoveColour(kEastFromA, 0));
  run.Expect(
      {{"opensetfile(\"set.scn\")", "OK | " + first + " \"openset openfloor:4 openscene:a \""},
       {"opensetfile(\"set.scn\")", std::string(kClosed) + " | " + first + " \"\""}},
      ViewAndLog());
  run.Expect({{"currentset()", "\"Hall\""},
              {"currentscene()", "\"a\""},
              {"currentdir()", "\"east\""},
              {"currentdeg()", "0"},
              {"setwidth()", "2"},
              {"setheight()", "1"},
              {"countscenes()", "2"},
              {"indextoscene(2)", "\"b\""},
              {"indextoscene(3)", kNoObject},
              {"rowcoltoscene(0, 1)", "\"b\""},
              {"rowcoltoscene(5, 5)", "\"none\""},
              {"scenexyz(\"B\", 1)", "384"},
              {"scenexyz(\"b\", 2)", "128"},
              {"scenexyz(\"b\", 3)", "0"},
              {"scenexyz(\"nowhere\", 1)", kNoObject},
              {"scenefloor(\"a\")", "3"},
              {"scenecol(\"b\")", "1"},
              {"scenebuild(\"a\")", "False"},
              {"starxyz(\"door\", 1)", "100"},
              {"starxyz(\"lamp\", 3)", "20"},
              {"starxyz(\"bench\", 2)", "200"},
              {"starxyz(\"ghost\", 1)", kNoObject},
              {"playerxyz(1)", "128"},
              {"cameraxyz(1)", "64"},
              {"cameraxyz(3)", "100"},
              {"cameraxyz(5)", kBadType},
              {"camerahi(40)", "OK"},
              {"\"\" @ numtostring(camerahi()) @ \",\" @ numtostring(cameraxyz(3))", "\"40,40\""},
              {"floorscript(32)", kBadType},
              {"scenescript(\"b\")", "OK"},
              {"scenescript(\"a\")", "OK"},
              {"sendtofloorfx(32, x())", kNoObject},
              {"pointinset(makepoint(511, 263))", "True"},
              {"pointinset(makepoint(0, 264))", "False"}});
  EXPECT_EQ(run.Boxes(), "");
  run.Expect({{"closesetfile()", "OK | \"closeset closefloor:4 closescene:a \""},
              {"currentset()", "\"None\" | \"\""}},
             Log());
}

// A move takes four display steps, one picture each, "moving" or "turning" while it lasts, and
// sends closescene() before and openscene() after; a move into a wall, or a jump to the scene
// the player is on, sends nothing; jumps and turns change the scene at once.
TEST_F(SetBuiltinsTest, MovesTurnsAndJumps) {
  TitleRun& run = StartSet();
  run.Expect({{"opensetfile(\"SET.SCN\")", "OK"}});
  TakeLog();
  run.Expect({{"currentscene(\"strait\")", "OK | \"closescene:a \""}}, Log());
  const auto colours = [](std::size_t move, std::string_view a, std::string_view b,
                          std::string_view c, std::string_view d) {
    std::string text;
    for (int k = 1; k <= 4; ++k) {
      text += std::string(std::array{a, b, c, d}[static_cast<std::size_t>(k - 1)]) + " " +
              std::to_string(MoveColour(move, k)) + " ";
    }
    return text;
  };
  EXPECT_EQ(Steps(4), colours(kEastFromA, "\"moving\"", "\"moving\"", "\"moving\"", "\"east\""));
  EXPECT_EQ(run.Eval("\"\" @ currentscene() @ \",\" @ numtostring(playerxyz(1))"), "\"b,384\"");
  EXPECT_EQ(TakeLog(), "\"openscene-b:b \"");
  EXPECT_EQ(runtime().compositor()->sceneView().background().at(0, 0), MoveColour(kEastFromA, 4));

  run.Expect({{"currentscene(\"left\")", "OK | \"closescene-b \""}}, Log());
  EXPECT_EQ(run.Eval("currentdeg()"), "0");
  EXPECT_EQ(Steps(4),
            colours(kNorthFromBEast, "\"turning\"", "\"turning\"", "\"turning\"", "\"north\""));
  run.Expect({{"currentdeg()", "192 | \"openscene-b:b \""},
              {"currentscene(\"strait\")", "OK | \"\""},
              {"currentscene(\"b\")", "OK | \"\""},
              {"currentscene(\"sideways\")", std::string(kNoObject) + " | \"\""},
              {"currentscene(\"a\")", "OK | \"closescene-b openscene:a \""},
              {"currentdir(\"west\")", "OK | \"closescene:a openscene:a \""},
              {"currentdir()", "\"west\" | \"\""}},
             Log());
  // currentdeg's low 8 bits pick the direction.
  for (const auto& [angle, direction] : {std::pair{31, "east"},
                                         {32, "south"},
                                         {96, "south"},
                                         {97, "west"},
                                         {224, "north"},
                                         {225, "east"},
                                         {256 + 100, "west"}}) {
    run.Expect({{"currentdeg(" + std::to_string(angle) + ")", "OK"},
                {"currentdir()", "\"" + std::string(direction) + "\""}});
  }
  // The scene view is the top 264 rows of the stage; hidden, it is not hit.
  run.Expect({{"\"\" @ hittest(makepoint(10, 10)) @ \"/\" @ result()", "\"a/scene\""},
              {"setvisible(false)", "OK"},
              {"\"\" @ hittest(makepoint(10, 10)) @ \"/\" @ result()", "\"/none\""}});
}

// Paths are found by their two stars, reversed when walked from the second; stars without a path
// have none. Standing, the player's next moves' pictures are preloaded one an idle step.
TEST_F(SetBuiltinsTest, PathsDestinationsAndPreload) {
  TitleRun& run = StartSet();
  run.Expect({{"opensetfile(\"SET.SCN\")", "OK"}});
  SetObjects& set = *runtime().setObjects();
  const auto path = [&](std::string_view from, std::string_view to, bool resume) {
    const auto found = set.FindPath(from, to, resume);
    std::string text = found ? "" : "none";
    for (const PathPoint& p : found ? found->points : std::vector<PathPoint>{})
      text += test::Print(Rect{p.x, p.y, p.z, p.length}) + " ";
    return text;
  };
  EXPECT_EQ(path("lamp", "bench", false), "300,100,20,0 400,200,0,100 ");
  EXPECT_EQ(path("BENCH", "lamp", false), "400,200,0,0 300,100,20,100 ");
  EXPECT_EQ(path("", "lamp", true), "400,200,0,0 300,100,20,100 ");
  EXPECT_EQ(path("door", "ghost", false), "none");
  for (const auto& [text, point] : {std::pair{"512, 640, -10", "512,640,-10"},
                                    {" 1,2,3 ", "1,2,3"},
                                    {"1,2", "none"},
                                    {"1,2,3,4", "none"},
                                    {"a,b,c", "none"},
                                    {"1, -, 3", "none"}}) {
    const auto p = ParseCustomDestination(text);
    EXPECT_EQ(
        p ? std::to_string(p->x) + "," + std::to_string(p->y) + "," + std::to_string(p->z) : "none",
        point)
        << text;
  }
  // Facing east at "a": forward, left and right, six pictures each.
  int preloaded = 0;
  while (set.PreloadStep() && preloaded < 100) ++preloaded;
  EXPECT_EQ(preloaded, 18);
}

// A header that says 0 where it must not, a move table shorter than its count and a star record
// that is not there are reported fatal errors, and the set does not open.
TEST_F(SetBuiltinsTest, DamagedSetFilesAreRefused) {
  const struct {
    void (*change)(SetHeader&);
    std::string box;
  } cases[] = {
      {[](SetHeader& h) { h.check28 = 0; }, UndefinedErrorLine(5134)},
      {[](SetHeader& h) { h.moveCount = 1000; }, UndefinedErrorLine(5136)},
      {[](SetHeader& h) { h.starRecordId = 5000; }, "5137"},
  };
  for (const auto& c : cases) {
    TitleRun& run = StartSet(c.change);
    run.Expect({{"opensetfile(\"SET.SCN\")", "Resource not found."}, {"currentset()", "\"None\""}});
    EXPECT_NE(run.Boxes().find(c.box), std::string::npos) << run.Boxes();
  }
}

}  // namespace
}  // namespace lw::testing
