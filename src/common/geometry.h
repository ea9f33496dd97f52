// Points and rectangles as the system stores them: signed 16-bit values, vertical first;
// rectangles are top, left, bottom, right with bottom and right exclusive.
#pragma once

#include <cstdint>

namespace lw {

struct Point {
  std::int16_t v = 0;
  std::int16_t h = 0;
};

struct Rect {
  std::int16_t top = 0;
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;

  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
  [[nodiscard]] bool contains(Point p) const {
    return p.v >= top && p.v < bottom && p.h >= left && p.h < right;
  }
};

// A point as scripts carry it in one number: horizontal in the signed high half, vertical in
// the signed low half.
inline constexpr int kHalfWordBits = 16;
[[nodiscard]] constexpr std::int32_t PackPoint(Point p) {
  return static_cast<std::int32_t>(
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.h)) << kHalfWordBits) |
      static_cast<std::uint16_t>(p.v));
}
[[nodiscard]] constexpr Point UnpackPoint(std::int32_t packed) {
  const auto bits = static_cast<std::uint32_t>(packed);
  return Point{static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)),
               static_cast<std::int16_t>(bits >> kHalfWordBits)};
}

}  // namespace lw
