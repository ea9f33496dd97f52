#include "shell/drawing/rect_ops.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lw {
namespace {

// One axis of MapRect: `value` in the span [fromStart, fromEnd) taken to [toStart, toEnd).
// A source span of no size cannot be scaled from, so the value is only moved then.
std::int16_t MapCoordinate(int value, int fromStart, int fromEnd, int toStart, int toEnd) {
  const std::int64_t fromSize = fromEnd - fromStart;
  const std::int64_t toSize = toEnd - toStart;
  const std::int64_t offset = static_cast<std::int64_t>(value) - fromStart;
  if (fromSize == toSize || fromSize == 0) return Clamp16(toStart + offset);
  return Clamp16(toStart + offset * toSize / fromSize);
}

}  // namespace

bool SectRect(const Rect& a, const Rect& b, Rect& out) {
  const Rect section{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
                     std::min(a.right, b.right)};
  out = section.empty() ? Rect{} : section;
  return !section.empty();
}

// Empty rectangles hold no pixels, so they add nothing to a union.
Rect UnionRect(const Rect& a, const Rect& b) {
  if (a.empty()) return b.empty() ? Rect{} : b;
  if (b.empty()) return a;
  return Rect{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
              std::max(a.right, b.right)};
}

bool EqualRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

bool EmptyRect(const Rect& r) { return r.empty(); }

void OffsetRect(Rect& r, int dh, int dv) {
  r.top = Clamp16(static_cast<std::int64_t>(r.top) + dv);
  r.bottom = Clamp16(static_cast<std::int64_t>(r.bottom) + dv);
  r.left = Clamp16(static_cast<std::int64_t>(r.left) + dh);
  r.right = Clamp16(static_cast<std::int64_t>(r.right) + dh);
}

bool PtInRect(Point p, const Rect& r) { return r.contains(p); }

Rect MapRect(const Rect& r, const Rect& from, const Rect& to) {
  return Rect{MapCoordinate(r.top, from.top, from.bottom, to.top, to.bottom),
              MapCoordinate(r.left, from.left, from.right, to.left, to.right),
              MapCoordinate(r.bottom, from.top, from.bottom, to.top, to.bottom),
              MapCoordinate(r.right, from.left, from.right, to.left, to.right)};
}

}  // namespace lw
