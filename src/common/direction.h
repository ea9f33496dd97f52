// Directions and the integer geometry around them. A direction is a number 0..255, 256 steps
// to the full circle: 0 points towards +x, 64 towards +y, 128 towards -x and 192 towards -y.
// Sine and cosine come from 256-entry tables of fixed-point values (16384 standing for 1); this
// module only computes with such a table, it does not know where the tables come from.
#pragma once

#include <array>
#include <cstdint>

namespace lw {

inline constexpr int kDirectionSteps = 256;
inline constexpr std::int32_t kTrigOne = 16384;  // 1.0 in a trigonometric table

using TrigTable = std::array<std::int16_t, kDirectionSteps>;

// A number taken as a direction: its value modulo 256 (negative numbers wrap as well).
[[nodiscard]] constexpr int WrapDirection(std::int32_t n) {
  return static_cast<int>(static_cast<std::uint32_t>(n) & (kDirectionSteps - 1));
}

// The 256-step direction of the vector (dx, dy). The zero vector has no direction and gives 0.
[[nodiscard]] int DirectionOf(std::int32_t dx, std::int32_t dy);

// One turning step of `step` units (at least 1) from direction `from` towards direction `to`
// along the shorter way, on a circle of 255 units; the step stops at `to`. Both directions are
// wrapped first. Scripts rely on the 255-unit circle, so it is kept as it is.
[[nodiscard]] int TurnTowards(std::int32_t from, std::int32_t to, std::int32_t step);

// table[direction mod 256] x r / 16384, divided towards zero: the x (cosine table) or y (sine
// table) component of a vector of length r in that direction.
[[nodiscard]] std::int32_t ScaleByTable(const TrigTable& table, std::int32_t direction,
                                        std::int16_t r);

// The integer square root of n, rounded down.
[[nodiscard]] std::uint32_t IntegerSqrt(std::uint64_t n);

}  // namespace lw
