// The runtime's two window objects and the messages they take. The stage window (record kind 1)
// is where the title lives: it covers the screen canvas, the 512 x 384 stage centred in it, and
// turns window messages into the title's handler calls. The message box window (kind 2, in
// message_box_window.h) is the programmer's message box; SendWindowMessage routes a message by
// the record's kind.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/geometry.h"
#include "media/compositor.h"
#include "media/star_library.h"
#include "runtime/handler_calls.h"
#include "script/compiled_script_cache.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "shell/drawing/graphics.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"
#include "shell/windows/window_system.h"

namespace lw {

// Window message codes.
namespace window_message {
inline constexpr int kClick = 0;
inline constexpr int kDraw = 1;
inline constexpr int kKey = 2;
inline constexpr int kClose = 4;
inline constexpr int kBeginDrawing = 5;
inline constexpr int kEndDrawing = 6;
inline constexpr int kSetBounds = 7;
inline constexpr int kNullTick = 8;
inline constexpr int kLoopPass = 9;
inline constexpr int kMenuState = 11;
inline constexpr int kMenuSelect = 12;
inline constexpr int kKeyRepeat = 15;
inline constexpr int kRecentre = 16;
}  // namespace window_message

// A window message: its code and the argument that code takes.
struct WindowMessage {
  explicit WindowMessage(int messageCode, std::int32_t messageValue = 0)
      : code(messageCode), value(messageValue) {}
  WindowMessage(int messageCode, const Rect& bounds) : code(messageCode), rect(&bounds) {}
  WindowMessage(int messageCode, std::string_view menuItem) : code(messageCode), item(menuItem) {}

  int code;
  std::int32_t value = 0;      // click: a packed point; key and key repeat: the character
  const Rect* rect = nullptr;  // set bounds
  std::string_view item;       // menu select
};

// The stage origin of a screen: the drawing origin that puts stage point (0, 0) where the
// stage, centred on the screen, begins. Integer division toward zero, so a 640 x 480 screen gives
// (h -64, v -48).
[[nodiscard]] Point StageOrigin(const Rect& screen);

// What the stage window works with. `trace` (may be empty) hears every handler-call text it
// runs except idle().
struct StageServices {
  WindowSystem& windows;
  Screen& screen;
  Graphics& graphics;
  Interpreter& interpreter;
  ScriptHost& host;
  CompiledScriptCache& scripts;
  StarLibrary& library;
  ErrorReporter& errors;
  Compositor& compositor;
  std::function<void(std::string_view)> trace;
};

class StageWindow {
 public:
  explicit StageWindow(StageServices services) : s_(std::move(services)) {}

  // Makes `window` the stage window (its record kind 1) and resets the drawing nesting.
  void attach(RuntimeWindow& window);
  // The stage window, or null before attach and after close.
  [[nodiscard]] RuntimeWindow* window() const { return window_; }

  void handle(const WindowMessage& message);
  // Makes the stage window's port the current port (each loop pass does, so that drawing by
  // the title lands there).
  void makePortCurrent();

  // Recomputes the stage origin from the screen rectangle.
  void centre();
  [[nodiscard]] Point origin() const { return origin_; }
  // The mouse as a stage point (the window must be attached). The window system gives it in the
  // window's drawing coordinates, whose origin is the stage origin only while the window draws
  // (as it does around every handler); the origin of the moment is swapped for the stage origin
  // so that what runs outside that drawing (the message box's lines) sees the same point.
  [[nodiscard]] Point stageMouse() const;
  // A screen point (where a click went down) as a stage point.
  [[nodiscard]] Point stagePoint(Point screen) const;

  // The boot file, open for the whole run; the close message closes it.
  void setBootFile(StarFile* file) { bootFile_ = file; }
  [[nodiscard]] StarFile* bootFile() const { return bootFile_; }

  [[nodiscard]] bool bootDone() const { return bootDone_; }
  [[nodiscard]] int drawingDepth() const { return drawingDepth_; }
  // Null ticks taken so far: they run no handler, so this is how they can be observed.
  [[nodiscard]] std::uint64_t nullTicks() const { return nullTicks_; }

 private:
  void loopPass();
  void click(std::int32_t packed);
  void draw();
  void close();
  void beginDrawing();
  void endDrawing();
  void nullTick();
  void menuSelect(std::string_view item);
  [[nodiscard]] bool systemScriptHas(std::string_view handler);
  // Runs a handler call between begin and end drawing, unless a failure is pending this pass.
  void runUnlessErrorPending(std::string_view text);
  void runUnlessErrorPending(FixedHandlerCall& call);
  // Runs one handler call; a failure is latched by the interpreter, whose error listener reports
  // it to the author, and the title goes on unaware of it.
  void runCall(std::string_view text);
  void runCall(FixedHandlerCall& call);
  void trace(std::string_view text);
  void logFailure(std::string_view text, ScriptError error);

  StageServices s_;
  RuntimeWindow* window_ = nullptr;
  Point origin_;
  int drawingDepth_ = 0;
  bool bootDone_ = false;
  StarFile* bootFile_ = nullptr;
  std::uint64_t nullTicks_ = 0;
  FixedHandlerCall bootCall_{kBootCall};
  FixedHandlerCall idleCall_{kIdleCall};
  FixedHandlerCall menuStateCall_{kMenuStateCall};
};

class MessageBoxWindow;  // message_box_window.h

// Sends a message to the window object that `record` belongs to, chosen by the record's kind
// (1 the stage window, 2 the message box window); any other kind ignores it.
void SendWindowMessage(StageWindow& stage, MessageBoxWindow& messageBox, const WindowRecord& record,
                       const WindowMessage& message);

}  // namespace lw
