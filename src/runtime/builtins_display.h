// The runtime built-ins of the display step: forceupdate and visualeffect. A title's idle() is
// expected to call forceupdate once a tick; each call moves the title one frame on.
#pragma once

#include <functional>

#include "media/compositor.h"
#include "media/script_effects.h"
#include "objects/motion.h"
#include "objects/puppet_objects.h"
#include "objects/set_objects.h"
#include "runtime/builtins_settings.h"
#include "script/builtin_table.h"

namespace lw {

// What the display step works with: the walks, balls and loops that move on first, the frame
// counter (in the settings, where frame() reads it), the screen composition, the set (whose
// moves are animated a step a frame), the puppet (which stands in for the composition while it
// shows), and the reveal of the composed stage by a visual effect
// over about `duration` ticks.
struct DisplayServices {
  Motion& motion;
  ScriptSettings& settings;
  Compositor& compositor;
  SetObjects& set;
  PuppetObjects& puppet;
  std::function<void(ScriptEffect effect, int duration)> reveal;
};

// Wires forceupdate and visualeffect into `table`; `services` must outlive the table.
void WireDisplayBuiltins(BuiltinTable& table, DisplayServices& services);
// Records their signatures alone.
void DescribeDisplayBuiltins(BuiltinTable& catalog);

}  // namespace lw
