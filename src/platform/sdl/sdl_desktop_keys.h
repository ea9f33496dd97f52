// The keys that belong to the player rather than to the title: the window backend acts on them
// itself and the runtime never hears of them, neither the press nor the release.
//   F11, Alt+Enter   switch between full screen and a window
//   Ctrl+F12         save a screenshot (F12 alone is the runtime's message box key)
//   Ctrl+Shift+M     silence the sound or bring it back (Ctrl+M stays the title's)
// F11 gives titles no character, so it takes nothing from them; Ctrl+Shift+M would reach a
// title as a command-M, which titles take as Ctrl+M alone.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>

namespace lw::platform {

enum class DesktopKey : std::uint8_t { kToggleFullscreen, kScreenshot, kToggleMute };

// The player's key that `code` (SDL_Keysym::sym) is under the modifier state, if it is one.
[[nodiscard]] std::optional<DesktopKey> DesktopKeyOf(SDL_Keycode code, std::uint16_t modState);

}  // namespace lw::platform
