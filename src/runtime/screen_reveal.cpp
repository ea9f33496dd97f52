#include "runtime/screen_reveal.h"

#include "media/reveal_copy.h"
#include "shell/drawing/rect_ops.h"

namespace lw {

ScreenReveal::ScreenReveal(ScreenRevealParts parts) : parts_(std::move(parts)) {
  if (parts_.pacing == RevealPacing::kTicks) deadline_ = parts_.windows.TickCount() + 1;
}

void ScreenReveal::Reveal(const RevealBox& source, const RevealBox& destination) {
  const RevealedPiece piece = CopyRevealed(parts_.picture, parts_.screen.canvas(), parts_.clip,
                                           parts_.origin, source, destination);
  if (piece.to.empty()) return;
  // The present trace tells where a piece came from in screen terms, so that only a scrolled
  // piece differs from where it went.
  Rect from = piece.from;
  OffsetRect(from, parts_.origin.h, parts_.origin.v);
  parts_.screen.markRevealed(piece.to, from);
  changed_.push_back(piece.to);
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
