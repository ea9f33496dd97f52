// Which keys are the player's: F11 and Alt+Enter, Ctrl+F12, Ctrl+Shift+M, and the same keys
// under other modifiers left to the title.
#include "platform/sdl/sdl_desktop_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace lw::platform {
namespace {

TEST(SdlDesktopKeysTest, OnlyThePlayersKeysAreTaken) {
  struct KeyCase {
    SDL_Keycode code;
    std::uint16_t mod;
    std::optional<DesktopKey> expected;
  };
  const std::vector<KeyCase> cases = {
      {SDLK_F11, 0, DesktopKey::kToggleFullscreen},
      {SDLK_F11, KMOD_LSHIFT, DesktopKey::kToggleFullscreen},
      {SDLK_F11, KMOD_LCTRL, std::nullopt},
      {SDLK_RETURN, KMOD_LALT, DesktopKey::kToggleFullscreen},
      {SDLK_KP_ENTER, KMOD_RALT, DesktopKey::kToggleFullscreen},
      {SDLK_RETURN, 0, std::nullopt},
      {SDLK_F12, KMOD_LCTRL, DesktopKey::kScreenshot},
      {SDLK_F12, KMOD_RCTRL | KMOD_LSHIFT, DesktopKey::kScreenshot},
      {SDLK_F12, 0, std::nullopt},  // the message box
      {SDLK_F12, KMOD_LCTRL | KMOD_LALT, std::nullopt},
      {SDLK_m, KMOD_LCTRL | KMOD_LSHIFT, DesktopKey::kToggleMute},
      {SDLK_m, KMOD_RCTRL | KMOD_RSHIFT | KMOD_CAPS, DesktopKey::kToggleMute},
      {SDLK_m, KMOD_LCTRL, std::nullopt},  // the title's Ctrl+M
      {SDLK_m, KMOD_LSHIFT, std::nullopt},
      {SDLK_m, KMOD_LCTRL | KMOD_LSHIFT | KMOD_LALT, std::nullopt},
      {SDLK_F10, 0, std::nullopt},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(DesktopKeyOf(c.code, c.mod), c.expected) << c.code << " mod " << c.mod;
  }
}

}  // namespace
}  // namespace lw::platform
