// The copy at the heart of every reveal: a piece of a composed picture onto the window's canvas.
// Both rectangles are clipped to the screen rectangle on their own; when both keep some area, a
// block the size of the clipped destination is copied from the clipped source's corner, as a
// blit does, with the destination moved by the origin (where the picture's (0, 0) lies on the
// canvas). Pieces outside the screen rectangle cost nothing. The picture's rows may be of any
// length (a movie's frame buffer is the movie's width).
#pragma once

#include "common/geometry.h"
#include "media/reveal_target.h"
#include "shell/drawing/surface.h"

namespace lw {

struct RevealedPiece {
  Rect to;    // on the canvas; empty when nothing was copied
  Rect from;  // in the picture
};

RevealedPiece CopyRevealed(const Surface& picture, Surface& canvas, const Rect& clip, Point origin,
                           const RevealBox& source, const RevealBox& destination);

}  // namespace lw
