#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lw::platform {
namespace {

constexpr std::uint16_t kNoMods = KMOD_NONE;

TEST(SdlKeysTest, NamedKeysGiveTheirKeyAndControlCharacter) {
  struct Case {
    SDL_Keycode code;
    Key key;
    std::uint8_t character;
  };
  const Case cases[] = {
      {SDLK_ESCAPE, Key::kEscape, 27},
      {SDLK_RETURN, Key::kReturn, 13},
      {SDLK_KP_ENTER, Key::kReturn, 13},
      {SDLK_BACKSPACE, Key::kBackspace, 8},
      {SDLK_TAB, Key::kTab, 9},
      {SDLK_DELETE, Key::kDelete, 0},
      {SDLK_LEFT, Key::kLeft, 0},
      {SDLK_RIGHT, Key::kRight, 0},
      {SDLK_UP, Key::kUp, 0},
      {SDLK_DOWN, Key::kDown, 0},
      {SDLK_F1, Key::kF1, 0},
      {SDLK_F9, Key::kF9, 0},
      {SDLK_F12, Key::kF12, 0},
  };
  for (const Case& c : cases) {
    const KeyTranslation t = TranslateKey(c.code, KMOD_LSHIFT);
    EXPECT_EQ(t.key, c.key) << SDL_GetKeyName(c.code);
    EXPECT_EQ(t.character, c.character) << SDL_GetKeyName(c.code);
  }
}

TEST(SdlKeysTest, LettersFollowShiftAndCapsLockButNotCtrl) {
  EXPECT_EQ(TranslateKey(SDLK_q, kNoMods).character, 'q');
  EXPECT_EQ(TranslateKey(SDLK_q, KMOD_RSHIFT).character, 'Q');
  EXPECT_EQ(TranslateKey(SDLK_q, KMOD_CAPS).character, 'Q');
  EXPECT_EQ(TranslateKey(SDLK_q, KMOD_CAPS | KMOD_LSHIFT).character, 'q');
  EXPECT_EQ(TranslateKey(SDLK_q, KMOD_LCTRL).character, 'q');
  EXPECT_EQ(TranslateKey(SDLK_q, KMOD_LCTRL | KMOD_LSHIFT).character, 'Q');
  EXPECT_EQ(TranslateKey(SDLK_z, KMOD_LALT).key, Key::kCharacter);
}

TEST(SdlKeysTest, DigitsAndPunctuationShiftAsOnAUsKeyboard) {
  const std::string_view plain = "1234567890-=[]\\;',./` ";
  const std::string_view shifted = "!@#$%^&*()_+{}|:\"<>?~ ";
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const auto code = static_cast<SDL_Keycode>(plain[i]);
    EXPECT_EQ(TranslateKey(code, kNoMods).character, static_cast<std::uint8_t>(plain[i]));
    EXPECT_EQ(TranslateKey(code, KMOD_LSHIFT).character, static_cast<std::uint8_t>(shifted[i]))
        << plain[i];
    // Caps Lock changes letters only.
    EXPECT_EQ(TranslateKey(code, KMOD_CAPS).character, static_cast<std::uint8_t>(plain[i]));
  }
}

TEST(SdlKeysTest, KeypadDigitsNeedNumLockAndOperatorsDoNot) {
  EXPECT_EQ(TranslateKey(SDLK_KP_5, KMOD_NUM).character, '5');
  EXPECT_EQ(TranslateKey(SDLK_KP_PERIOD, KMOD_NUM).character, '.');
  EXPECT_EQ(TranslateKey(SDLK_KP_5, kNoMods).key, Key::kOther);
  EXPECT_EQ(TranslateKey(SDLK_KP_5, kNoMods).character, 0);
  EXPECT_EQ(TranslateKey(SDLK_KP_PLUS, kNoMods).character, '+');
  EXPECT_EQ(TranslateKey(SDLK_KP_DIVIDE, kNoMods).character, '/');
}

TEST(SdlKeysTest, KeysWithoutAnAsciiCharacterAreOther) {
  const SDL_Keycode others[] = {SDLK_HOME,     SDLK_LSHIFT, SDLK_RCTRL,
                                SDLK_CAPSLOCK, SDLK_PAGEUP, 0xE9 /* a layout's e acute */};
  for (const SDL_Keycode code : others) {
    const KeyTranslation t = TranslateKey(code, KMOD_LSHIFT);
    EXPECT_EQ(t.key, Key::kOther) << code;
    EXPECT_EQ(t.character, 0) << code;
  }
}

TEST(SdlKeysTest, ModifiersTakeEitherSide) {
  const Modifiers left = ModifiersOf(KMOD_LCTRL | KMOD_LALT);
  EXPECT_TRUE(left.ctrl);
  EXPECT_TRUE(left.alt);
  EXPECT_FALSE(left.shift);
  const Modifiers right = ModifiersOf(KMOD_RSHIFT | KMOD_RCTRL | KMOD_CAPS);
  EXPECT_TRUE(right.ctrl);
  EXPECT_FALSE(right.alt);
  EXPECT_TRUE(right.shift);
}

TEST(SdlKeysTest, ScancodesNameThePhysicalKeys) {
  const auto returns = ScancodesOf(Key::kReturn);
  EXPECT_NE(std::find(returns.begin(), returns.end(), SDL_SCANCODE_RETURN), returns.end());
  EXPECT_NE(std::find(returns.begin(), returns.end(), SDL_SCANCODE_KP_ENTER), returns.end());
  ASSERT_EQ(ScancodesOf(Key::kEscape).size(), 1U);
  EXPECT_EQ(ScancodesOf(Key::kEscape)[0], SDL_SCANCODE_ESCAPE);
  const Key functionKeys[] = {Key::kF1, Key::kF2, Key::kF3, Key::kF4,  Key::kF5,  Key::kF6,
                              Key::kF7, Key::kF8, Key::kF9, Key::kF10, Key::kF11, Key::kF12};
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(ScancodesOf(functionKeys[i]).size(), 1U);
    EXPECT_EQ(ScancodesOf(functionKeys[i])[0], SDL_SCANCODE_F1 + i);
  }
  EXPECT_TRUE(ScancodesOf(Key::kCharacter).empty());
  EXPECT_TRUE(ScancodesOf(Key::kOther).empty());
  EXPECT_TRUE(ScancodesOf(Key::kNone).empty());
}

}  // namespace
}  // namespace lw::platform
