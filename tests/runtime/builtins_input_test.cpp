// The built-ins of input, time and cursors as a title sees them: system scripts run on the
// headless platform with scripted presses, moves, releases and held keys, and lines typed into
// the message box of a booted title.
#include <gtest/gtest.h>

#include <string>

#include "resources/program_resources.h"
#include "runtime/stage_window.h"
#include "script/console.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

class InputBuiltinsTest : public TitleTest {
 protected:
  // Runs loop passes until the platform's clock reaches `tick`.
  static void RunUntilTick(TitleRun& run, std::uint64_t tick) {
    while (run.platform().ticks() < tick) run.runtime().loop().Pass();
  }
  // Runs one line in the booted title's message box; the outcome the box shows.
  static std::string Eval(TitleRun& run, std::string_view line) {
    run.runtime().interpreter()->beginPass();
    return RunConsoleLine(*run.runtime().interpreter(), line);
  }
};

// Whether the platform shows the cursor resource `name`.
bool ShowsCursor(const platform::HeadlessPlatform& platform, std::string_view name) {
  const platform::CursorImage* expected = FindCursorResource(name);
  const platform::CursorImage* shown = platform.cursor();
  return expected != nullptr && shown != nullptr && shown->pixels == expected->pixels &&
         shown->hotSpot.h == expected->hotSpot.h && shown->hotSpot.v == expected->hotSpot.v;
}

TEST_F(InputBuiltinsTest, QuitEndsTheRunAfterTheHandlerFinishes) {
  UseScript(
      "code boot()\n\tglobal after, idles\n\tidles = 0\n\tcursor(\"hand\")\n\tquit()\n"
      "\tafter = 1\nendcode\n"
      "code idle()\n\tglobal idles\n\tidles = idles + 1\nendcode\n");
  TitleRun run(title(), "wait 600");
  ASSERT_TRUE(run.runtime().Begin());
  run.runtime().loop().Run(LoopLimits{.endTick = 600, .inputFinished = {}});
  EXPECT_EQ(run.Global("after"), 1) << "the handler goes on after quit()";
  EXPECT_EQ(run.Global("idles"), 1) << "the pass of the quit is the last";
  EXPECT_LT(run.platform().ticks(), 10u);
  EXPECT_TRUE(ShowsCursor(run.platform(), "CURS2002")) << "quit shows the held cursor";
  EXPECT_EQ(run.runtime().End(), Runtime::kExitOk);
}

TEST_F(InputBuiltinsTest, TickFollowsTheClockAndDelayWaitsItsTicks) {
  UseScript(
      "code boot()\n\tglobal t0, t1, t2\n\tt0 = tick()\n\tdelay(6)\n\tt1 = tick()\n"
      "\tdelay(0)\n\tdelay(-30)\n\tt2 = tick()\nendcode\n");
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  run.runtime().loop().Pass();
  // A read of the clock may land just past a tick boundary: one tick of slack.
  EXPECT_GE(run.Global("t1") - run.Global("t0"), 6);
  EXPECT_LE(run.Global("t1") - run.Global("t0"), 7);
  EXPECT_LE(run.Global("t2") - run.Global("t1"), 1) << "delay below 1 does not wait";
  EXPECT_EQ(Eval(run, "tick"), "Expected paren '(' or ')'.");
  EXPECT_EQ(Eval(run, "delay(\"6\")"), "Bad argument type.");
  run.runtime().End();
}

TEST_F(InputBuiltinsTest, ButtonStillDownAndMouseFollowAPress) {
  UseScript(
      "code idle()\n\tglobal down, still, where\n\tdown = button()\n\tstill = stilldown()\n"
      "\twhere = mouse()\nendcode\n");
  TitleRun run(title(), "press 74 68\nwait 10\nmove 100 90\nwait 10\nrelease 100 90\nwait 10");
  ASSERT_TRUE(run.runtime().Begin());
  RunUntilTick(run, 5);
  EXPECT_EQ(run.Global("down"), 1);
  EXPECT_EQ(run.Global("still"), 1);
  EXPECT_EQ(run.Global("where"), 10 * 65536 + 20) << "screen (74, 68) is stage (h 10, v 20)";
  RunUntilTick(run, 15);
  EXPECT_EQ(run.Global("where"), PackPoint(Point{.v = 90 - 48, .h = 100 - 64}));
  RunUntilTick(run, 25);
  EXPECT_EQ(run.Global("down"), 0);
  EXPECT_EQ(run.Global("still"), 0);
  // The message box, which runs outside the stage's drawing, gets the same stage point.
  EXPECT_EQ(Eval(run, "mouse()"), std::to_string(PackPoint(Point{.v = 42, .h = 36})));
  run.runtime().End();
}

// A release waiting in the queue ends the press for stilldown, though the button is down again.
TEST_F(InputBuiltinsTest, StillDownEndsWhileAReleaseWaits) {
  UseScript(
      "code boot()\n\tglobal down, still\n\tdown = button()\n\tstill = stilldown()\nendcode\n"
      "code idle()\n\tglobal still\n\tstill = stilldown()\nendcode\n");
  TitleRun run(title(), "press 74 68\nrelease 74 68\npress 74 68\nwait 30");
  ASSERT_TRUE(run.runtime().Begin());
  run.runtime().loop().Pass();
  EXPECT_EQ(run.Global("down"), 1);
  EXPECT_EQ(run.Global("still"), 0);
  RunUntilTick(run, 10);
  EXPECT_EQ(run.Global("still"), 1) << "once the release is taken, the new press goes on";
  run.runtime().End();
}

TEST_F(InputBuiltinsTest, ShiftAndControlShowWhileAKeyIsHeld) {
  UseScript(
      "code idle()\n\tglobal shift, control\n\tshift = shiftkey()\n"
      "\tcontrol = commandkey()\nendcode\n");
  TitleRun run(title(), "hold shift+a 20\nwait 10\nhold ctrl+a 20\nwait 10");
  ASSERT_TRUE(run.runtime().Begin());
  const struct {
    std::uint64_t tick;
    std::int32_t shift, control;
  } samples[] = {{10, 1, 0}, {25, 0, 0}, {40, 0, 1}, {55, 0, 0}};
  for (const auto& s : samples) {
    RunUntilTick(run, s.tick);
    EXPECT_EQ(run.Global("shift"), s.shift) << "at tick " << s.tick;
    EXPECT_EQ(run.Global("control"), s.control) << "at tick " << s.tick;
  }
  run.runtime().End();
}

TEST_F(InputBuiltinsTest, FlushEventsDropsQueuedInput) {
  UseScript(
      "code boot()\n\tflushevents()\nendcode\n"
      "code keydown(k)\nendcode\ncode mousedown(p)\nendcode\n");
  TitleRun run(title(), "key a\nclick 74 68\nwait 5\nkey b");
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  EXPECT_EQ(run.calls, (std::vector<std::string>{"boot()", "keydown(\"b\")"}))
      << "what was queued before boot() is gone; later input arrives";
}

TEST_F(InputBuiltinsTest, CursorsByNameNumberAndTheHeldOne) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.runtime().Begin());
  const struct {
    std::string_view line, outcome, shows;
  } cases[] = {
      {"cursor(\"hand\")", "OK", "CURS.HAND"},
      {"cursor(\"arrow\")", "OK", "CURS.ARROW"},
      {"cursor(\"Watch\")", "OK", "CURS2002"},  // "watch" is the held cursor, in any case
      {"cursor(\"sight\")", "OK", "CURS.SIGHT"},
      {"cursor(2002)", "OK", "CURS2002"},
      {"cursor(\"nosuch\")", "Resource not found.", "CURS2002"},
      {"cursor(7)", "Resource not found.", "CURS2002"},
      {"cursor(true)", "Bad argument type.", "CURS2002"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Eval(run, c.line), c.outcome) << c.line;
    EXPECT_TRUE(ShowsCursor(run.platform(), c.shows)) << c.line;
  }
  // The cursor shows while there have been as many shows as hides.
  EXPECT_EQ(Eval(run, "hidecursor()"), "OK");
  EXPECT_EQ(Eval(run, "hidecursor()"), "OK");
  EXPECT_EQ(Eval(run, "showcursor()"), "OK");
  EXPECT_FALSE(run.platform().cursorVisible());
  EXPECT_EQ(Eval(run, "showcursor()"), "OK");
  EXPECT_TRUE(run.platform().cursorVisible());
  run.runtime().End();
}

}  // namespace
}  // namespace lw::testing
