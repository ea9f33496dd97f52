// The main loop as a title sees it: which handler calls input turns into, in which order, what a
// failing handler does to the rest of its pass, and how the loop rests when nothing happens.
// Every test runs a real boot file on the headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/runtime_title.h"

namespace lw::testing {
namespace {

using Calls = std::vector<std::string>;

class MainLoopTest : public TitleTest {};

TEST_F(MainLoopTest, InputBecomesHandlerCallsInOrder) {
  const std::pair<std::string_view, Calls> cases[] = {
      // Command keys: menustate(), then the item of the command-key table, if any.
      {"key ctrl+q", {"menustate()", "menuselect(\"quit\")"}},
      {"key ctrl+8", {"menustate()", "menuselect(\"volume 8\")"}},
      {"key ctrl+0\nkey ctrl+m",
       {"menustate()", "menuselect(\"volume 0\")", "menustate()", "menuselect(\"message\")"}},
      {"key ctrl+x", {"menustate()"}},
      {"key esc", {"menustate()"}},
      // Arrows have names; the typed double quote is "quote".
      {"key up\nkey down\nkey left\nkey right",
       {"keydown(\"uparrow\")", "keydown(\"downarrow\")", "keydown(\"leftarrow\")",
        "keydown(\"rightarrow\")"}},
      {"key \"\nkey a", {"keydown(\"quote\")", "keydown(\"a\")"}},
      // Input queued before the first pass still comes after boot().
      {"key a\nkey b\nclick 74 68", {"keydown(\"a\")", "keydown(\"b\")", "mousedown(655380)"}},
      // A held key repeats 30 ticks after its press, then every 3 ticks; with Ctrl only the
      // press makes a menu call.
      {"hold a 40",
       {"keydown(\"a\")", "keyrepeat(\"a\")", "keyrepeat(\"a\")", "keyrepeat(\"a\")",
        "keyrepeat(\"a\")"}},
      {"hold ctrl+x 40", {"menustate()"}},
  };
  for (const auto& [input, calls] : cases) {
    Calls expected{"boot()"};
    expected.insert(expected.end(), calls.begin(), calls.end());
    EXPECT_EQ(CallsOf(input), expected) << input;
  }
}

// A click at stage point (h, v) reaches mousedown as the 32-bit word with h in the high half and
// v in the low half: screen point (0, 0) is stage point (-64, -48).
TEST_F(MainLoopTest, ClicksArriveInStageCoordinates) {
  UseScript("code mousedown(where)\n\tglobal lastclick\n\tlastclick = where\nendcode\n");
  TitleRun run(title(), "click 0 0");
  ASSERT_TRUE(run.Begin());
  run.Passes(10);
  EXPECT_EQ(run.calls, (Calls{"boot()", "mousedown(-4128816)"}));
  EXPECT_EQ(run.Global("lastclick"), -4128816);
}

// After a failing idle() the pass runs no key handler; the next pass runs idle() again.
TEST_F(MainLoopTest, FailingIdleSkipsTheRestOfItsPass) {
  UseScript(kRecordingScript);
  // "f" makes the next two idle() runs fail; "a" is taken in the second of them.
  TitleRun run(title(), "key f\nkey a\nwait 10\nkey b");
  ASSERT_TRUE(run.Begin());
  bool sawFailure = false;
  for (int passes = 1; passes <= 200; ++passes) {
    run.Passes(1);
    sawFailure = sawFailure || run.runtime().interpreter()->errorPending();
    ASSERT_EQ(run.Global("idles"), passes) << "idle() ran in every pass";
  }
  EXPECT_TRUE(sawFailure);
  EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"f\")", "keydown(\"b\")"}));
}

TEST_F(MainLoopTest, TitleWithoutIdleHandlerLoopsWithoutError) {
  UseScript("code keydown(key)\nendcode\n");
  TitleRun run(title(), "wait 5\nkey a");
  ASSERT_TRUE(run.Begin());
  for (int pass = 0; pass < 300; ++pass) {
    run.Passes(1);
    ASSERT_FALSE(run.runtime().interpreter()->errorPending()) << "pass " << pass;
  }
  EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"a\")"}));
}

// Null ticks flow in every pass once 20 ticks pass without an event; an event restarts the wait.
// The trace has one letter per tick: n when a pass of that tick took a null tick, else '.'.
TEST_F(MainLoopTest, NullTicksComeAfterTwentyQuietTicks) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "wait 50\nkey a\nwait 60");
  ASSERT_TRUE(run.Begin());
  std::string trace(100, '.');
  for (std::uint64_t tick = 0; tick < trace.size(); tick = run.platform().ticks()) {
    const std::uint64_t before = run.runtime().stage()->nullTicks();
    run.Passes(1);
    if (run.runtime().stage()->nullTicks() > before) trace[tick] = 'n';
  }
  // The start counts as the last event; the key comes at tick 50. A pass that began in the tick
  // before a change may see it, so those ticks are left out.
  EXPECT_EQ(trace.substr(0, 19) + trace.substr(50, 19), std::string(38, '.'));
  EXPECT_EQ(trace.substr(21, 28) + trace.substr(71, 28), std::string(56, 'n'));
}

// The message box window passes the arrows on to the stage window and keeps other keys.
TEST_F(MainLoopTest, ArrowsFromTheMessageBoxGoToTheStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "key up\nkey a\nkey ctrl+q");
  ASSERT_TRUE(run.Begin());
  RuntimeWindow& messageBox = *run.runtime().messageBox().window();
  run.runtime().windows().ShowRuntimeWindow(messageBox);
  run.runtime().windows().setFrontWindow(&messageBox);
  run.Passes(20);
  EXPECT_EQ(run.calls,
            (Calls{"boot()", "keydown(\"uparrow\")", "menustate()", "menuselect(\"quit\")"}));
}

// A title with nothing to do sleeps until its next tick: one pass, one idle(), a tick. Input
// wakes it at once, and each event taken is followed by one more pass. A loop that spins would
// run idle() several times a tick.
TEST_F(MainLoopTest, AnIdleTitleSleepsUntilItsNextTick) {
  UseScript(kRecordingScript);
  const struct {
    std::string_view input;
    std::size_t calls;  // boot(), then a keydown and 190 repeats (ticks 30 to 597)
    int mostIdles;      // 601 passes from tick 0 to tick 600, and one after each event
  } cases[] = {{"wait 600", 1, 610}, {"hold a 600", 192, 610 + 191}};
  for (const auto& c : cases) {
    TitleRun run(title(), c.input);
    ASSERT_TRUE(run.Begin());
    run.runtime().loop().Run(LoopLimits{.endTick = 600, .inputFinished = {}});
    EXPECT_EQ(run.calls.size(), c.calls) << c.input;
    EXPECT_GE(run.Global("idles"), 600) << c.input << ": idle() at least once a tick";
    EXPECT_LE(run.Global("idles"), c.mostIdles) << c.input;
  }
}

// The waits of scripts sleep as well: a wait of 60 ticks polls a few times, not once a
// millisecond, and a key wakes the sleeping loop in the tick it comes.
TEST_F(MainLoopTest, WaitsSleepAndInputWakesTheLoop) {
  UseScript("code keydown(key)\n\tglobal at\n\tat = tick()\nendcode\n");
  TitleRun run(title(), "wait 100\nkey a\nwait 10");
  ASSERT_TRUE(run.Begin());
  WindowSystem& windows = run.runtime().windows();
  const std::uint64_t polls = run.platform().emptyPolls();
  const std::uint32_t start = windows.TickCount();
  windows.WaitTicks(60);
  windows.WaitNextTick();
  EXPECT_GE(windows.TickCount() - start, 61u);
  EXPECT_LE(windows.TickCount() - start, 62u);
  EXPECT_LE(run.platform().emptyPolls() - polls, 10u);
  run.runtime().loop().Run(LoopLimits{.endTick = 200, .inputFinished = {}});
  EXPECT_EQ(run.Global("at"), 100);
}

}  // namespace
}  // namespace lw::testing
