// What the runtime's own dialogs share: drawing on the screen canvas with the runtime's drawing
// primitives, the two colours a dialog is drawn in, the pixels saved under a dialog while it is
// up, and the wait for the player's next input. Dialogs are drawn inside the runtime's window so
// that they work full-screen; they read raw platform messages and post nothing to the title's
// event queue.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "common/palette.h"
#include "platform/platform.h"
#include "shell/drawing/graphics.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"

namespace lw {

// Every dialog text is drawn in the "Arial" face at this size, in lines this many rows apart,
// each with its baseline this many rows below the line's top.
inline constexpr int kDialogTextSize = 12;
inline constexpr int kDialogLineHeight = 16;
inline constexpr int kDialogLineBaseline = 13;

// The baseline that centres one line of dialog text in `r`.
[[nodiscard]] inline int CentredBaseline(const Rect& r) {
  return r.top + (r.height() - kDialogLineHeight) / 2 + kDialogLineBaseline;
}

// The colours a dialog is drawn in: ink for frames and text, paper behind them.
struct DialogColours {
  std::uint8_t ink = 0;
  std::uint8_t paper = 0;
};

// The darkest and the lightest entries of a palette (by perceived brightness; the lowest index
// wins a tie), so that a dialog is readable whatever palette the title installed.
[[nodiscard]] DialogColours PickDialogColours(const Palette& palette);
// True when ink and paper differ enough in brightness to read text.
[[nodiscard]] bool Readable(const Palette& palette, DialogColours colours);

// One dialog on the screen, from construction to destruction: keeps the canvas pixels under the
// dialog and chooses its colours. When the installed palette has no readable pair (a title that
// faded to black), entries 0 and 255 become black and white while the dialog is up. Ending the
// dialog puts back the pixels and the palette and shows the screen.
class DialogSession {
 public:
  DialogSession(Screen& screen, const Rect& area);
  ~DialogSession();
  DialogSession(const DialogSession&) = delete;
  DialogSession& operator=(const DialogSession&) = delete;

  [[nodiscard]] DialogColours colours() const { return colours_; }
  [[nodiscard]] const Rect& area() const { return area_; }

 private:
  Screen& screen_;
  Rect area_;  // within the canvas
  std::vector<std::uint8_t> saved_;
  std::optional<Palette> replaced_;
  DialogColours colours_;
};

// Drawing and input for dialogs. It owns a Graphics of its own that draws whatever the
// application state, because boxes show during start-up and while the title is paused, when the
// title's drawing stands still; its port draws on the screen canvas in canvas coordinates.
class DialogCanvas {
 public:
  DialogCanvas(platform::Platform& platform, Screen& screen, ErrorReporter& errors);
  DialogCanvas(const DialogCanvas&) = delete;
  DialogCanvas& operator=(const DialogCanvas&) = delete;

  [[nodiscard]] platform::Platform& platform() { return platform_; }
  [[nodiscard]] Screen& screen() { return screen_; }

  // Called when the player asks to close the window while a dialog is up: the dialog answers as
  // cancelled and this tells the runtime to quit as it does after any close request.
  void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }
  void notifyClose();
  // How many close requests dialogs have met, so that a dialog can tell whether the player
  // closed the window while a box of its own was up.
  [[nodiscard]] std::uint32_t closeRequests() const { return closeRequests_; }

  // Work of other layers around every box and file dialog, drawn or answered by the platform:
  // `before` runs when the first one opens (the runtime pauses its sound), `after` when it ends.
  // Boxes that a dialog shows run inside it and call neither.
  struct Hooks {
    std::function<void()> before;
    std::function<void()> after;
  };
  void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  // Marks the time a box or dialog is up, for the hooks.
  class Scope {
   public:
    explicit Scope(DialogCanvas& canvas);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    DialogCanvas& canvas_;
  };

  // Drawing in canvas coordinates, clipped to `clip` (set before each dialog's drawing pass).
  void setClip(const Rect& clip);
  void fill(const Rect& r, std::uint8_t colour);
  void frame(const Rect& r, std::uint8_t colour, int penWidth);
  // A frame of every other pixel (the focus mark).
  void dottedFrame(const Rect& r, std::uint8_t colour);
  void line(Point from, Point to, std::uint8_t colour, int penWidth);
  // Text with its baseline at `baseline`, in the "Arial" face at `size` pixels.
  void text(int h, int baseline, std::string_view s, std::uint8_t colour,
            int size = kDialogTextSize);
  [[nodiscard]] int textWidth(std::string_view s, int size = kDialogTextSize);
  // `s` cut to fit `width` pixels: its end replaced by "..." (or, with `keepEnd`, its start).
  [[nodiscard]] std::string fitText(std::string_view s, int width, bool keepEnd = false);

  // Shows what was drawn and waits for the player's next message. A repaint request marks the
  // whole canvas for the next present.
  [[nodiscard]] platform::Message nextMessage();
  // The tick clock (60 a second), for double clicks.
  [[nodiscard]] std::uint32_t ticks();

 private:
  void usePen(std::uint8_t colour, int penWidth);

  platform::Platform& platform_;
  Screen& screen_;
  Graphics graphics_;
  Port port_;
  std::function<void()> onClose_;
  std::uint32_t closeRequests_ = 0;
  Hooks hooks_;
  int depth_ = 0;  // boxes and dialogs up, one inside the other
};

// A button of a dialog that a click presses: down on it, then up on it again.
struct PressTracker {
  int pressed = -1;  // the index of the button the mouse went down on, or -1

  // Feeds a mouse message with the index of the button under it (-1 for none); gives the index
  // of the button a completed click pressed.
  [[nodiscard]] std::optional<int> feed(const platform::Message& message, int under);
};

}  // namespace lw
