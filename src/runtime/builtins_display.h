// The runtime built-in of the display step: forceupdate. A title's idle() is expected to call it
// once a tick; each call moves the title one frame on.
#pragma once

#include "media/compositor.h"
#include "runtime/builtins_settings.h"
#include "script/builtin_table.h"

namespace lw {

// What the display step works with: the frame counter (in the settings, where frame() reads
// it) and the screen composition.
struct DisplayServices {
  ScriptSettings& settings;
  Compositor& compositor;
};

// Wires forceupdate into `table`; `services` must outlive the table.
void WireDisplayBuiltins(BuiltinTable& table, DisplayServices& services);
// Records its signature alone.
void DescribeDisplayBuiltins(BuiltinTable& catalog);

}  // namespace lw
