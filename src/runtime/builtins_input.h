// The runtime built-ins of input, time and cursors: the functions button, stilldown, mouse,
// shiftkey, commandkey and tick; the commands delay, flushevents, hidecursor, showcursor,
// cursor and quit.
//
// mouse() gives the mouse as a stage point packed as h << 16 | v, the form mousedown(N) uses.
// cursor(c): a number n is the cursor resource "CURSn"; the texts "arrow" and "watch" (compared
// as script texts are, without regard to case) are the arrow and the title's cursor 2002 held
// since start-up; any other text t is "CURS.T". quit() makes cursor 2002 current and sets the
// quit flag; the running handler goes on to its end and the loop stops after that pass.
#pragma once

#include <functional>
#include <string_view>

#include "runtime/stage_window.h"
#include "script/builtin_table.h"
#include "shell/windows/window_system.h"

namespace lw {

// The cursors of the program's resources are of this type; number 2002 is the title's cursor,
// made current at start and held for the "watch" cursor and for quit().
inline constexpr std::string_view kCursorType = "CURS";
inline constexpr int kTitleCursorNumber = 2002;

// What the input built-ins work with: the window system (input state, clock, event queue,
// cursors, the quit flag) and the stage window, whose origin turns the mouse into a stage point.
struct InputServices {
  WindowSystem& windows;
  // The stage window, or null while there is none.
  std::function<const StageWindow*()> stage;
};

// Wires the built-ins above; `services` must outlive the table.
void WireInputBuiltins(BuiltinTable& table, InputServices& services);
// Records their signatures alone.
void DescribeInputBuiltins(BuiltinTable& catalog);

}  // namespace lw
