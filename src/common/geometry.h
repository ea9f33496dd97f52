// Points and rectangles as the system stores them: signed 16-bit values, vertical first;
// rectangles are top, left, bottom, right with bottom and right exclusive.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>

namespace lw {

// Coordinates are stored in 16 bits; arithmetic on them is done in int and narrowed back by one
// of these, so that every narrowing says what becomes of a value that does not fit.
//
// Coord16: the value is known to fit (screen, window and dialog geometry, whose sums stay far
// inside 16 bits); debug builds stop on one that does not.
[[nodiscard]] constexpr std::int16_t Coord16(int value) {
  assert(value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max());
  return static_cast<std::int16_t>(value);
}
// Wrap16: the low 16 bits as a signed value, where the stored arithmetic wraps (script points).
[[nodiscard]] constexpr std::int16_t Wrap16(std::int64_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}
// Clamp16: the nearest coordinate, where a value may lie far outside (clipping, scaled pictures).
[[nodiscard]] constexpr std::int16_t Clamp16(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

struct Point {
  std::int16_t v = 0;
  std::int16_t h = 0;

  bool operator==(const Point&) const = default;
};

struct Rect {
  std::int16_t top = 0;
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;

  bool operator==(const Rect&) const = default;

  [[nodiscard]] constexpr int width() const { return right - left; }
  [[nodiscard]] constexpr int height() const { return bottom - top; }
  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
  [[nodiscard]] bool contains(Point p) const {
    return p.v >= top && p.v < bottom && p.h >= left && p.h < right;
  }
  // The rectangle shrunk by `by` on every side.
  [[nodiscard]] constexpr Rect inset(int by) const {
    return Rect{Coord16(top + by), Coord16(left + by), Coord16(bottom - by), Coord16(right - by)};
  }
  // The rectangle moved down by dv and right by dh.
  [[nodiscard]] constexpr Rect offset(int dv, int dh) const {
    return Rect{Coord16(top + dv), Coord16(left + dh), Coord16(bottom + dv), Coord16(right + dh)};
  }
};

// The rectangle of a size whose top-left corner is (top, left).
[[nodiscard]] constexpr Rect MakeRect(int top, int left, int height, int width) {
  return Rect{Coord16(top), Coord16(left), Coord16(top + height), Coord16(left + width)};
}

// The point at vertical v, horizontal h (the stored order, vertical first).
[[nodiscard]] constexpr Point PointAt(int v, int h) { return Point{Coord16(v), Coord16(h)}; }

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
  return Point{Wrap16(bits), Wrap16(bits >> kHalfWordBits)};
}

}  // namespace lw
