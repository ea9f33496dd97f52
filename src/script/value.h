// Value: the typed script datum. A truth value, a signed 32-bit number, or a text, which is a
// ticket for one slot of the string library (the slot index is the payload).
#pragma once

#include <bit>
#include <cstdint>

namespace lw {

enum : std::int16_t {
  kTypeNone = -1,  // no value: what a function call of an undefined event handler gives
  kTypeLogic = 2,
  kTypeText = 3,
  kTypeNumber = 4,
};

// In memory the fields are ordered for an 8-byte record; the stored order (type, payload,
// auxiliary) is written by the serialisers.
struct Value {
  std::int16_t type = kTypeNumber;
  std::uint16_t aux = 0;  // always 0 in a value; tokens of the same layout keep caches here
  std::int32_t payload = 0;

  // Built as one 64-bit word, so that a whole value is written at once where possible: a value
  // written in pieces and then read whole makes the processor wait for the pieces.
  [[gnu::always_inline]] static constexpr Value Of(std::int16_t type, std::int32_t payload) {
    return std::bit_cast<Value>(static_cast<std::uint64_t>(static_cast<std::uint16_t>(type)) |
                                static_cast<std::uint64_t>(static_cast<std::uint32_t>(payload))
                                    << 32);
  }
  [[gnu::always_inline]] static constexpr Value Logic(bool b) { return Of(kTypeLogic, b ? 1 : 0); }
  [[gnu::always_inline]] static constexpr Value Number(std::int32_t n) {
    return Of(kTypeNumber, n);
  }
  [[gnu::always_inline]] static constexpr Value Text(int slot) { return Of(kTypeText, slot); }
  static constexpr Value None() { return Of(kTypeNone, 0); }

  [[nodiscard]] constexpr bool isLogic() const { return type == kTypeLogic; }
  [[nodiscard]] constexpr bool isText() const { return type == kTypeText; }
  [[nodiscard]] constexpr bool isNumber() const { return type == kTypeNumber; }
};

static_assert(sizeof(Value) == 8);

}  // namespace lw
