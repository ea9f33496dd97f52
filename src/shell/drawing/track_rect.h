// The press feedback of clickable areas: while the button stays down the area shows an
// inverted frame whenever the mouse is over it.
#pragma once

#include "common/geometry.h"
#include "shell/drawing/graphics.h"
#include "shell/windows/window_system.h"

namespace lw {

// Follows a press that began in `r` (coordinates of the current port, which should be a
// window's) until the button is released. Frames `r` with a 3-pixel inverting pen while the mouse
// is inside, keeps the feedback up for at least 10 ticks, removes it and restores the normal
// pen. 1 when the mouse was inside `r` at the release, or the button was already up at the
// start; else 0.
int TrackRect(Graphics& graphics, WindowSystem& windows, const Rect& r);

}  // namespace lw
