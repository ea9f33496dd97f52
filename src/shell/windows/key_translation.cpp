#include "shell/windows/key_translation.h"

#include <array>

#include "shell/windows/event_record.h"

namespace lw {
namespace {

using platform::Key;

// Ctrl+F1..F9 in key order: F1/F2 all three exponents, F3/F4 the first, F5/F6 the second,
// F7/F8 the third (odd keys lower, even keys raise), F9 back to the default.
constexpr std::array<CorrectionKey, 9> kCorrectionKeys{{
    {false, true, true, true},
    {true, true, true, true},
    {false, true, false, false},
    {true, true, false, false},
    {false, false, true, false},
    {true, false, true, false},
    {false, false, false, true},
    {true, false, false, true},
    {false, false, false, false},
}};

// The correction change of a function key, or nothing for F10..F12 and other keys.
std::optional<CorrectionKey> CorrectionOf(Key key) {
  const int index = static_cast<int>(key) - static_cast<int>(Key::kF1);
  if (index < 0 || index >= static_cast<int>(kCorrectionKeys.size())) return std::nullopt;
  return kCorrectionKeys[static_cast<std::size_t>(index)];
}

// The character of a key: the fixed ones for Esc and the arrows, else the platform's.
std::uint8_t CharacterOf(const platform::Message& message) {
  switch (message.key) {
    case Key::kEscape: return key_character::kEscape;
    case Key::kLeft: return key_character::kLeftArrow;
    case Key::kRight: return key_character::kRightArrow;
    case Key::kUp: return key_character::kUpArrow;
    case Key::kDown: return key_character::kDownArrow;
    default: return message.character;
  }
}

}  // namespace

KeyPress TranslateKeyDown(const platform::Message& message) {
  if (message.modifiers.ctrl) {
    if (const auto correction = CorrectionOf(message.key)) return *correction;
  }
  if (const auto key = TranslateKey(message)) return *key;
  return std::monostate{};
}

std::optional<KeyCharacter> TranslateKey(const platform::Message& message) {
  const std::uint8_t character = CharacterOf(message);
  if (character == 0) return std::nullopt;
  const bool command = message.modifiers.ctrl || message.key == Key::kEscape;
  return KeyCharacter{character, command ? event_modifier::kCommand : std::uint16_t{0}};
}

}  // namespace lw
