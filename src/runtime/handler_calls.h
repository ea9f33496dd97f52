// The handler-call texts that the runtime runs against the system script, and the command-key
// table that turns Ctrl+key into a menu item.
//
// Texts: "boot()", "idle()", "menustate()"; keydown("c") and keyrepeat("c") with the key's
// character between double quotes, except that the arrows are named (30 "uparrow", 31
// "downarrow", 28 "leftarrow", 29 "rightarrow"), the double quote is named "quote" and Return
// (character 13) "return": the script language has no escape inside a quoted text, and a
// carriage return ends the line, so either character would make a text that never compiles and
// the title would never hear of that key; menuselect("item"); mousedown(N) with N in signed
// decimal. The other control characters (Tab, Backspace) stand for themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "script/compiled_script.h"
#include "shell/windows/key_translation.h"

namespace lw {

inline constexpr std::string_view kBootCall = "boot()";
inline constexpr std::string_view kIdleCall = "idle()";
inline constexpr std::string_view kMenuStateCall = "menustate()";
inline constexpr std::string_view kMenuSelectHandler = "menuselect";
// The menu item of Ctrl+Q.
inline constexpr std::string_view kQuitItem = "quit";

// Whether a character is one of the four arrow keys (28..31).
[[nodiscard]] constexpr bool IsArrowKey(std::uint8_t character) {
  return character >= key_character::kLeftArrow && character <= key_character::kDownArrow;
}

// The name a key takes in keydown and keyrepeat: the character itself, or the names above.
[[nodiscard]] std::string KeyName(std::uint8_t character);

[[nodiscard]] std::string KeyDownCall(std::uint8_t character);
[[nodiscard]] std::string KeyRepeatCall(std::uint8_t character);
[[nodiscard]] std::string MenuSelectCall(std::string_view item);
[[nodiscard]] std::string MouseDownCall(std::int32_t point);

// The command number of a key pressed with Ctrl (letters in either case), or nothing when the
// key has no entry: "0".."9" -> 501..510, "M" -> 407, "Q" -> 204.
[[nodiscard]] std::optional<int> CommandForKey(std::uint8_t character);

// The menu item text of a command number ("quit", "message", "volume 0".."volume 9"), or
// nothing for any other number.
[[nodiscard]] std::optional<std::string_view> MenuItemForCommand(int command);

// Whether `script` has a handler named `name`, compared as the interpreter compares names.
[[nodiscard]] bool HasHandler(const CompiledScript& script, std::string_view name);

}  // namespace lw
