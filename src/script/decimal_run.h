// How script text reads a run of decimal digits, the same for number literals (the tokenizer)
// and for stringtonum: as the "%ld" conversions of the 32-bit C libraries that titles were
// written against did it, accumulating in 32 bits without an overflow check, so that a run keeps
// its value modulo 2^32.
//
// Wrapping rather than saturating is what lets a title write the smallest number. There are no
// negative literals: -2147483648 is the minus operator applied to the run 2147483648, which reads
// as -2147483648 and negates (in 32-bit arithmetic) to itself. A reading that saturated at
// 2147483647 would turn that text into -2147483647.
#pragma once

#include <cstdint>
#include <string_view>

namespace lw {

// The value of `digits` (every character '0'..'9') modulo 2^32, as a signed 32-bit number.
[[nodiscard]] constexpr std::int32_t DecimalRunValue(std::string_view digits) {
  constexpr std::uint32_t kBase = 10;
  std::uint32_t value = 0;
  for (char digit : digits) value = value * kBase + static_cast<std::uint32_t>(digit - '0');
  return static_cast<std::int32_t>(value);
}

}  // namespace lw
