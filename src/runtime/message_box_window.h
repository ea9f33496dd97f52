// The message box window (record kind 2): the programmer's one-line console, a 436 x 37 strip
// drawn over the bottom of the screen canvas. A line of script typed into it runs on Return
// through RunConsoleLine, the same runner as `titlekit eval`, and its outcome ("3", "True",
// "No such variable.", "tokenization error", ...) takes the place of the output line. The
// script command message(t) writes the output line too.
//
// The window is made at the title boot and exists until the runtime stops; it starts hidden.
// Shown, it is the front window, so typed characters come to it (the main loop still gives the
// arrows to the stage); hidden, the stage window is the front window again.
//
// Layout, in the window's own coordinates (pixels):
//   the input line, text size 12, baseline starting at (13, 15)
//   a one-pixel rule in colour 1 from (12, 21) to (424, 21)
//   the output line, text size 9, baseline starting at (13, 33)
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/geometry.h"
#include "runtime/stage_window.h"
#include "script/bounded_string.h"
#include "script/interpreter.h"
#include "shell/drawing/graphics.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"
#include "shell/windows/window_system.h"

namespace lw {

namespace errline {
// The message box window's own faults: it was made a second time, or an end of drawing came
// without a begin.
inline constexpr std::int16_t kMessageBoxMadeTwice = 4700;
inline constexpr std::int16_t kMessageBoxEndDrawingWithoutBegin = 4701;
}  // namespace errline

// What the message box works with. `interpreter` gives the run's interpreter, or null outside
// the runtime start and stop (a line typed then is not run).
struct MessageBoxServices {
  WindowSystem& windows;
  Screen& screen;
  Graphics& graphics;
  ErrorReporter& errors;
  std::function<Interpreter*()> interpreter;
};

class MessageBoxWindow {
 public:
  static constexpr int kWidth = 436;
  // The strip's top and bottom edges, in pixels above the screen's bottom.
  static constexpr int kTopAboveBottom = 44;
  static constexpr int kBottomAboveBottom = 7;

  explicit MessageBoxWindow(MessageBoxServices services) : s_(std::move(services)) {}

  // Makes `window` the message box window (record kind 2), placed on the screen. There is one
  // message box: a second attach is a fatal error (line 4700) and changes nothing.
  void attach(RuntimeWindow& window);
  // The message box window, or null before attach and after close.
  [[nodiscard]] RuntimeWindow* window() const { return window_; }

  // Takes redraw, typed character, close, begin and end drawing, and place again; ignores the
  // other messages.
  void handle(const WindowMessage& message);

  // Shows the box and makes it the front window; hides it and gives the front back to the
  // stage (the main window); or switches between the two.
  void show();
  void hide();
  void toggle();
  [[nodiscard]] bool shown() const { return window_ != nullptr && window_->visible; }

  // Draws the box again when it shows and one of `covered` (screen rectangles) meets it: the
  // screen composition has just copied its frame over them, and the box lies over the frame.
  void RedrawWhereCovered(std::span<const Rect> covered);

  // message(t): the output line becomes `text` (cut to 255 characters), drawn at once when
  // the box shows.
  void setOutput(std::string_view text);

  // Runs a line of scripted input as Return runs the input line, leaving the input line as it
  // is: the outcome becomes the output line and is given back. Nothing outside the runtime
  // start and stop, when there is no interpreter to run it.
  std::optional<std::string> RunScriptedLine(std::string_view line);

  [[nodiscard]] std::string_view input() const { return input_.view(); }
  [[nodiscard]] std::string_view output() const { return output_.view(); }
  [[nodiscard]] int drawingDepth() const { return drawingDepth_; }

 private:
  void place();
  void type(std::uint8_t character);
  void runInput();
  std::optional<std::string> runLine(std::string_view line);
  void close();
  void beginDrawing();
  void endDrawing();
  // Draws the box between a begin and an end of drawing, when it shows.
  void redraw();
  void draw();
  void drawText(std::string_view text, int size, Point baseline);

  MessageBoxServices s_;
  RuntimeWindow* window_ = nullptr;
  bool made_ = false;
  PString input_;
  PString output_;
  int drawingDepth_ = 0;
  // The port that was current when the outermost drawing began; it is current again at its
  // end, so that a message(t) inside a title's handler leaves the handler's drawing where it was.
  Port* previousPort_ = nullptr;
};

// The message box's rectangle on a screen: kWidth wide, centred, between kTopAboveBottom and
// kBottomAboveBottom above the screen's bottom.
[[nodiscard]] Rect MessageBoxBounds(const Rect& screen);

}  // namespace lw
