// The desktop's display as SDL reports it, for the start-up display check. Holds no SDL.
#pragma once

#include "platform/startup_probe.h"

namespace lw::platform {

// The first display's desktop mode: size and bits per pixel. Call it once the window platform
// has been made (so that a display is there); without one the report is of no display.
[[nodiscard]] DisplayReport DesktopDisplay();

}  // namespace lw::platform
