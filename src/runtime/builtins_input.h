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

#include "script/builtin_table.h"

namespace lw {

// Wires the built-ins above.
void WireInputBuiltins(BuiltinTable& table);

}  // namespace lw
