// Conversion between the UTF-8 text that authors write and the Mac Roman text with carriage-
// return line ends that the script language reads.
//
// Every character converts to exactly one Mac Roman byte, and every line end (LF, CRLF or CR)
// to one CR, so line numbers and columns (counted in characters) of the converted text are
// those of the source.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace lw::titlekit {

// A place in a text: 1-based line and 1-based column counted in characters.
struct TextPosition {
  int line = 1;
  int column = 1;
};

// Why a text could not be converted, and where.
struct ConversionFailure {
  TextPosition where;
  std::string reason;  // "character U+4E2D has no Mac Roman form", "invalid UTF-8 byte 0xFF"
};

// UTF-8 (an optional leading byte-order mark is skipped) to Mac Roman with CR line ends.
Expected<std::string, ConversionFailure> Utf8ToMacRoman(std::string_view utf8);

// Mac Roman to UTF-8 with LF line ends, for showing script texts and outcomes.
std::string MacRomanToUtf8(std::string_view macRoman);

// The position of byte `offset` of a converted (Mac Roman, CR) text; an offset at or past the
// end is the place just after the last character.
TextPosition PositionInConverted(std::string_view macRoman, std::size_t offset);

}  // namespace lw::titlekit
