// Drawing of message boxes and of the buttons every dialog shares, in two colours: ink for
// frames, text and the caption bar, paper behind them.
#pragma once

#include <string_view>

#include "common/box_request.h"
#include "common/geometry.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/dialog_canvas.h"

namespace lw {

// How a dialog button shows: the focused button (the one Return presses) has a heavy frame and
// a dotted mark inside; a button held down under the mouse is inverted.
struct ButtonLook {
  bool focused = false;
  bool pressed = false;
};

void DrawDialogButton(DialogCanvas& canvas, const Rect& r, std::string_view label,
                      DialogColours colours, ButtonLook look);

// A dialog's background, frame and caption bar with its caption.
void DrawDialogFrame(DialogCanvas& canvas, const Rect& frame, const Rect& caption,
                     std::string_view title, DialogColours colours);

// The whole box: frame, caption, icon, text and buttons; `focused` and `pressed` are button
// indexes (-1 for none).
void DrawBox(DialogCanvas& canvas, const BoxLayout& layout, const BoxRequest& request,
             DialogColours colours, int focused, int pressed);

}  // namespace lw
