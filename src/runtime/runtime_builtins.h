// The built-ins that need the runtime around the interpreter (input state, cursors, palettes,
// dialogs, the message box, plug-ins). The Runtime wires them into its interpreter at start;
// titlekit's interpreters, which run without a runtime, have only the script layer's own.
#pragma once

#include "script/builtin_table.h"

namespace lw {

class Runtime;

// Wires every runtime built-in into `table`.
void WireRuntimeBuiltins(BuiltinTable& table);

// The run that a runtime built-in was called in. Only the Runtime wires these built-ins, so the
// interpreter's host is always the Runtime's.
Runtime& RuntimeOf(BuiltinCall& call);

}  // namespace lw
