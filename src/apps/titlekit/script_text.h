// Script text as authors write it and as the script language reads it: sources are UTF-8 with
// any line ends, scripts are Mac Roman with carriage-return line ends.
//
// Every character converts to exactly one Mac Roman byte, and every line end (LF, CRLF or CR)
// to one CR, so line numbers and columns (counted in characters) of the converted text are
// those of the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// UTF-8 source (an optional leading byte-order mark is skipped) to script text: Mac Roman with
// CR line ends.
Expected<std::string, ConversionFailure> Utf8ToScriptText(std::string_view utf8);

// Script text to UTF-8 with LF line ends, for showing script texts and outcomes.
std::string ScriptTextToUtf8(std::string_view scriptText);

// The position of byte `offset` of a script text; an offset at or past the end is the place
// just after the last character.
TextPosition PositionInScriptText(std::string_view scriptText, std::size_t offset);

// The lines of many byte offsets of a script text, as PositionInScriptText gives them, in one
// pass over the text when the offsets ascend (as a tokenizer's token offsets do).
std::vector<std::uint32_t> LinesAtOffsets(std::string_view scriptText,
                                          std::span<const std::uint32_t> offsets);

}  // namespace lw::titlekit
