// The fold table: 'A'..'Z' fold to 'a'..'z', every other byte to itself. Names, keywords and
// texts compare equal when their lengths match and their characters match after folding.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lw {

inline constexpr std::array<std::uint8_t, 256> kFoldTable = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = static_cast<std::uint8_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  return table;
}();

constexpr std::uint8_t Fold(char c) { return kFoldTable[static_cast<std::uint8_t>(c)]; }

// Equality under the fold table.
constexpr bool FoldEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

}  // namespace lw
