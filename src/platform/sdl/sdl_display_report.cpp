#include "platform/sdl/sdl_display_report.h"

#include <SDL.h>

namespace lw::platform {

DisplayReport DesktopDisplay() {
  DisplayReport report;
  // The subsystem counts its users, so this leaves the platform's own video as it was.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return report;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    report.present = true;
    report.width = mode.w;
    report.height = mode.h;
    report.bitsPerPixel = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return report;
}

}  // namespace lw::platform
