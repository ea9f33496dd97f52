// SDL's keys as the runtime's keys: which key it is, the character it gives and the modifiers
// held. Pure functions of the key code and the modifier state.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace lw::platform {

struct KeyTranslation {
  Key key = Key::kNone;
  // What the key gives with the Shift state and without Ctrl (ASCII); 0 for none.
  std::uint8_t character = 0;
};

// Translates a key code (SDL_Keysym::sym, the layout's unshifted key) under a modifier state.
// Characters follow a US keyboard's Shift map; Caps Lock turns letters to the other case (so
// Shift with Caps Lock gives lower case); keypad digits give characters only with Num Lock.
// Keys whose character lies beyond ASCII give none.
[[nodiscard]] KeyTranslation TranslateKey(SDL_Keycode code, std::uint16_t modState);

[[nodiscard]] Modifiers ModifiersOf(std::uint16_t modState);

// The physical keys that count as `key` for the keyboard state (none for kCharacter, kOther
// and kNone, which name no single key).
[[nodiscard]] std::span<const SDL_Scancode> ScancodesOf(Key key);

}  // namespace lw::platform
