#include "media/reveal_copy.h"

#include "media/buffer_copy.h"
#include "shell/drawing/rect_ops.h"

namespace lw {

RevealedPiece CopyRevealed(const Surface& picture, Surface& canvas, const Rect& clip, Point origin,
                           const RevealBox& source, const RevealBox& destination) {
  RevealedPiece piece;
  Rect from;
  Rect to;
  if (!SectRect(source.rect(), clip, from) || !SectRect(destination.rect(), clip, to)) {
    return piece;
  }
  OffsetRect(to, origin.h, origin.v);
  const Point fromAt = PointAt(to.top - from.top, to.left - from.left);
  CopySurfaceRect(picture, fromAt, canvas, to);
  piece.to = to;
  piece.from = from;
  return piece;
}

}  // namespace lw
