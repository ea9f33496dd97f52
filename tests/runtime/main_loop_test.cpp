// The main loop as a title sees it: which handler calls input turns into, in which order, what a
// failing handler does to the rest of its pass, and how the loop rests when nothing happens.
// Every test runs a real boot file on the headless platform.
#include <gtest/gtest.h>

#include <string>

#include "support/runtime_title.h"

namespace lw::testing {
namespace {

class MainLoopTest : public TitleTest {};

TEST_F(MainLoopTest, InputBecomesHandlerCallsInOrder) {
  const struct {
    std::string_view input;
    std::string_view calls;  // after boot()
  } cases[] = {
      // Command keys: menustate(), then the item of the command-key table, if any.
      {"key ctrl+q", "menustate() menuselect(\"quit\")"},
      {"key ctrl+8\nkey ctrl+0\nkey ctrl+m",
       "menustate() menuselect(\"volume 8\") menustate() menuselect(\"volume 0\") menustate() "
       "menuselect(\"message\")"},
      {"key ctrl+x\nkey esc", "menustate() menustate()"},
      // Arrows have names; the typed double quote is "quote".
      {"key up\nkey down\nkey left\nkey right\nkey \"",
       "keydown(\"uparrow\") keydown(\"downarrow\") keydown(\"leftarrow\") "
       "keydown(\"rightarrow\") keydown(\"quote\")"},
      // Input queued before the first pass still comes after boot(). A click at stage point
      // (h, v) is the 32-bit word with h in the high half and v in the low half: screen point
      // (74, 68) is stage point (10, 20), and (0, 0) is (-64, -48).
      {"key a\nclick 74 68\nclick 0 0", "keydown(\"a\") mousedown(655380) mousedown(-4128816)"},
      // A held key repeats 30 ticks after its press, then every 3 ticks; with Ctrl only the
      // press makes a menu call.
      {"hold a 40",
       "keydown(\"a\") keyrepeat(\"a\") keyrepeat(\"a\") keyrepeat(\"a\") keyrepeat(\"a\")"},
      {"hold ctrl+x 40", "menustate()"},
  };
  for (const auto& c : cases) EXPECT_EQ(CallsOf(c.input), "boot() " + std::string(c.calls));
}

// After a failing idle() the pass runs no key handler; the next pass runs idle() again.
TEST_F(MainLoopTest, FailingIdleSkipsTheRestOfItsPass) {
  // "f" makes the next two idle() runs fail; "a" is taken in the second of them.
  TitleRun& run = Boot(kRecordingScript, "key f\nkey a\nwait 10\nkey b");
  for (int passes = 1; passes <= 200; ++passes) {
    runtime().loop().Pass();
    ASSERT_EQ(run.Eval("idles"), std::to_string(passes)) << "idle() ran in every pass";
  }
  // The second failure repeats the first at the same statement: the log tells it at the end.
  EXPECT_EQ(run.Calls(),
            "boot() keydown(\"f\") error: in idle (Boot Message, line 12): Divide by zero. "
            "keydown(\"b\")");
}

// Null ticks flow in every pass once 20 ticks pass without an event; an event restarts the wait.
// The trace has one letter per tick: n when a pass of that tick took a null tick, else '.'.
TEST_F(MainLoopTest, NullTicksComeAfterTwentyQuietTicks) {
  TitleRun& run = Boot(kRecordingScript, "wait 50\nkey a\nwait 60");
  std::string trace(100, '.');
  for (std::uint64_t tick = 0; tick < trace.size(); tick = run.platform().ticks()) {
    const std::uint64_t before = runtime().stage()->nullTicks();
    runtime().loop().Pass();
    if (runtime().stage()->nullTicks() > before) trace[tick] = 'n';
  }
  // The start counts as the last event; the key comes at tick 50. A pass that began in the tick
  // before a change may see it, so those ticks are left out.
  EXPECT_EQ(trace.substr(0, 19) + trace.substr(50, 19), std::string(38, '.'));
  EXPECT_EQ(trace.substr(21, 28) + trace.substr(71, 28), std::string(56, 'n'));
}

// A title with nothing to do sleeps until its next tick: one pass, one idle(), a tick. Input
// wakes it at once, and each event taken is followed by one more pass. A loop that spins would
// run idle() several times a tick.
TEST_F(MainLoopTest, AnIdleTitleSleepsUntilItsNextTick) {
  const struct {
    std::string_view input;
    std::size_t calls;  // boot(), then a keydown and 190 repeats (ticks 30 to 597)
    int mostIdles;      // 601 passes from tick 0 to tick 600, and one after each event
  } cases[] = {{"wait 600", 1, 610}, {"hold a 600", 192, 610 + 191}};
  for (const auto& c : cases) {
    TitleRun& run = Boot(kRecordingScript, c.input);
    runtime().loop().Run(LoopLimits{.endTick = 600, .inputFinished = {}});
    EXPECT_EQ(run.calls.size(), c.calls) << c.input;
    const int idles = std::stoi(run.Eval("idles"));
    EXPECT_GE(idles, 600) << c.input << ": idle() at least once a tick";
    EXPECT_LE(idles, c.mostIdles) << c.input;
  }
}

// The waits of scripts sleep as well: a wait of 60 ticks polls a few times, not once a
// millisecond, and a key wakes the sleeping loop in the tick it comes.
TEST_F(MainLoopTest, WaitsSleepAndInputWakesTheLoop) {
  TitleRun& run =
      Boot("code keydown(key)\n\tglobal at\n\tat = tick()\nendcode\n", "wait 100\nkey a\nwait 10");
  const std::uint64_t polls = platform().emptyPolls();
  runtime().windows().WaitTicks(60);
  EXPECT_LE(platform().emptyPolls() - polls, 10u);
  runtime().loop().Run(LoopLimits{.endTick = 200, .inputFinished = {}});
  EXPECT_EQ(run.Eval("at"), "100");
}

}  // namespace
}  // namespace lw::testing
