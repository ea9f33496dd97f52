// Shared set-up of the drawing tests: a Graphics over the rig's screen that can be paused, and
// the ports of windows on the screen canvas.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "shell/drawing/graphics.h"
#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {

class GraphicsTest : public ::testing::Test, protected ShellRig {
 protected:
  // The port of window `index`, showing `bounds` of the screen canvas.
  Port WindowPort(int index, const Rect& bounds) {
    Port port;
    port.surface = &screen.canvas();
    port.window = index;
    port.bounds = bounds;
    return port;
  }

  // A white surface of `width` x `height` that drawing goes to from now on.
  Surface& DrawOn(int width, int height) {
    Surface& surface = surfaces.emplace_back(WhiteSurface(width, height));
    graphics.SetPort(surface.port);
    return surface;
  }

  std::deque<Surface> surfaces;  // a deque keeps each surface where it is
  bool paused = false;
  Graphics graphics{screen, platform.blockFonts, errors, [this] { return paused; }};
};

}  // namespace lw::test
