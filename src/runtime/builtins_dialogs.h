// The runtime built-ins that talk to the player through dialogs, and drawstring:
//
// - notedialog(t): shows the text t in the information box and waits until it is closed.
// - questiondialog(t): asks the text t in the question box; logic: the answer was Yes.
// - textdialog(t, u): asks for a line of text in the text-entry dialog, with the prompt t and
//   the field's first text u; yields the text entered, or the empty text when the player
//   cancels (so a title tells a cancel from an answer the same way it tells an empty answer).
// - drawstring(t, p, a, b): draws t on the stage, its baseline starting at the stage point p
//   (h in the high 16 bits, v in the low 16 bits), in font a at size b, in colour 0. The text
//   settings of the stage window's port are reset first: text draws in copy mode whatever pen
//   mode the title left there.
//
// Text arguments must be texts and the others numbers (else "Bad argument type."). Boxes go to
// the platform first (a headless run answers them from its input script); the text-entry dialog
// is always drawn and reads the player's keys and clicks.
#pragma once

#include <functional>

#include "runtime/stage_window.h"
#include "script/builtin_table.h"
#include "shell/dialogs/window_boxes.h"
#include "shell/drawing/graphics.h"

namespace lw {

// What the dialog built-ins work with: the boxes (and the canvas the text-entry dialog draws
// on), and for drawstring the graphics and the stage window, whose port it draws in.
struct DialogServices {
  WindowBoxes& boxes;
  Graphics& graphics;
  // The stage window, or null while there is none.
  std::function<StageWindow*()> stage;
};

// Wires the built-ins above; `services` must outlive the table.
void WireDialogBuiltins(BuiltinTable& table, DialogServices& services);
// Records their signatures alone.
void DescribeDialogBuiltins(BuiltinTable& catalog);

}  // namespace lw
