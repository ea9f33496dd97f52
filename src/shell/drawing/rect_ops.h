// Rectangle arithmetic on the system's rectangles (top, left, bottom, right; bottom and right
// exclusive; empty when bottom <= top or right <= left).
#pragma once

#include "common/geometry.h"

namespace lw {

// The intersection and true; an all-zero rectangle and false when it is empty.
bool SectRect(const Rect& a, const Rect& b, Rect& out);
// The smallest rectangle holding both.
[[nodiscard]] Rect UnionRect(const Rect& a, const Rect& b);
[[nodiscard]] bool EqualRect(const Rect& a, const Rect& b);
[[nodiscard]] bool EmptyRect(const Rect& r);
void OffsetRect(Rect& r, int dh, int dv);
[[nodiscard]] bool PtInRect(Point p, const Rect& r);
// Maps `r` from the frame of `from` to the frame of `to`, scaling each axis by the ratio of
// the sizes (integer division); only moves it when the sizes are equal.
[[nodiscard]] Rect MapRect(const Rect& r, const Rect& from, const Rect& to);

}  // namespace lw
