// Text between the UTF-8 that people write input scripts and read logs in and the Mac Roman
// that the runtime's characters are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace lw::platform {

// One character taken from the front of a UTF-8 text: its Mac Roman byte and how many bytes of
// the text it took.
struct MacRomanCharacter {
  std::uint8_t byte = 0;
  std::size_t length = 0;
};

// Converts the first character of `utf8` (not empty). The error says what is wrong: "invalid
// UTF-8 byte 0xFF" or "character U+4E2D has no Mac Roman form".
Expected<MacRomanCharacter, std::string> TakeMacRomanCharacter(std::string_view utf8);

// Mac Roman text as UTF-8, for messages on standard error.
std::string MacRomanToUtf8(std::string_view macRoman);

}  // namespace lw::platform
