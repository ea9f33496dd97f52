// NameKey: a variable name folded and packed into 16 bytes, so that two names compare equal
// under the fold table exactly when their keys are equal. Names of 16 or more characters get
// a key that equals no stored name (variables hold at most 15 characters).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "script/fold.h"

namespace lw {

struct NameKey {
  std::uint64_t words[2] = {0, 0};

  static constexpr std::size_t kMaxLength = 15;

  static NameKey Of(std::string_view name) {
    NameKey key;
    if (name.size() > kMaxLength) {
      key.words[0] = ~std::uint64_t{0};  // a length byte of 255 that no stored name has
      return key;
    }
    unsigned char bytes[16] = {};
    bytes[0] = static_cast<unsigned char>(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) bytes[i + 1] = Fold(name[i]);
    std::memcpy(key.words, bytes, sizeof bytes);
    return key;
  }

  // True for names too long to be packed; those compare by their text.
  [[nodiscard]] bool isLong() const { return words[0] == ~std::uint64_t{0}; }

  friend bool operator==(const NameKey& a, const NameKey& b) {
    return a.words[0] == b.words[0] && a.words[1] == b.words[1];
  }
};

}  // namespace lw
