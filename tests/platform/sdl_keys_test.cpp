// SDL's keys as the runtime's keys: the key, the character under the modifier state, the
// modifiers, and the physical keys behind the keyboard state.
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
      {SDLK_ESCAPE, KMOD_LSHIFT, "esc(27)"}, {SDLK_RETURN, KMOD_LSHIFT, "return(13)"},
      {SDLK_KP_ENTER, 0, "return(13)"}, {SDLK_BACKSPACE, 0, "backspace(8)"},
      {SDLK_TAB, KMOD_LSHIFT, "tab(9)"}, {SDLK_DELETE, 0, "delete"}, {SDLK_LEFT, 0, "left"},
      {SDLK_RIGHT, 0, "right"}, {SDLK_UP, 0, "up"}, {SDLK_DOWN, 0, "down"}, {SDLK_F1, 0, "f1"},
      {SDLK_F9, 0, "f9"}, {SDLK_F12, KMOD_LSHIFT, "f12"},
      // Letters follow Shift and Caps Lock, not Ctrl or Alt.
      {SDLK_q, 0, "q"}, {SDLK_q, KMOD_RSHIFT, "Q"}, {SDLK_q, KMOD_CAPS, "Q"},
      {SDLK_q, KMOD_CAPS | KMOD_LSHIFT, "q"}, {SDLK_q, KMOD_LCTRL, "q"},
      {SDLK_q, KMOD_LCTRL | KMOD_LSHIFT, "Q"}, {SDLK_z, KMOD_LALT, "z"},
      // Keypad digits need Num Lock; its operators do not.
      {SDLK_KP_5, KMOD_NUM, "5"}, {SDLK_KP_PERIOD, KMOD_NUM, "."}, {SDLK_KP_5, 0, "other"},
      {SDLK_KP_PLUS, 0, "+"}, {SDLK_KP_DIVIDE, 0, "/"},
      // Keys without an ASCII character (0xE9: a layout's e acute).
      {SDLK_HOME, KMOD_LSHIFT, "other"}, {SDLK_LSHIFT, KMOD_LSHIFT, "other"},
      {SDLK_RCTRL, 0, "other"}, {SDLK_CAPSLOCK, 0, "other"}, {SDLK_PAGEUP, 0, "other"},
      {0xE9, 0, "other"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Translated(c.code, c.mods), c.key) << SDL_GetKeyName(c.code) << " " << c.mods;
  }
}

// Caps Lock changes letters only.
TEST(SdlKeysTest, DigitsAndPunctuationShiftAsOnAUsKeyboard) {
  const std::string_view plain = "1234567890-=[]\\;',./`";
  std::string shifted;
  std::string locked;
  for (const char key : plain) {
    shifted += Translated(static_cast<SDL_Keycode>(key), KMOD_LSHIFT);
    locked += Translated(static_cast<SDL_Keycode>(key), KMOD_CAPS);
  }
  EXPECT_EQ(shifted, "!@#$%^&*()_+{}|:\"<>?~");
  EXPECT_EQ(locked, plain);
  EXPECT_EQ(TranslateKey(SDLK_SPACE, KMOD_LSHIFT).character, ' ');
}

TEST(SdlKeysTest, ModifiersTakeEitherSide) {
  const auto text = [](std::uint16_t modState) {
    const Modifiers m = ModifiersOf(modState);
    return std::string(m.ctrl ? "ctrl " : "") + (m.alt ? "alt " : "") + (m.shift ? "shift" : "");
  };
  EXPECT_EQ(text(KMOD_LCTRL | KMOD_LALT), "ctrl alt ");
  EXPECT_EQ(text(KMOD_RSHIFT | KMOD_RCTRL | KMOD_CAPS), "ctrl shift");
  EXPECT_EQ(text(KMOD_RALT | KMOD_LSHIFT), "alt shift");
}

TEST(SdlKeysTest, ScancodesNameThePhysicalKeys) {
  const auto has = [](Key key, SDL_Scancode code) {
    const auto codes = ScancodesOf(key);
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  EXPECT_TRUE(has(Key::kReturn, SDL_SCANCODE_RETURN));
  EXPECT_TRUE(has(Key::kReturn, SDL_SCANCODE_KP_ENTER));
  EXPECT_EQ(ScancodesOf(Key::kEscape).size(), 1U);
  EXPECT_TRUE(has(Key::kEscape, SDL_SCANCODE_ESCAPE));
  for (int i = 0; i < 12; ++i) {
    const auto key = static_cast<Key>(static_cast<int>(Key::kF1) + i);
    EXPECT_EQ(ScancodesOf(key).size(), 1U);
    EXPECT_TRUE(has(key, static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i))) << i;
  }
  for (const Key key : {Key::kCharacter, Key::kOther, Key::kNone}) {
    EXPECT_TRUE(ScancodesOf(key).empty());
  }
}

}  // namespace
}  // namespace lw::platform
