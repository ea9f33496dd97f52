// SDL's keys as the runtime's keys: the key, the character under the modifier state, and the
// physical keys behind the keyboard state (the modifiers are the event tests').
#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "message_text.h"

namespace lw::platform {
namespace {

// The key under `modState` as the message text shows it, without the modifiers.
std::string Translated(SDL_Keycode code, std::uint16_t modState) {
  const KeyTranslation t = TranslateKey(code, modState);
  return KeyText(t.key, t.character);
}

TEST(SdlKeysTest, KeysGiveTheirKeyAndCharacter) {
  const struct {
    SDL_Keycode code;
    std::uint16_t mods;
    std::string_view key;
  } cases[] = {
      // clang-format off
      // Named keys, with Shift too; the keypad's Enter is Return.
      {SDLK_ESCAPE, KMOD_LSHIFT, "esc(27)"}, {SDLK_KP_ENTER, 0, "return(13)"},
      {SDLK_BACKSPACE, 0, "backspace(8)"}, {SDLK_TAB, KMOD_LSHIFT, "tab(9)"},
      {SDLK_DELETE, 0, "delete"}, {SDLK_LEFT, 0, "left"}, {SDLK_F12, KMOD_LSHIFT, "f12"},
      // Letters follow Shift and Caps Lock, not Ctrl or Alt.
      {SDLK_q, 0, "q"}, {SDLK_q, KMOD_RSHIFT, "Q"}, {SDLK_q, KMOD_CAPS, "Q"},
      {SDLK_q, KMOD_CAPS | KMOD_LSHIFT, "q"}, {SDLK_q, KMOD_LCTRL, "q"},
      {SDLK_q, KMOD_LCTRL | KMOD_LSHIFT, "Q"}, {SDLK_z, KMOD_LALT, "z"},
      // Digits and punctuation shift as on a US keyboard; Caps Lock leaves them.
      {'1', KMOD_LSHIFT, "!"}, {'/', KMOD_LSHIFT, "?"}, {'`', KMOD_LSHIFT, "~"},
      {'\\', KMOD_LSHIFT, "|"}, {'1', KMOD_CAPS, "1"}, {SDLK_SPACE, KMOD_LSHIFT, "#32"},
      // Keypad digits need Num Lock; its operators do not.
      {SDLK_KP_5, KMOD_NUM, "5"}, {SDLK_KP_PERIOD, KMOD_NUM, "."}, {SDLK_KP_5, 0, "other"},
      {SDLK_KP_PLUS, 0, "+"}, {SDLK_KP_DIVIDE, 0, "/"},
      // Keys without an ASCII character (0xE9: a layout's e acute).
      {SDLK_HOME, KMOD_LSHIFT, "other"}, {SDLK_LSHIFT, KMOD_LSHIFT, "other"}, {0xE9, 0, "other"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Translated(c.code, c.mods), c.key) << SDL_GetKeyName(c.code) << " " << c.mods;
  }
}

// The keypad's Enter is Return too.
TEST(SdlKeysTest, ReturnHasTwoPhysicalKeys) {
  const auto codes = ScancodesOf(Key::kReturn);
  for (const SDL_Scancode code : {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER})
    EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;
  EXPECT_TRUE(ScancodesOf(Key::kCharacter).empty());
}

}  // namespace
}  // namespace lw::platform
