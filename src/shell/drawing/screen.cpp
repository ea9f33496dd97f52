#include "shell/drawing/screen.h"

#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

// Beyond this many separate changed rectangles a present sends their union instead: one large
// conversion costs less than many small ones.
constexpr std::size_t kMaxDirtyRects = 16;

}  // namespace

Screen::Screen(platform::Platform& platform)
    : platform_(platform), canvas_(platform::kCanvasWidth, platform::kCanvasHeight) {}

void Screen::markDirty(const Rect& r) {
  Rect changed;
  if (!SectRect(r, canvas_.rect(), changed)) return;
  // Fold every rectangle the change overlaps into it; a merge can make it reach others, so look
  // again from the start after each one.
  for (std::size_t i = 0; i < dirty_.size();) {
    Rect common;
    if (SectRect(dirty_[i], changed, common)) {
      changed = UnionRect(dirty_[i], changed);
      dirty_.erase(dirty_.begin() + static_cast<std::ptrdiff_t>(i));
      from_.erase(from_.begin() + static_cast<std::ptrdiff_t>(i));
      i = 0;
    } else {
      ++i;
    }
  }
  markRevealed(changed, changed);
}

void Screen::markRevealed(const Rect& r, const Rect& from) {
  Rect changed;
  if (!SectRect(r, canvas_.rect(), changed)) return;
  dirty_.push_back(changed);
  from_.push_back(EqualRect(changed, r) ? from : changed);
  if (dirty_.size() > kMaxDirtyRects) {
    Rect all;
    for (const Rect& each : dirty_) all = UnionRect(all, each);
    dirty_.assign(1, all);
    from_.assign(1, all);
  }
}

void Screen::present() {
  if (dirty_.empty()) return;
  platform_.present(canvas_.data(), canvas_.rowBytes(), dirty_);
  if (presentListener_) {
    std::vector<PresentedRect> presented;
    presented.reserve(dirty_.size());
    for (std::size_t i = 0; i < dirty_.size(); ++i) presented.push_back({dirty_[i], from_[i]});
    presentListener_(presented);
  }
  dirty_.clear();
  from_.clear();
}

void Screen::setPalette(const Palette& palette) {
  palette_ = palette;
  platform_.setPalette(palette);
  markDirty(canvas_.rect());
}

}  // namespace lw
