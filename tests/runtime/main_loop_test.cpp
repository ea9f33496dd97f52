// The main loop as a title sees it: which handler calls input turns into, in which order, and
// what a failing handler does to the rest of its pass. Every test runs a real boot file on the
// headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/handler_calls.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

using Calls = std::vector<std::string>;

struct InputCase {
  std::string_view input;
  Calls calls;  // after boot()
};

class MainLoopTest : public TitleTest {};

TEST_F(MainLoopTest, KeysBecomeHandlerCallsInOrder) {
  const InputCase cases[] = {
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
  };
  for (const InputCase& c : cases) {
    Calls expected{"boot()"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(CallsOf(c.input), expected) << c.input;
  }
}

TEST_F(MainLoopTest, HeldKeyRepeatsAfterOneKeydown) {
  const Calls calls = CallsOf("hold a 40");
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[1], "keydown(\"a\")");
  for (std::size_t i = 2; i < calls.size(); ++i) EXPECT_EQ(calls[i], "keyrepeat(\"a\")");
  // Repeats with Ctrl held are dropped: only the first press makes a menu call.
  EXPECT_EQ(CallsOf("hold ctrl+x 40"), (Calls{"boot()", "menustate()"}));
}

// A click at stage point (h, v) reaches mousedown as the 32-bit word with h in the high half and
// v in the low half: (h 10, v 20) is 655380, and a negative v is its 16-bit pattern.
TEST_F(MainLoopTest, ClicksArriveInStageCoordinates) {
  UseScript("code mousedown(where)\n\tglobal lastclick\n\tlastclick = where\nendcode\n");
  TitleRun run(title(), "click 0 0");
  ASSERT_TRUE(run.runtime().Begin());
  for (int pass = 0; pass < 10; ++pass) run.runtime().loop().Pass();
  const std::int32_t expected = -64 * 65536 + (65536 - 48);
  EXPECT_EQ(run.calls, (Calls{"boot()", "mousedown(" + std::to_string(expected) + ")"}));
  EXPECT_EQ(run.Global("lastclick"), expected);
  EXPECT_FALSE(run.runtime().interpreter()->errorPending());
  run.runtime().End();
}

// After a failing idle() the pass runs no key handler; the next pass runs idle() again.
TEST_F(MainLoopTest, FailingIdleSkipsTheRestOfItsPass) {
  UseScript(kRecordingScript);
  // "f" makes the next two idle() runs fail; "a" is taken in the second of them.
  TitleRun run(title(), "key f\nkey a\nwait 10\nkey b");
  ASSERT_TRUE(run.runtime().Begin());
  int passes = 0;
  bool sawFailure = false;
  while (!run.platform().scriptFinished() || passes < 200) {
    run.runtime().loop().Pass();
    ++passes;
    sawFailure = sawFailure || run.runtime().interpreter()->errorPending();
    ASSERT_EQ(run.Global("idles"), passes) << "idle() ran in every pass";
  }
  EXPECT_TRUE(sawFailure);
  EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"f\")", "keydown(\"b\")"}));
  run.runtime().End();
}

TEST_F(MainLoopTest, TitleWithoutIdleHandlerLoopsWithoutError) {
  UseScript("code keydown(key)\nendcode\n");
  TitleRun run(title(), "wait 5\nkey a");
  ASSERT_TRUE(run.runtime().Begin());
  for (int pass = 0; pass < 300; ++pass) {
    run.runtime().loop().Pass();
    ASSERT_FALSE(run.runtime().interpreter()->errorPending()) << "pass " << pass;
  }
  EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"a\")"}));
  run.runtime().End();
}

// Null ticks flow in every pass once 20 ticks pass without an event; an event restarts the wait.
TEST_F(MainLoopTest, NullTicksComeAfterTwentyQuietTicks) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "wait 50\nkey a\nwait 60");
  ASSERT_TRUE(run.runtime().Begin());
  WindowSystem& windows = run.runtime().windows();
  const StageWindow& stage = *run.runtime().stage();
  struct PassRecord {
    std::uint32_t tick;
    bool nullTick;
  };
  std::vector<PassRecord> passes;
  const std::uint32_t start = windows.TickCount();
  while (windows.TickCount() < start + 100) {
    const std::uint64_t before = stage.nullTicks();
    run.runtime().loop().Pass();
    passes.push_back({windows.TickCount() - start, stage.nullTicks() > before});
  }
  const auto inRange = [&](std::uint32_t from, std::uint32_t to, bool expected) {
    int checked = 0;
    for (const PassRecord& pass : passes) {
      if (pass.tick < from || pass.tick > to) continue;
      EXPECT_EQ(pass.nullTick, expected) << "tick " << pass.tick;
      ++checked;
    }
    EXPECT_GT(checked, 0) << from << ".." << to;
  };
  inRange(0, 18, false);   // the start counts as the last event
  inRange(22, 48, true);   // nothing queued: every pass
  inRange(52, 68, false);  // the key at tick 50
  inRange(72, 98, true);
  run.runtime().End();
}

// The message box window passes the arrows on to the stage window and keeps other keys.
TEST_F(MainLoopTest, ArrowsFromTheMessageBoxGoToTheStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "key up\nkey a\nkey ctrl+q");
  ASSERT_TRUE(run.runtime().Begin());
  RuntimeWindow& messageBox = *run.runtime().messageBox().window();
  run.runtime().windows().ShowRuntimeWindow(messageBox);
  run.runtime().windows().setFrontWindow(&messageBox);
  for (int pass = 0; pass < 20; ++pass) run.runtime().loop().Pass();
  EXPECT_EQ(run.calls,
            (Calls{"boot()", "keydown(\"uparrow\")", "menustate()", "menuselect(\"quit\")"}));
  run.runtime().End();
}

}  // namespace
}  // namespace lw::testing
