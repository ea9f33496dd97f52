// The runtime built-in that writes the programmer's message box: message(t).
#pragma once

#include "runtime/message_box_window.h"
#include "script/builtin_table.h"

namespace lw {

// What message(t) works with: the message box, whose output line it writes.
struct MessageServices {
  MessageBoxWindow& messageBox;
};

// Wires message(t) into `table`; `services` must outlive the table.
void WireMessageBuiltins(BuiltinTable& table, MessageServices& services);
// Records its signature alone.
void DescribeMessageBuiltins(BuiltinTable& catalog);

}  // namespace lw
