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

}  // namespace lw
