// What a platform key message means to the runtime: the character and modifiers of the key
// event it posts, or, for Ctrl+F1..F9 pressed, a change of the colour correction instead.
// Ctrl gives the command modifiers but not a control character, so Ctrl+Q is "q"; Esc is "."
// with the command modifiers; the arrows are the control characters 28..31.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "platform/platform.h"

namespace lw {

// The character and modifiers of a key event.
struct KeyCharacter {
  std::uint8_t character = 0;
  std::uint16_t modifiers = 0;
};

namespace key_character {
inline constexpr std::uint8_t kEscape = '.';
inline constexpr std::uint8_t kLeftArrow = 28;
inline constexpr std::uint8_t kRightArrow = 29;
inline constexpr std::uint8_t kUpArrow = 30;
inline constexpr std::uint8_t kDownArrow = 31;
}  // namespace key_character

// A colour-correction change: raise (multiply by the step) or lower (divide) the selected
// exponents; with none selected, the correction goes back to its default.
struct CorrectionKey {
  bool raise = false;
  bool first = false;
  bool second = false;
  bool third = false;

  friend bool operator==(const CorrectionKey&, const CorrectionKey&) = default;
};

// A key press: nothing (the key gives no character), a key event, or a correction change.
using KeyPress = std::variant<std::monostate, KeyCharacter, CorrectionKey>;

// A key-down message: Ctrl+F1..F9 change the correction; any other key as TranslateKey.
[[nodiscard]] KeyPress TranslateKeyDown(const platform::Message& message);
// The key event of a key message, down or up (the function keys are not special), or nothing
// for a key that gives no character.
[[nodiscard]] std::optional<KeyCharacter> TranslateKey(const platform::Message& message);

}  // namespace lw
