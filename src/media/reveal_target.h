// Where the reveal of a new picture goes. A visual effect or a frame transition shows a picture
// composed off screen by copying it to the window in rectangular pieces, a step at a time, with
// a pause after each step; the target does the copying and the pausing.
//
// A piece is a source rectangle of the picture shown at a destination rectangle of the window.
// The two are equal but for the scroll effects, which show an edge strip of the new picture at
// the opposite edge of the window. The target clips both to its screen rectangle and skips a
// piece that is empty after it, so the reveals hand it pieces unclipped.
#pragma once

#include <cstdint>

#include "common/geometry.h"

namespace lw {

// The rectangles of the reveal arithmetic, in ints: the steps may carry a piece past where a
// 16-bit coordinate reaches before it is clipped.
struct RevealBox {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  [[nodiscard]] int height() const { return bottom - top; }
  [[nodiscard]] int width() const { return right - left; }
  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
  [[nodiscard]] Rect rect() const {
    return Rect{Clamp16(top), Clamp16(left), Clamp16(bottom), Clamp16(right)};
  }
  [[nodiscard]] static RevealBox of(const Rect& r) {
    return RevealBox{r.top, r.left, r.bottom, r.right};
  }
};

class RevealTarget {
 public:
  virtual ~RevealTarget() = default;

  // Shows `source` of the picture at `destination`.
  virtual void Reveal(const RevealBox& source, const RevealBox& destination) = 0;
  void Reveal(const RevealBox& area) { Reveal(area, area); }
  // Ends a step: what it revealed reaches the window, then the target waits `ticks` (0: not at
  // all). False when the reveal must stop here (the window is closing).
  virtual bool EndStep(std::uint32_t ticks) = 0;
};

}  // namespace lw
