// Message boxes drawn by the runtime inside its window, so that they work full-screen, and the
// information and question boxes that scripts show.
//
// A box first goes to the platform, which answers it itself when it can (the headless backend
// from its input script; the window backend while no window is open). Otherwise the box is drawn
// centred on the screen canvas over whatever was there, and runs its own loop on the platform's
// raw messages until the player chooses; nothing reaches the title's event queue. Afterwards the
// canvas is exactly as it was.
//
// Keys: Tab (Shift+Tab back) and the arrow keys move the focus between the buttons; Return and
// the space bar press the focused button (at first the default, the leftmost); a button's first
// letter presses it; Escape dismisses the box with CancelAnswer (Cancel, No in a Yes/No box, Ok
// in an Ok box, Abort in an Abort/Retry/Ignore box). A click presses the button it went down and
// up on. Closing the window while a box is up dismisses it the same way and then calls the close
// handler, through which the runtime quits as after any close request.
#pragma once

#include <functional>
#include <string_view>

#include "platform/platform.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/boxes.h"
#include "shell/dialogs/dialog_canvas.h"
#include "shell/drawing/screen.h"
#include "shell/error_report.h"

namespace lw {

class WindowBoxes final : public BoxPresenter {
 public:
  WindowBoxes(platform::Platform& platform, Screen& screen, ErrorReporter& errors)
      : canvas_(platform, screen, errors) {}

  // The runtime's reaction to a close request that came while a box or dialog was up.
  void setCloseHandler(std::function<void()> handler) {
    canvas_.setCloseHandler(std::move(handler));
  }

  // The work of other layers around each box and file dialog.
  void setHooks(DialogCanvas::Hooks hooks) { canvas_.setHooks(std::move(hooks)); }

  BoxAnswer showBox(const BoxRequest& request) override;

  // Where a request's box lies on the canvas (tests click its buttons).
  [[nodiscard]] BoxLayout layoutFor(const BoxRequest& request);
  // The drawing and input the file dialogs share with the boxes.
  [[nodiscard]] DialogCanvas& canvas() { return canvas_; }

 private:
  DialogCanvas canvas_;
};

// Shows `text` (wrapped for a box) with an Ok button under the caption "Information".
void InfoBox(BoxPresenter& boxes, std::string_view text);
// Asks `text` (wrapped for a box) with Yes and No under the caption "Question"; 1 when the
// answer is Yes.
[[nodiscard]] int QuestionBox(BoxPresenter& boxes, std::string_view text);

}  // namespace lw
