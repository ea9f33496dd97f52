// The runtime's windows, the window procedure, pause and resume, the pump and the clock, over
// the fake platform and a real screen canvas.
#include "shell/windows/window_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "fake_platform.h"

namespace lw {
namespace {

using platform::Key;
using platform::Message;
using platform::MessageKind;

struct RecordingBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return BoxAnswer::kOk;
  }
  std::vector<BoxRequest> shown;
};

Message Of(MessageKind kind, Key key = Key::kNone, std::uint8_t character = 0, bool ctrl = false) {
  Message message;
  message.kind = kind;
  message.key = key;
  message.character = character;
  message.modifiers.ctrl = ctrl;
  return message;
}

class WindowSystemTest : public ::testing::Test {
 protected:
  // An active title: the stage window over the whole canvas, shown, and an empty queue.
  void SetUp() override {
    platform_.openWindow(platform::WindowOptions{});
    stage_ = windows_.CreateRuntimeWindow("Moss");
    windows_.SetWindowBounds(screen_.rect(), *stage_);
    windows_.ShowRuntimeWindow(*stage_);
    windows_.setAppState(AppState::kActive);
    windows_.queue().flush();
  }

  // A shown message box strip at the bottom of the canvas.
  RuntimeWindow& ShowMessageBox() {
    RuntimeWindow* box = windows_.CreateMessagesWindow();
    windows_.SetWindowBounds(Rect{436, 102, 473, 538}, *box);
    windows_.ShowRuntimeWindow(*box);
    return *box;
  }

  // Every queued event as "kind:message", with "/modifiers" in hex when there are any, oldest
  // first; the queue is empty afterwards.
  std::string TakeAll() {
    std::string all;
    while (const auto event = windows_.queue().take(event_mask::kEvery)) {
      if (!all.empty()) all += ' ';
      all += std::to_string(event->what) + ':' + std::to_string(event->message);
      if (event->modifiers != 0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "/%x", unsigned{event->modifiers});
        all += hex;
      }
    }
    return all;
  }

  void SetHooks(int& pauses, int& resumes) {
    windows_.setHooks({.adjustCorrection = {},
                       .pauseOthers = [&] { ++pauses; },
                       .resumeOthers = [&] { ++resumes; },
                       .serviceSound = {}});
  }

  testing::FakePlatform platform_;
  Screen screen_{platform_};
  MessageTexts texts_{"Moss"};
  LastPlatformError lastError_;
  RecordingBoxes boxes_;
  ErrorReporter errors_{boxes_, texts_, lastError_};
  WindowSystem windows_{platform_, screen_, errors_};
  RuntimeWindow* stage_ = nullptr;
};

TEST_F(WindowSystemTest, WindowsAreListedAndDrawOnTheCanvasWithinTheScreen) {
  EXPECT_EQ(platform_.caption, "Moss");
  RuntimeWindow* box = windows_.CreateMessagesWindow();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->caption, "Messages");
  EXPECT_EQ(box->record.window, 1);
  EXPECT_EQ(box->port.window, 1);
  EXPECT_EQ(box->port.surface, &screen_.canvas());
  EXPECT_EQ(box->bounds.bottom, 200);
  EXPECT_FALSE(box->visible);
  EXPECT_EQ(windows_.mainWindow(), stage_);

  windows_.SetWindowBounds(Rect{-10, 600, 500, 700}, *box);
  for (const Rect& r : {box->bounds, box->port.bounds}) {
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.left, 600);
    EXPECT_EQ(r.bottom, 480);
    EXPECT_EQ(r.right, 640);
  }

  for (int i = 2; i < WindowSystem::kMaxWindows; ++i) windows_.CreateRuntimeWindow("more");
  EXPECT_EQ(windows_.CreateRuntimeWindow("one too many"), nullptr);
  EXPECT_EQ(windows_.window(WindowSystem::kMaxWindows), nullptr);
  EXPECT_EQ(windows_.window(WindowSystem::kMaxWindows - 1)->caption, "more");
  EXPECT_EQ(platform_.caption, "Moss");
}

TEST_F(WindowSystemTest, TheTopmostVisibleWindowIsFoundAndDestroyedWindowsLeaveTheirEntry) {
  RuntimeWindow& box = ShowMessageBox();
  EXPECT_EQ(windows_.FindWindowAt(Point{440, 300}), &box);
  EXPECT_EQ(windows_.FindWindowAt(Point{10, 300}), stage_);
  EXPECT_EQ(windows_.FrontWindow(), stage_);
  windows_.setFrontWindow(&box);
  EXPECT_EQ(windows_.FrontWindow(), &box);

  windows_.DestroyRuntimeWindow(box);
  EXPECT_FALSE(box.visible);
  EXPECT_EQ(windows_.window(1), nullptr);
  EXPECT_EQ(windows_.FindWindowAt(Point{440, 300}), stage_);
  EXPECT_EQ(windows_.FrontWindow(), stage_);
  EXPECT_EQ(windows_.CreateMessagesWindow()->record.window, 2);
}

TEST_F(WindowSystemTest, WindowsOverOneThatDrawsAreUpdatedAfterIt) {
  RuntimeWindow& box = ShowMessageBox();
  EXPECT_EQ(TakeAll(), "6:1");  // showing it updates only itself
  // Two paints leave one update of the stage, then of the strip over it.
  windows_.HandleMessage(Of(MessageKind::kPaint));
  windows_.HandleMessage(Of(MessageKind::kPaint));
  EXPECT_EQ(TakeAll(), "6:0 6:1");

  // Hiding the strip uncovers the stage, whose drawing covers a window over it elsewhere.
  RuntimeWindow* corner = windows_.CreateRuntimeWindow("corner");
  windows_.SetWindowBounds(Rect{0, 0, 50, 50}, *corner);
  windows_.ShowRuntimeWindow(*corner);
  windows_.queue().flush();
  windows_.HideRuntimeWindow(box);
  EXPECT_EQ(TakeAll(), "6:0 6:2");
}

TEST_F(WindowSystemTest, KeysAndClicksArePostedWithTheirModifiers) {
  for (const Message& key :
       {Of(MessageKind::kKeyDown, Key::kCharacter, 'q', true),
        Of(MessageKind::kKeyDown, Key::kEscape, 27), Of(MessageKind::kKeyDown, Key::kLeft),
        Of(MessageKind::kKeyDown, Key::kUp), Of(MessageKind::kKeyDown, Key::kRight),
        Of(MessageKind::kKeyDown, Key::kDown), Of(MessageKind::kKeyDown, Key::kOther),
        Of(MessageKind::kKeyUp, Key::kCharacter, 'q')}) {
    windows_.HandleMessage(key);
  }
  EXPECT_EQ(TakeAll(), "3:113/1fa0 3:46/1fa0 3:28 3:30 3:29 3:31 4:113");

  platform_.click(Point{20, 10}, {.ctrl = false, .alt = true, .shift = false});
  platform_.click(Point{30, 40}, {.ctrl = true, .alt = true, .shift = false});
  Message middle = Of(MessageKind::kButtonDown);
  middle.button = platform::MouseButton::kMiddle;
  platform_.messages.push_back(middle);
  windows_.PumpMessages();
  EXPECT_EQ(windows_.queue().peek(event_mask::kMouseUp)->where.h, 10);
  // Alt's bit is one of the command modifiers' bits.
  EXPECT_EQ(TakeAll(), "1:0/800 2:0 1:0/1fa0 2:0");
}

TEST_F(WindowSystemTest, RepeatsCollapseAndCtrlFunctionKeysOnlyAdjustTheCorrection) {
  Message repeat = Of(MessageKind::kKeyDown, Key::kCharacter, 'c');
  windows_.HandleMessage(repeat);
  repeat.repeat = true;
  for (int i = 0; i < 5; ++i) windows_.HandleMessage(repeat);
  EXPECT_EQ(TakeAll(), "3:99 5:99");

  int raises = 0;
  windows_.setHooks(
      {.adjustCorrection = [&](bool raise, bool first, bool second,
                               bool third) { raises += raise && first && second && third; },
       .pauseOthers = {},
       .resumeOthers = {},
       .serviceSound = {}});
  for (int i = 0; i < 30; ++i) windows_.HandleMessage(Of(MessageKind::kKeyDown, Key::kF2, 0, true));
  EXPECT_EQ(raises, 30);
  EXPECT_EQ(TakeAll(), "");
}

TEST_F(WindowSystemTest, SeventeenEventsLoseTheLastTwoWithABeep) {
  for (std::uint8_t c = 'a'; c < 'a' + 8; ++c) platform_.pressKey(c);
  platform_.messages.push_back(platform_.messages.front());  // a ninth key down
  windows_.PumpMessages();
  EXPECT_EQ(platform_.beeps, 1);
  EXPECT_EQ(TakeAll(),
            "3:97 4:97 3:98 4:98 3:99 4:99 3:100 4:100 3:101 4:101 3:102 4:102 3:103 4:103 3:104");
}

TEST_F(WindowSystemTest, OtherMessagesPostDisplayChangesAndQuit) {
  for (const auto kind :
       {MessageKind::kDisplayChanged, MessageKind::kDisplayChanged, MessageKind::kMouseMove}) {
    windows_.HandleMessage(Of(kind));
  }
  EXPECT_EQ(TakeAll(), "42:0");
  EXPECT_FALSE(windows_.quitRequested());
  windows_.HandleMessage(Of(MessageKind::kCloseRequest));
  EXPECT_TRUE(windows_.quitRequested());
}

TEST_F(WindowSystemTest, DeactivationPausesAndActivationResumes) {
  RuntimeWindow& box = ShowMessageBox();
  int pauses = 0;
  int resumes = 0;
  SetHooks(pauses, resumes);
  const platform::CursorImage cursor{};
  windows_.SetTitleCursor(&cursor);

  windows_.HandleMessage(Of(MessageKind::kFocusLost));
  windows_.HandleMessage(Of(MessageKind::kFocusLost));
  EXPECT_TRUE(windows_.paused());
  EXPECT_EQ(platform_.caption, "Moss [paused]");
  EXPECT_TRUE(platform_.minimised);
  EXPECT_EQ(pauses, 1);
  EXPECT_FALSE(box.visible);
  EXPECT_TRUE(stage_->visible);
  windows_.SetTitleCursor(nullptr);  // the cursor is not ours while paused
  EXPECT_EQ(platform_.cursor, &cursor);

  // A paint while paused shows black.
  screen_.canvas().row(5)[5] = 7;
  windows_.queue().flush();
  windows_.HandleMessage(Of(MessageKind::kPaint));
  EXPECT_EQ(screen_.canvas().at(5, 5), 0);
  EXPECT_EQ(windows_.queue().count(), 0);

  windows_.HandleMessage(Of(MessageKind::kFocusGained));
  EXPECT_EQ(windows_.appState(), AppState::kActive);
  EXPECT_EQ(platform_.caption, "Moss");
  EXPECT_FALSE(platform_.minimised);
  EXPECT_EQ(resumes, 1);
  EXPECT_TRUE(box.visible);
  EXPECT_EQ(platform_.cursor, nullptr);
  EXPECT_EQ(TakeAll(), "42:0 6:0 6:1");
}

TEST_F(WindowSystemTest, FocusChangesDuringStartUpNeitherPauseNorResume) {
  int calls = 0;
  SetHooks(calls, calls);
  windows_.setAppState(AppState::kStarting);
  windows_.HandleMessage(Of(MessageKind::kFocusGained));
  windows_.HandleMessage(Of(MessageKind::kFocusLost));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(windows_.appState(), AppState::kStarting);
  EXPECT_EQ(TakeAll(), "");
}

TEST_F(WindowSystemTest, PumpingWhilePausedWaitsUntilTheTitleIsResumedOrClosed) {
  windows_.HandleMessage(Of(MessageKind::kFocusLost));
  platform_.pressKey('a');
  platform_.messages.push_back(Of(MessageKind::kFocusGained));
  platform_.pressKey('b');
  windows_.PumpMessages();
  EXPECT_FALSE(windows_.paused());
  EXPECT_EQ(platform_.messages.size(), 2u);  // the pump stopped at the activation
  EXPECT_EQ(TakeAll(), "3:97 4:97 42:0 6:0");

  windows_.HandleMessage(Of(MessageKind::kFocusLost));
  platform_.messages.clear();
  windows_.PumpMessages();  // nothing comes: the player closes the window
  EXPECT_TRUE(windows_.quitRequested());
  EXPECT_TRUE(windows_.paused());
}

TEST_F(WindowSystemTest, OnlyTheOutermostPumpWaitsWhilePaused) {
  int nested = 0;
  windows_.setHooks(
      {.adjustCorrection = {}, .pauseOthers = {}, .resumeOthers = {}, .serviceSound = [&] {
         if (windows_.paused() && nested++ == 0) windows_.PumpMessages();
       }});
  platform_.messages.push_back(Of(MessageKind::kFocusLost));
  platform_.pressKey('x');
  windows_.PumpMessages();
  EXPECT_FALSE(windows_.quitRequested());
  EXPECT_TRUE(windows_.paused());
  EXPECT_EQ(TakeAll(), "3:120 4:120");
}

TEST_F(WindowSystemTest, ButtonStillDownEndsAtAQueuedRelease) {
  platform_.button = true;
  EXPECT_TRUE(windows_.ButtonStillDown());
  platform_.click(Point{1, 1});
  EXPECT_FALSE(windows_.ButtonStillDown());  // the button is down again, but it was released
  EXPECT_EQ(windows_.NextEvent(event_mask::kMouseDown)->what, event_kind::kMouseDown);
  EXPECT_FALSE(windows_.ButtonStillDown());
  windows_.FlushEvents();
  EXPECT_TRUE(windows_.ButtonStillDown());
  platform_.button = false;
  EXPECT_FALSE(windows_.ButtonStillDown());
}

TEST_F(WindowSystemTest, TicksAreSixtiethsOfTheMillisecondClock) {
  platform_.now = 999;
  EXPECT_EQ(windows_.TickCount(), 60u);  // the pump moves the fake clock to 1000
  platform_.now = 5000;
  windows_.WaitTicks(6);
  EXPECT_EQ(platform_.now, 5100u);
  platform_.now = 0xFFFFFFC0u;  // the wait also ends when the clock wraps during it
  windows_.WaitTicks(6);
  EXPECT_EQ(platform_.now, 36u);
}

TEST_F(WindowSystemTest, TheMouseIsReadInTheWindowPlusItsOrigin) {
  windows_.SetWindowBounds(Rect{40, 30, 480, 640}, *stage_);
  stage_->port.originH = -64;
  stage_->port.originV = -48;
  platform_.mouse = Point{100, 200};
  for (const Point mouse : {windows_.GetMouse(stage_), windows_.GetMouse(nullptr, &stage_->port)}) {
    EXPECT_EQ(mouse.v, 100 - 40 - 48);
    EXPECT_EQ(mouse.h, 200 - 30 - 64);
  }
  EXPECT_TRUE(boxes_.shown.empty());

  const Point none = windows_.GetMouse(nullptr, &screen_.canvas().port);
  EXPECT_EQ(none.v + none.h, 0);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_NE(boxes_.shown[0].text.find("408"), std::string::npos);
}

TEST_F(WindowSystemTest, TheCursorShowsWhileItsCountIsNotNegative) {
  windows_.HideTitleCursor();
  windows_.HideTitleCursor();
  windows_.ShowTitleCursor();
  EXPECT_FALSE(platform_.cursorShown);
  windows_.ShowTitleCursor();
  EXPECT_TRUE(platform_.cursorShown);

  const platform::CursorImage arrow{};
  windows_.setArrowCursorImage(&arrow);
  windows_.SetArrowCursor();
  EXPECT_EQ(platform_.cursor, &arrow);
}

}  // namespace
}  // namespace lw
