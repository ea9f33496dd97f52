// The text operations behind numtostring, stringtonum, substring, findword and putword, as pure
// functions on length-prefixed strings. Comparisons use the fold table.
#pragma once

#include <cstdint>
#include <string_view>

#include "script/bounded_string.h"

namespace lw {

// Decimal digits with a leading '-' for negatives.
PString NumberToText(std::int32_t n);

// Reads like a "%ld" conversion: white space skipped, optional sign, digits; no number gives 0.
// The digits are read as a number literal is (decimal_run.h): modulo 2^32.
std::int32_t TextToNumber(std::string_view text);

// 1-based position of the first occurrence of `part` in `text`; -1 when `part` is empty or absent.
std::int32_t FindSubstring(std::string_view text, std::string_view part);

// Word n of `text` cut at separator `sep`; with an empty separator, character n.
PString FindWord(std::string_view text, std::string_view sep, std::int32_t n);

// `text` with word n replaced by `word` (or, with an empty separator, `word` inserted before
// character n). False when the text or an intermediate text would pass 255 characters.
bool PutWord(std::string_view text, std::string_view sep, std::int32_t n, std::string_view word,
             PString& out);

}  // namespace lw
