// The runtime's windows and input: its own small window system over the platform's one window
// (the stage window covers the screen canvas; the message box window is a strip drawn over it),
// the window procedure that turns platform messages into event records, the event queue's
// operations, the message pump with pause and resume, the tick clock and the cursor.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/geometry.h"
#include "platform/platform.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/error_report.h"
#include "shell/windows/event_queue.h"

namespace lw {

namespace errline {
inline constexpr std::int16_t kGetMouseWithoutWindow = 408;
}  // namespace errline

// The record a window's owner keeps in it: the kind (1 stage window, 2 message box window)
// and four words whose meaning belongs to the owner.
struct WindowRecord {
  std::int16_t kind = 0;
  std::array<std::int32_t, 4> words{};
  int window = -1;  // the window's index in the window list
};

namespace window_kind {
inline constexpr std::int16_t kStage = 1;
inline constexpr std::int16_t kMessageBox = 2;
}  // namespace window_kind

// One runtime window: where it lies on the screen canvas, whether it shows, and its port.
struct RuntimeWindow {
  std::string caption;
  Rect bounds;  // screen canvas rectangle of the client area
  bool visible = false;
  bool destroyed = false;
  bool visibleAtPause = false;
  WindowRecord record;
  Port port;  // draws on the screen canvas within `bounds`
};

// The application state. Starting and paused are told apart, although the window treats both
// alike (it shows black and drawing does nothing): only a pause is undone by the player coming
// back, and only an active title pauses.
enum class AppState : std::int8_t {
  kReadingCommandLine = -1,  // start-up reads its command line (a file dialog may be open)
  kStarting = 0,             // from program start until the title is booted
  kActive = 1,
  kPaused = 2,  // the player switched to another application
};

class WindowSystem {
 public:
  static constexpr int kMaxWindows = 16;

  // Hooks the window system calls: colour correction keys, and the pause and resume work of
  // other layers (sound, palette).
  struct Hooks {
    std::function<void(bool raise, bool first, bool second, bool third)> adjustCorrection;
    std::function<void()> pauseOthers;   // sound channels pause, system colours given back
    std::function<void()> resumeOthers;  // palette taken again and re-installed, sound resumes
    // Refills the sound output while sound plays: called once per pump and after each message.
    std::function<void()> serviceSound;
  };

  // The runtime's own key for the message box: a key that gives no character, so no title
  // ever hears it.
  static constexpr platform::Key kMessageBoxKey = platform::Key::kF12;

  // The player's own key for the player menu; like kMessageBoxKey it gives no character, and
  // the title hears neither its press nor its release.
  static constexpr platform::Key kPlayerMenuKey = platform::Key::kF10;

  WindowSystem(platform::Platform& platform, Screen& screen, ErrorReporter& errors);
  void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
  // Called once per pump while set: the main loop checks the run's limits (its end tick, the
  // input settled) there, so that they also end a movie or a long handler that waits.
  void setPumpCheck(std::function<void()> check) { pumpCheck_ = std::move(check); }
  // What a press of kMessageBoxKey does (the runtime shows or hides its message box).
  void setMessageBoxKeyHandler(std::function<void()> handler) {
    messageBoxKey_ = std::move(handler);
  }

  // What a press of kPlayerMenuKey does while the title is active (the runtime runs its player
  // menu). The title is held while it runs: its tick count stands still, so that it resumes
  // exactly where it was, and nothing of it runs, as the handler reads input of its own.
  void setPlayerMenuKeyHandler(std::function<void()> handler) {
    playerMenuKey_ = std::move(handler);
  }

  // Windows. The first window created is the main window. A window list holds at most 16;
  // a seventeenth is refused (null).
  RuntimeWindow* CreateRuntimeWindow(const std::string& caption);
  RuntimeWindow* CreateMessagesWindow();
  void DestroyRuntimeWindow(RuntimeWindow& window);
  // The window at a list index, or null when there is none there or it was destroyed.
  [[nodiscard]] RuntimeWindow* window(int index);
  // The main window, or null before it is created and after it is destroyed.
  [[nodiscard]] RuntimeWindow* mainWindow();
  // The active runtime window, or null.
  [[nodiscard]] RuntimeWindow* FrontWindow();
  void setFrontWindow(RuntimeWindow* window);
  // The visible runtime window under a screen point (the topmost: later windows lie above
  // earlier ones), or null.
  [[nodiscard]] RuntimeWindow* FindWindowAt(Point screenPoint);
  // Moves and sizes a window's client area on the screen canvas, kept within the screen.
  void SetWindowBounds(const Rect& bounds, RuntimeWindow& window);
  // Showing, hiding and moving a window post updates for the windows that must draw again.
  void ShowRuntimeWindow(RuntimeWindow& window);
  void HideRuntimeWindow(RuntimeWindow& window);

  // Cursor.
  void SetTitleCursor(const platform::CursorImage* cursor);
  void SetArrowCursor();
  void setArrowCursorImage(const platform::CursorImage* arrow) { arrow_ = arrow; }
  void ShowTitleCursor();
  void HideTitleCursor();

  // Events and time.
  void PostEvent(bool coalesce, std::uint16_t kind, std::uint32_t message,
                 std::optional<Point> where, std::uint16_t modifiers);
  std::optional<EventRecord> NextEvent(std::uint16_t mask);
  std::optional<EventRecord> PeekEvent(std::uint16_t mask);
  // Empties the queue; console lines waiting for their events go with them.
  void FlushEvents();
  // The text of the console line whose event carries `number`; nothing when it is gone. Lines
  // kept under lower numbers go too: their events were lost to a full queue.
  std::optional<std::string> TakeConsoleLine(std::uint32_t number);
  bool ButtonDown();
  bool ButtonStillDown();
  // The mouse in the window's client coordinates plus its drawing origin; with no window, the
  // window whose port is `currentPort` (when it is a window's); with neither, reports program
  // error 110 at line 408 and gives (0, 0).
  Point GetMouse(const RuntimeWindow* window, const Port* currentPort = nullptr);
  bool EscapeDown();
  bool ControlDown();
  bool ShiftDown();
  std::uint32_t TickCount();
  // The tick count without pumping, for notes taken while a present is under way.
  [[nodiscard]] std::uint32_t TickCountNow();
  // The waits sleep in the platform rather than spin, dispatching messages as they come. A
  // request to quit ends a wait of WaitTicks at once: the window closes without waiting out a
  // long delay or effect.
  void WaitTicks(std::uint32_t ticks);
  // Until the tick count moves on.
  void WaitNextTick();
  // Until the tick count is no longer `tick`; with `untilMessage`, a platform message ends the
  // sleep too (the main loop rests this way when a pass found nothing to do).
  void SleepPastTick(std::uint32_t tick, bool untilMessage);
  void Beep();

  // Dispatches every pending platform message through the window procedure and shows what was
  // drawn. While paused (and not nested), waits for messages until resumed or closed.
  void PumpMessages();

  [[nodiscard]] AppState appState() const { return appState_; }
  void setAppState(AppState state) { appState_ = state; }
  // True unless the title is active: while starting and while paused, drawing does nothing.
  [[nodiscard]] bool paused() const { return appState_ != AppState::kActive; }
  [[nodiscard]] bool quitRequested() const { return quit_; }
  void requestQuit() { quit_ = true; }

  [[nodiscard]] EventQueue& queue() { return queue_; }
  [[nodiscard]] platform::Platform& platform() { return platform_; }

  // The window procedure: one platform message (public so that tests can feed messages).
  void HandleMessage(const platform::Message& message);

 private:
  void pause();
  void resume();
  void handleKeyDown(const platform::Message& message);
  void handleKeyUp(const platform::Message& message);
  void handleButton(const platform::Message& message);
  void handlePaint();
  void handleConsoleLine(const platform::Message& message);
  // One message through the window procedure, then the sound output's turn.
  void dispatch(const platform::Message& message);
  // Sleeps for at most `timeout` milliseconds; true when a message ended the sleep (it and the
  // rest of what is pending are dispatched then).
  bool sleep(std::uint32_t timeout);
  RuntimeWindow* appendWindow(const std::string& caption, const Rect& bounds);
  // Marks a canvas area changed and posts updates, in list order, for the visible windows from
  // list index `lowest` up that touch it, and for those that overlap a window updated below
  // them: all windows draw on the one canvas, so a window above one that draws must draw again.
  void redraw(const Rect& area, int lowest);
  [[nodiscard]] std::string mainCaption() const;
  void serviceSound();
  void runPlayerMenu();
  // The clock the title's ticks count: the platform's, less the time the title was held.
  [[nodiscard]] std::uint32_t titleMilliseconds();

  platform::Platform& platform_;
  Screen& screen_;
  ErrorReporter& errors_;
  Hooks hooks_;
  std::function<void()> pumpCheck_;
  std::function<void()> messageBoxKey_;
  std::function<void()> playerMenuKey_;
  std::uint32_t heldMilliseconds_ = 0;  // the time the player menu held the title
  // Keys whose next release the title does not hear: those held as the player menu closed.
  std::bitset<static_cast<std::size_t>(platform::Key::kOther) + 1> releasesToDrop_;
  std::vector<std::unique_ptr<RuntimeWindow>> windows_;
  RuntimeWindow* main_ = nullptr;
  RuntimeWindow* front_ = nullptr;
  EventQueue queue_;
  // A console line waits here, under its number, while its event is queued: an event record
  // has no room for a text.
  struct ConsoleLine {
    std::uint32_t number;
    std::string text;
  };
  std::deque<ConsoleLine> consoleLines_;
  std::uint32_t nextConsoleLine_ = 0;
  const platform::CursorImage* arrow_ = nullptr;
  const platform::CursorImage* titleCursor_ = nullptr;
  int cursorShowCount_ = 0;  // the cursor shows while this is at least 0
  AppState appState_ = AppState::kStarting;
  bool pausedWait_ = false;
  int pumpDepth_ = 0;
  bool quit_ = false;
};

}  // namespace lw
