// The dirty rectangle list of the screen composition: the parts of the screen that the next
// frame redraws and copies to the window. A rectangle that meets a listed one is folded into it,
// so that overlapping changes are redrawn once; the list holds at most kCapacity rectangles.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "common/geometry.h"

namespace lw {

class DirtyRects {
 public:
  static constexpr std::size_t kCapacity = 199;

  // Adds `r`: the first listed rectangle it meets becomes the union of both; otherwise `r` is
  // appended. Empty rectangles change nothing. False when `r` meets none and the list is full:
  // `r` is then united with the last rectangle, so that what it covers is still redrawn.
  [[nodiscard]] bool add(const Rect& r);
  // Unites every later rectangle that meets rectangle i into i, for each i in order.
  void merge();
  void clear() { rects_.clear(); }

  [[nodiscard]] std::span<const Rect> rects() const { return rects_; }
  [[nodiscard]] bool empty() const { return rects_.empty(); }

 private:
  std::vector<Rect> rects_;
};

}  // namespace lw
