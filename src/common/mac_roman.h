// Mac Roman, the character set of every text a title holds, and its conversions to and from
// UTF-8: the form that authors write sources and input scripts in, and that the libraries which
// draw or print text take.
//
// Bytes below 0x80 are ASCII in both (line ends pass unchanged); each byte from 0x80 up is one
// character of the Basic Multilingual Plane (the modern table: the euro sign at 0xDB, the Apple
// logo, a private-use character, at 0xF0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace lw {

// One character taken from the front of a UTF-8 text: its Mac Roman byte and how many bytes of
// the text it took.
struct MacRomanCharacter {
  std::uint8_t byte = 0;
  std::size_t length = 0;
};

// Converts the first character of `utf8`. The error says what is wrong: "invalid UTF-8 byte
// 0xFF" (naming the first byte of a sequence that is cut short, broken, overlong, a surrogate or
// beyond U+10FFFF) or "character U+4E2D has no Mac Roman form".
[[nodiscard]] Expected<MacRomanCharacter, std::string> TakeMacRomanCharacter(std::string_view utf8);

// The UTF-8 form of a Mac Roman text.
[[nodiscard]] std::string MacRomanToUtf8(std::string_view macRoman);

}  // namespace lw
