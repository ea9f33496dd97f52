// The runtime built-in that writes the programmer's message box: message(t).
#pragma once

#include "script/builtin_table.h"

namespace lw {

// Wires message(t) into `table`.
void WireMessageBuiltins(BuiltinTable& table);

}  // namespace lw
