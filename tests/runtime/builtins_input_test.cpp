// The built-ins of input and cursors: system scripts played with scripted presses and moves, and
// line tables typed into the message box of a booted title.
#include <gtest/gtest.h>

#include <string>

#include "resources/program_resources.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

class InputBuiltinsTest : public TitleTest {
 protected:
  // The cursor shown, named by the program cursor resource with the same image and hot spot
  // ("other" for none of them), and " hidden" while it is hidden.
  const LineProbe cursor_ = [this] {
    const platform::CursorImage* shown = platform().cursor();
    std::string name = "other";
    for (const std::string_view resource : {"CURS.HAND", "CURS.ARROW", "CURS2002", "CURS.SIGHT"}) {
      const platform::CursorImage* image = FindCursorResource(resource);
      if (shown != nullptr && image != nullptr && shown->pixels == image->pixels &&
          shown->hotSpot.h == image->hotSpot.h && shown->hotSpot.v == image->hotSpot.v) {
        name = resource;
        break;
      }
    }
    return platform().cursorVisible() ? name : name + " hidden";
  };
};

TEST_F(InputBuiltinsTest, QuitEndsTheRunAfterTheHandlerFinishes) {
  TitleRun& run = Boot(
      "code boot()\n\tglobal after, idles\n\tidles = 0\n\tcursor(\"hand\")\n\tquit()\n"
      "\tafter = 1\nendcode\n"
      "code idle()\n\tglobal idles\n\tidles = idles + 1\nendcode\n",
      "wait 600");
  runtime().loop().Run(LoopLimits{.endTick = 600, .inputFinished = {}});
  EXPECT_LT(platform().ticks(), 10u);
  // The handler goes on after quit(); the pass of the quit is the last; the held cursor shows.
  run.Expect({{"after", "1"}, {"idles", "1"}});
  EXPECT_EQ(cursor_(), "CURS2002");
}

// Screen (74, 68) is stage (h 10, v 20), packed 10 x 65536 + 20; (100, 90) is stage (36, 42).
// The message box, which runs outside the stage's drawing, gets the same stage point.
TEST_F(InputBuiltinsTest, ButtonStillDownAndMouseFollowAPress) {
  TitleRun& run = Boot(
      "code idle()\n\tglobal down, still, where\n\tdown = button()\n\tstill = stilldown()\n"
      "\twhere = mouse()\nendcode\n",
      "press 74 68\nwait 10\nmove 100 90\nhold shift+a 10\nrelease 100 90\nwait 10");
  // At ticks 5, 15 and 25: button(), stilldown() and mouse() in idle() and in the box, and
  // shiftkey() (Shift is held from tick 10 to 20).
  std::string seen;
  for (const std::uint64_t tick : {5, 15, 25}) {
    run.RunUntilTick(tick);
    for (const std::string_view line : {"down", "still", "where", "mouse()", "shiftkey()"})
      seen += run.Eval(line) + (line == "shiftkey()" ? "\n" : " ");
  }
  EXPECT_EQ(seen,
            "True True 655380 655380 False\nTrue True 2359338 2359338 True\n"
            "False False 2359338 2359338 False\n");
}

// A release waiting in the queue ends the press for stilldown, though the button is down again.
TEST_F(InputBuiltinsTest, StillDownEndsWhileAReleaseWaits) {
  TitleRun& run = Boot(
      "code boot()\n\tglobal down, still\n\tdown = button()\n\tstill = stilldown()\nendcode\n"
      "code idle()\n\tglobal still\n\tstill = stilldown()\nendcode\n",
      "press 74 68\nrelease 74 68\npress 74 68\nwait 30");
  runtime().loop().Pass();
  run.Expect({{"down", "True"}, {"still", "False"}});
  run.RunUntilTick(10);
  run.Expect({{"still", "True"}});  // once the release is taken, the new press goes on
}

TEST_F(InputBuiltinsTest, FlushEventsDropsQueuedInput) {
  EXPECT_EQ(CallsOf("key a\nclick 74 68\nwait 5\nkey b",
                    "code boot()\n\tflushevents()\nendcode\ncode keydown(k)\nendcode\n"),
            "boot() keydown(\"b\")")
      << "what was queued before boot() is gone; later input arrives";
}

// "watch" is the held cursor, in any case; the cursor shows while there have been as many shows
// as hides.
TEST_F(InputBuiltinsTest, CursorsByNameNumberAndTheHeldOne) {
  Boot(kRecordingScript)
      .Expect({{"cursor(\"hand\")", "OK | CURS.HAND"},
               {"cursor(\"arrow\")", "OK | CURS.ARROW"},
               {"cursor(\"Watch\")", "OK | CURS2002"},
               {"cursor(2002)", "OK | CURS2002"},
               {"cursor(\"nosuch\")", "Resource not found. | CURS2002"},
               {"cursor(7)", "Resource not found. | CURS2002"},
               {"cursor(true)", "Bad argument type. | CURS2002"},
               {"hidecursor()", "OK | CURS2002 hidden"},
               {"hidecursor()", "OK | CURS2002 hidden"},
               {"showcursor()", "OK | CURS2002 hidden"},
               {"showcursor()", "OK | CURS2002"}},
              cursor_);
}

}  // namespace
}  // namespace lw::testing
