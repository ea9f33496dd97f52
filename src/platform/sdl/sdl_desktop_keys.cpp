#include "platform/sdl/sdl_desktop_keys.h"

namespace lw::platform {

std::optional<DesktopKey> DesktopKeyOf(SDL_Keycode code, std::uint16_t modState) {
  const bool ctrl = (modState & KMOD_CTRL) != 0;
  const bool alt = (modState & KMOD_ALT) != 0;
  const bool shift = (modState & KMOD_SHIFT) != 0;
  switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      if (alt) return DesktopKey::kToggleFullscreen;
      break;
    case SDLK_F11:
      if (!ctrl && !alt) return DesktopKey::kToggleFullscreen;
      break;
    case SDLK_F12:
      if (ctrl && !alt) return DesktopKey::kScreenshot;
      break;
    case SDLK_m:
      if (ctrl && shift && !alt) return DesktopKey::kToggleMute;
      break;
    default: break;
  }
  return std::nullopt;
}

}  // namespace lw::platform
