#include "runtime/screen_reveal.h"

#include "media/buffer_copy.h"
#include "shell/drawing/rect_ops.h"

namespace lw {

ScreenReveal::ScreenReveal(ScreenRevealParts parts) : parts_(std::move(parts)) {
  if (parts_.pacing == RevealPacing::kTicks) deadline_ = parts_.windows.TickCount() + 1;
}

// Both rectangles are clipped on their own; the copy takes a block the size of the clipped
// destination from the clipped source's corner, as a blit does.
void ScreenReveal::Reveal(const RevealBox& source, const RevealBox& destination) {
  Rect from;
  Rect to;
  if (!SectRect(source.rect(), parts_.clip, from)) return;
  if (!SectRect(destination.rect(), parts_.clip, to)) return;
  OffsetRect(to, parts_.origin.h, parts_.origin.v);
  const Point fromAt = PointAt(to.top - from.top, to.left - from.left);
  const FatalSite copied = CopyBufferRect(parts_.picture, fromAt, parts_.screen.canvas(), to);
  if (copied.failed()) parts_.errors.ReportError(copied.programCode, copied.errorLine);
  parts_.screen.markRevealed(to, from);
  changed_.push_back(to);
}

bool ScreenReveal::EndStep(std::uint32_t ticks) {
  if (!changed_.empty()) {
    if (parts_.shown) parts_.shown(changed_);
    changed_.clear();
  }
  parts_.screen.present();
  pauseTicks(ticks);
  return !parts_.windows.quitRequested();
}

void ScreenReveal::pauseTicks(std::uint32_t ticks) {
  if (ticks == 0 || parts_.windows.quitRequested()) return;
  if (parts_.pacing == RevealPacing::kMilliseconds) {
    parts_.windows.WaitTicks(ticks);
    return;
  }
  while (parts_.windows.TickCount() < deadline_ && !parts_.windows.quitRequested()) {
    parts_.windows.WaitNextTick();
  }
  deadline_ = parts_.windows.TickCount() + 1;
}

}  // namespace lw
