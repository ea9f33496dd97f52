#include "media/dirty_rects.h"

#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

bool Meet(const Rect& a, const Rect& b) {
  Rect common;
  return SectRect(a, b, common);
}

}  // namespace

bool DirtyRects::add(const Rect& r) {
  if (r.empty()) return true;
  for (Rect& listed : rects_) {
    if (Meet(listed, r)) {
      listed = UnionRect(listed, r);
      return true;
    }
  }
  if (rects_.size() == kCapacity) {
    rects_.back() = UnionRect(rects_.back(), r);
    return false;
  }
  rects_.push_back(r);
  return true;
}

// One sweep: a union that comes to meet an earlier rectangle leaves both listed, which only
// copies their common part twice.
void DirtyRects::merge() {
  for (std::size_t i = 0; i < rects_.size(); ++i) {
    for (std::size_t j = i + 1; j < rects_.size();) {
      if (Meet(rects_[i], rects_[j])) {
        rects_[i] = UnionRect(rects_[i], rects_[j]);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(j));
      } else {
        ++j;
      }
    }
  }
}

}  // namespace lw
