// Names compared the way copies of discs need: ASCII letters without regard to case, every other
// byte exactly (the names' encodings differ between filesystems; only ASCII case is safe to fold).
#pragma once

#include <algorithm>
#include <string_view>

namespace lw {

// ASCII letters folded to lower case; other bytes unchanged.
[[nodiscard]] constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

}  // namespace lw
