// The runtime's windows, the window procedure, pause and resume, the pump and the clock, over
// the fake platform and a real screen canvas; and the event queue they post to.
#include "shell/windows/window_system.h"

#include <gtest/gtest.h>

#include "shell/drawing/graphics.h"

#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {
namespace {

using platform::MessageKind;

class WindowSystemTest : public ::testing::Test, protected ShellRig {
 protected:
  // An active title: the stage window over the whole canvas, shown, and an empty queue. The
  // hooks of other layers note their calls in `log`.
  void SetUp() override {
    platform.openWindow(platform::WindowOptions{});
    stage = windows.CreateRuntimeWindow("Moss");
    windows.SetWindowBounds(screen.rect(), *stage);
    windows.ShowRuntimeWindow(*stage);
    windows.setAppState(AppState::kActive);
    windows.queue().flush();
    windows.setHooks({.adjustCorrection =
                          [this](bool raise, bool first, bool second, bool third) {
                            log += std::string(" ") + (raise ? '+' : '-') + (first ? "1" : "") +
                                   (second ? "2" : "") + (third ? "3" : "");
                          },
                      .pauseOthers = [this] { log += " pause"; },
                      .resumeOthers = [this] { log += " resume"; },
                      .serviceSound = {}});
  }

  // A shown message box strip at the bottom of the canvas.
  RuntimeWindow& ShowMessageBox() {
    RuntimeWindow* box = windows.CreateMessagesWindow();
    windows.SetWindowBounds(Rect{436, 102, 473, 538}, *box);
    windows.ShowRuntimeWindow(*box);
    return *box;
  }

  // Queues a message of each kind (a middle button press for kButtonDown).
  void Queue(std::initializer_list<MessageKind> kinds) {
    for (const MessageKind kind : kinds) {
      platform.mouseMessage(kind, Point{});
      platform.messages.back().button = platform::MouseButton::kMiddle;
    }
  }
  // Feeds a message of each kind to the window procedure.
  void Handle(std::initializer_list<MessageKind> kinds) {
    for (const MessageKind kind : kinds) {
      platform::Message message;
      message.kind = kind;
      windows.HandleMessage(message);
    }
  }
  std::string Events() { return Drain(windows.queue()); }

  WindowSystem windows{platform, screen, errors};
  RuntimeWindow* stage = nullptr;
  std::string log;
};

TEST_F(WindowSystemTest, WindowsAreListedAndDrawOnTheCanvasWithinTheScreen) {
  RuntimeWindow* box = windows.CreateMessagesWindow();
  ASSERT_NE(box, nullptr);
  windows.SetWindowBounds(Rect{-10, 600, 500, 700}, *box);
  EXPECT_EQ(box->caption + " " + Print(box->bounds) + " " + Print(box->port.bounds),
            "Messages 0,600,480,640 0,600,480,640");
  EXPECT_TRUE(box->port.surface == &screen.canvas() && !box->visible);
  for (int i = 2; i < WindowSystem::kMaxWindows; ++i) windows.CreateRuntimeWindow("more");
  EXPECT_EQ(windows.CreateRuntimeWindow("one too many"), nullptr);
  EXPECT_EQ(windows.window(WindowSystem::kMaxWindows - 1)->caption, "more");
}

TEST_F(WindowSystemTest, TheTopmostVisibleWindowIsFoundAndDestroyedWindowsLeaveTheirEntry) {
  RuntimeWindow& box = ShowMessageBox();
  EXPECT_EQ(windows.FindWindowAt(Point{440, 300}), &box);
  EXPECT_EQ(windows.FindWindowAt(Point{10, 300}), stage);
  windows.setFrontWindow(&box);
  EXPECT_EQ(windows.FrontWindow(), &box);

  windows.DestroyRuntimeWindow(box);
  EXPECT_EQ(windows.window(1), nullptr);
  EXPECT_EQ(windows.FindWindowAt(Point{440, 300}), stage);
  EXPECT_EQ(windows.FrontWindow(), stage);
  EXPECT_EQ(windows.CreateMessagesWindow()->record.window, 2);
}

TEST_F(WindowSystemTest, WindowsOverOneThatDrawsAreUpdatedAfterIt) {
  RuntimeWindow& box = ShowMessageBox();
  EXPECT_EQ(Events(), "6:1");  // showing it updates only itself
  // Two paints leave one update of the stage, then of the strip over it.
  Handle({MessageKind::kPaint, MessageKind::kPaint});
  EXPECT_EQ(Events(), "6:0 6:1");

  // Hiding the strip uncovers the stage, whose drawing covers a window over it elsewhere.
  RuntimeWindow* corner = windows.CreateRuntimeWindow("corner");
  windows.SetWindowBounds(Rect{0, 0, 50, 50}, *corner);
  windows.ShowRuntimeWindow(*corner);
  windows.queue().flush();
  windows.HideRuntimeWindow(box);
  EXPECT_EQ(Events(), "6:0 6:2");
}

TEST_F(WindowSystemTest, KeysAndClicksArePostedWithTheirModifiers) {
  platform.keys("ctrl+q esc left up right down other f10");
  platform.click(Point{20, 10}, {.ctrl = false, .alt = true, .shift = false});
  platform.click(Point{30, 40}, {.ctrl = true, .alt = true, .shift = false});
  Queue({MessageKind::kButtonDown});  // the middle button is not the title's
  windows.PumpMessages();
  // Escape is Command-period; the arrows are characters 28 to 31; Alt's bit is one of the
  // command modifiers' bits; releases carry no modifiers.
  EXPECT_EQ(Events(),
            "3:113/1fa0 4:113/1fa0 3:46/1fa0 4:46/1fa0 3:28 4:28 3:30 4:30 3:29 4:29 3:31 4:31 "
            "1:0@20,10/800 2:0@20,10 1:0@30,40/1fa0 2:0@30,40");
}

TEST_F(WindowSystemTest, RepeatsCollapseAndCtrlFunctionKeysOnlyAdjustTheCorrection) {
  platform.keys("c");
  platform.messages.pop_back();  // held down: the platform repeats it
  for (int i = 0; i < 5; ++i) {
    platform.messages.push_back(platform.messages.front());
    platform.messages.back().repeat = true;
  }
  windows.PumpMessages();
  EXPECT_EQ(Events(), "3:99 5:99");
  // Ctrl+F1..F9 lower or raise all three exponents, then each alone, then reset; pressed in
  // pairs out of order so that each key's change shows.
  platform.keys(
      "ctrl+f2 ctrl+f1 ctrl+f4 ctrl+f3 ctrl+f6 ctrl+f5 ctrl+f8 ctrl+f7 ctrl+f9 ctrl+f10 f2");
  windows.PumpMessages();
  EXPECT_EQ(log, " +123 -123 +1 -1 +2 -2 +3 -3 -");
  EXPECT_EQ(Events(), "");
}

TEST_F(WindowSystemTest, SeventeenEventsLoseTheLastTwoWithABeep) {
  platform.keys("a b c d e f g h");
  platform.messages.push_back(platform.messages.front());  // a ninth key down
  windows.PumpMessages();
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(Events(),
            "3:97 4:97 3:98 4:98 3:99 4:99 3:100 4:100 3:101 4:101 3:102 4:102 3:103 4:103 3:104");
}

// A console line waits while its event is queued behind the keys before it. The line of an event
// lost to a full queue, or flushed, never runs under a later line's event.
TEST_F(WindowSystemTest, ConsoleLinesWaitForTheirEventsInTurn) {
  const auto consoleLine = [this](std::string text) {
    platform::Message message;
    message.kind = MessageKind::kConsoleLine;
    message.text = std::move(text);
    windows.HandleMessage(message);
  };
  // Each event taken: "KIND:MESSAGE", and the text of a console line's event ("-" when gone).
  const auto run = [this] {
    std::string taken;
    while (const auto event = windows.NextEvent(event_mask::kEvery)) {
      taken += " " + std::to_string(event->what) + ":" + std::to_string(event->message);
      if (event->what == event_kind::kConsoleLine)
        taken += "=" + windows.TakeConsoleLine(event->message).value_or("-");
    }
    return taken;
  };
  consoleLine("flushed");
  windows.FlushEvents();
  platform.keys("a b c d e f g");  // 14 events
  windows.PumpMessages();
  consoleLine("fifteenth");
  consoleLine("sixteenth");
  consoleLine("seventeenth");  // the queue is full: this one and the one before are lost
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(run(),
            " 3:97 4:97 3:98 4:98 3:99 4:99 3:100 4:100 3:101 4:101 3:102 4:102 3:103 4:103 "
            "43:1=fifteenth");
  consoleLine("after");
  EXPECT_EQ(run(), " 43:4=after");
  EXPECT_EQ(windows.TakeConsoleLine(2), std::nullopt);
}

TEST_F(WindowSystemTest, DisplayChangesCollapseFocusChangesWhileStartingDoNothingCloseQuits) {
  Handle({MessageKind::kDisplayChanged, MessageKind::kDisplayChanged, MessageKind::kMouseMove});
  EXPECT_EQ(Events(), "42:0");
  windows.setAppState(AppState::kStarting);
  Handle({MessageKind::kFocusGained, MessageKind::kFocusLost});
  EXPECT_EQ(windows.appState(), AppState::kStarting);
  EXPECT_EQ(log + Events(), "");
  EXPECT_FALSE(windows.quitRequested());
  Handle({MessageKind::kCloseRequest});
  EXPECT_TRUE(windows.quitRequested());
}

TEST_F(WindowSystemTest, DeactivationPausesAndActivationResumes) {
  RuntimeWindow& box = ShowMessageBox();
  const platform::CursorImage cursor{};
  windows.SetTitleCursor(&cursor);
  // The caption, what shows, and the calls of other layers.
  const auto state = [&] {
    return platform.caption + (platform.minimised ? " minimised" : "") +
           (stage->visible ? " stage" : "") + (box.visible ? " box" : "") + log;
  };

  Handle({MessageKind::kFocusLost, MessageKind::kFocusLost});
  EXPECT_EQ(state(), "Moss [paused] minimised stage pause");
  windows.SetTitleCursor(nullptr);  // the cursor is not ours while paused
  EXPECT_EQ(platform.cursor, &cursor);
  // A paint while paused shows black.
  screen.canvas().row(5)[5] = 7;
  windows.queue().flush();
  Handle({MessageKind::kPaint});
  EXPECT_EQ(screen.canvas().at(5, 5), 0);
  EXPECT_EQ(Events(), "");

  Handle({MessageKind::kFocusGained});
  EXPECT_EQ(windows.appState(), AppState::kActive);
  EXPECT_EQ(state(), "Moss stage box pause resume");
  EXPECT_EQ(platform.cursor, nullptr);
  EXPECT_EQ(Events(), "42:0 6:0 6:1");
}

TEST_F(WindowSystemTest, PumpingWhilePausedWaitsUntilTheTitleIsResumedOrClosed) {
  Handle({MessageKind::kFocusLost});
  platform.keys("a");
  Queue({MessageKind::kFocusGained});
  platform.keys("b");
  windows.PumpMessages();
  EXPECT_FALSE(windows.paused());
  EXPECT_EQ(platform.messages.size(), 2u);  // the pump stopped at the activation
  EXPECT_EQ(Events(), "3:97 4:97 42:0 6:0");

  Handle({MessageKind::kFocusLost});
  windows.PumpMessages();  // nothing comes: the player closes the window
  EXPECT_TRUE(windows.quitRequested());
  EXPECT_TRUE(windows.paused());
}

TEST_F(WindowSystemTest, TicksAreSixtiethsOfTheMillisecondClock) {
  platform.now = 999;
  EXPECT_EQ(windows.TickCount(), 60u);  // the pump moves the fake clock to 1000
  platform.now = 0x7FFFFFFFu;           // 2^31 ms x 3 does not fit in 32 bits; the count does
  EXPECT_EQ(windows.TickCount(), 128849018u);
  platform.now = 5000;
  windows.WaitTicks(6);
  EXPECT_EQ(platform.now, 5100u);
  platform.now = 0xFFFFFFC0u;  // the wait also ends when the clock wraps during it
  windows.WaitTicks(6);
  EXPECT_EQ(platform.now, 36u);
}

TEST_F(WindowSystemTest, TheMouseIsReadInTheWindowPlusItsOriginAndTheCursorShownByCount) {
  windows.SetWindowBounds(Rect{40, 30, 480, 640}, *stage);
  Graphics::SetOrigin(stage->port, -64, -48);
  platform.mouse = Point{100, 200};
  const Point mouse = windows.GetMouse(nullptr, &stage->port);
  // 100 - 40 - 48, 200 - 30 - 64
  EXPECT_EQ(Print(std::vector<Point>{mouse, windows.GetMouse(stage)}), "12,106 12,106");
  // A port of no window is a program error, reported once.
  const Point none = windows.GetMouse(nullptr, &screen.canvas().port);
  EXPECT_EQ(none.v + none.h, 0);
  ASSERT_EQ(reported.shown.size(), 1u);
  EXPECT_NE(reported.shown[0].text.find("408"), std::string::npos);

  // The cursor shows while its count is not negative.
  windows.HideTitleCursor();
  windows.HideTitleCursor();
  windows.ShowTitleCursor();
  EXPECT_FALSE(platform.cursorShown);
  windows.ShowTitleCursor();
  EXPECT_TRUE(platform.cursorShown);
}

// The event queue: coalescing and fetching by mask in arrival order (its loss when full is
// tested through the pump, which beeps).
using namespace event_kind;

// Posts without point or modifiers.
void Post(EventQueue& queue, std::uint16_t kind, std::uint32_t message, bool coalesce = false) {
  ASSERT_EQ(queue.post(coalesce, kind, message, std::nullopt, 0), EventQueue::PostResult::kQueued);
}

TEST(EventQueueTest, CoalescingRemovesOnlyLeadingDuplicatesOfTheSameMask) {
  EventQueue queue;
  Post(queue, kUpdate, 0);
  Post(queue, kKeyDown, 0);  // another mask: neither removed nor in the way
  Post(queue, kUpdate, 0);
  Post(queue, kUpdate, 0, true);
  EXPECT_EQ(Drain(queue), "3:0 6:0");
  // The oldest update names another window, so nothing behind it is removed.
  Post(queue, kUpdate, 1);
  Post(queue, kUpdate, 0);
  Post(queue, kUpdate, 0, true);
  EXPECT_EQ(Drain(queue), "6:1 6:0 6:0");
}

TEST(EventQueueTest, FetchingTakesTheOldestMatchingEventAndKeepsTheOrderOfTheRest) {
  EventQueue queue;
  for (const std::uint16_t kind : {kKeyDown, kMouseUp, kKeyRepeat, kMouseDown, kDisplayChanged})
    Post(queue, kind, kind == kMouseUp || kind == kMouseDown ? 0 : 'a');
  EXPECT_EQ(queue.peek(event_mask::kMouseUp | event_mask::kMouseDown)->what, kMouseUp);
  EXPECT_EQ(queue.count(), 5);  // peek leaves it
  EXPECT_EQ(queue.take(event_mask::kMouseDown)->what, kMouseDown);
  // Repeats and display changes share a bit that the mouse-up mask does not have.
  EXPECT_EQ(queue.take(event_mask::kOther)->what, kKeyRepeat);
  EXPECT_FALSE(queue.peek(event_mask::kKeyUp));
  EXPECT_EQ(Drain(queue), "3:97 2:0@0,0 42:97");
  // An event without a point keeps the point of its slot.
  queue.post(false, kMouseDown, 0, Point{20, 10}, event_modifier::kAlt);
  queue.flush();
  Post(queue, kMouseUp, 0);
  EXPECT_EQ(Drain(queue), "2:0@20,10");
}

}  // namespace
}  // namespace lw::test
