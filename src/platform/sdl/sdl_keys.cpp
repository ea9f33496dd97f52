#include "platform/sdl/sdl_keys.h"

#include <array>
#include <string_view>

namespace lw::platform {
namespace {

constexpr std::uint8_t kReturnCharacter = 13;
constexpr std::uint8_t kBackspaceCharacter = 8;
constexpr std::uint8_t kTabCharacter = 9;
constexpr std::uint8_t kEscapeCharacter = 27;
constexpr char kFirstPrintable = ' ';
constexpr char kLastPrintable = '~';

// The keys the runtime names, with the character each gives (0: none).
struct NamedKey {
  SDL_Keycode code;
  Key key;
  std::uint8_t character;
};
constexpr std::array<NamedKey, 23> kNamedKeys = {{
    {SDLK_ESCAPE, Key::kEscape, kEscapeCharacter},
    {SDLK_RETURN, Key::kReturn, kReturnCharacter},
    {SDLK_RETURN2, Key::kReturn, kReturnCharacter},
    {SDLK_KP_ENTER, Key::kReturn, kReturnCharacter},
    {SDLK_BACKSPACE, Key::kBackspace, kBackspaceCharacter},
    {SDLK_TAB, Key::kTab, kTabCharacter},
    {SDLK_DELETE, Key::kDelete, 0},
    {SDLK_LEFT, Key::kLeft, 0},
    {SDLK_RIGHT, Key::kRight, 0},
    {SDLK_UP, Key::kUp, 0},
    {SDLK_DOWN, Key::kDown, 0},
    {SDLK_F1, Key::kF1, 0},
    {SDLK_F2, Key::kF2, 0},
    {SDLK_F3, Key::kF3, 0},
    {SDLK_F4, Key::kF4, 0},
    {SDLK_F5, Key::kF5, 0},
    {SDLK_F6, Key::kF6, 0},
    {SDLK_F7, Key::kF7, 0},
    {SDLK_F8, Key::kF8, 0},
    {SDLK_F9, Key::kF9, 0},
    {SDLK_F10, Key::kF10, 0},
    {SDLK_F11, Key::kF11, 0},
    {SDLK_F12, Key::kF12, 0},
}};

// What Shift makes of the unshifted symbols of a US keyboard: kUnshifted[i] -> kShifted[i].
constexpr std::string_view kUnshifted = "1234567890-=[]\\;',./`";
constexpr std::string_view kShifted = "!@#$%^&*()_+{}|:\"<>?~";
static_assert(kUnshifted.size() == kShifted.size());

// Keypad keys that give a character whatever the Num Lock state, and the digits and point that
// give one only with Num Lock.
struct KeypadKey {
  SDL_Keycode code;
  char character;
  bool needsNumLock;
};
constexpr std::array<KeypadKey, 17> kKeypadKeys = {{
    {SDLK_KP_DIVIDE, '/', false},
    {SDLK_KP_MULTIPLY, '*', false},
    {SDLK_KP_MINUS, '-', false},
    {SDLK_KP_PLUS, '+', false},
    {SDLK_KP_EQUALS, '=', false},
    {SDLK_KP_PERIOD, '.', true},
    {SDLK_KP_0, '0', true},
    {SDLK_KP_1, '1', true},
    {SDLK_KP_2, '2', true},
    {SDLK_KP_3, '3', true},
    {SDLK_KP_4, '4', true},
    {SDLK_KP_5, '5', true},
    {SDLK_KP_6, '6', true},
    {SDLK_KP_7, '7', true},
    {SDLK_KP_8, '8', true},
    {SDLK_KP_9, '9', true},
    {SDLK_KP_COMMA, ',', false},
}};

// The physical keys of each named key, for the keyboard state.
constexpr std::array<SDL_Scancode, 3> kReturnScancodes = {SDL_SCANCODE_RETURN, SDL_SCANCODE_RETURN2,
                                                          SDL_SCANCODE_KP_ENTER};
struct KeyScancode {
  Key key;
  SDL_Scancode scancode;
};
constexpr std::array<KeyScancode, 20> kScancodes = {{
    {Key::kEscape, SDL_SCANCODE_ESCAPE}, {Key::kBackspace, SDL_SCANCODE_BACKSPACE},
    {Key::kTab, SDL_SCANCODE_TAB},       {Key::kDelete, SDL_SCANCODE_DELETE},
    {Key::kLeft, SDL_SCANCODE_LEFT},     {Key::kRight, SDL_SCANCODE_RIGHT},
    {Key::kUp, SDL_SCANCODE_UP},         {Key::kDown, SDL_SCANCODE_DOWN},
    {Key::kF1, SDL_SCANCODE_F1},         {Key::kF2, SDL_SCANCODE_F2},
    {Key::kF3, SDL_SCANCODE_F3},         {Key::kF4, SDL_SCANCODE_F4},
    {Key::kF5, SDL_SCANCODE_F5},         {Key::kF6, SDL_SCANCODE_F6},
    {Key::kF7, SDL_SCANCODE_F7},         {Key::kF8, SDL_SCANCODE_F8},
    {Key::kF9, SDL_SCANCODE_F9},         {Key::kF10, SDL_SCANCODE_F10},
    {Key::kF11, SDL_SCANCODE_F11},       {Key::kF12, SDL_SCANCODE_F12},
}};

// The character of a printable ASCII key under Shift and Caps Lock.
char ShiftedCharacter(char unshifted, bool shift, bool capsLock) {
  if (unshifted >= 'a' && unshifted <= 'z') {
    return shift != capsLock ? static_cast<char>(unshifted - 'a' + 'A') : unshifted;
  }
  if (!shift) return unshifted;
  const std::size_t at = kUnshifted.find(unshifted);
  return at == std::string_view::npos ? unshifted : kShifted[at];
}

}  // namespace

KeyTranslation TranslateKey(SDL_Keycode code, std::uint16_t modState) {
  for (const NamedKey& named : kNamedKeys) {
    if (named.code == code) return {named.key, named.character};
  }
  if (code >= kFirstPrintable && code <= kLastPrintable) {
    const char c = ShiftedCharacter(static_cast<char>(code), (modState & KMOD_SHIFT) != 0,
                                    (modState & KMOD_CAPS) != 0);
    return {Key::kCharacter, static_cast<std::uint8_t>(c)};
  }
  for (const KeypadKey& keypad : kKeypadKeys) {
    if (keypad.code != code) continue;
    if (keypad.needsNumLock && (modState & KMOD_NUM) == 0) break;
    return {Key::kCharacter, static_cast<std::uint8_t>(keypad.character)};
  }
  return {Key::kOther, 0};
}

Modifiers ModifiersOf(std::uint16_t modState) {
  return {(modState & KMOD_CTRL) != 0, (modState & KMOD_ALT) != 0, (modState & KMOD_SHIFT) != 0};
}

std::span<const SDL_Scancode> ScancodesOf(Key key) {
  if (key == Key::kReturn) return kReturnScancodes;
  for (const KeyScancode& entry : kScancodes) {
    if (entry.key == key) return {&entry.scancode, 1};
  }
  return {};
}

}  // namespace lw::platform
