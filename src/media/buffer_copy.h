// Rectangle copies between the composition's buffers. They are all laid out with the screen
// buffer's row length, so that a buffer's pixel and the screen pixel it lands on lie a fixed
// distance apart in memory; a copy between buffers of different row lengths means a buffer was
// made wrongly, a logic fault (fatal site 602). A movie's frame buffer is the one buffer with
// rows of its own length; its pictures reach the canvas through CopySurfaceRect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/geometry.h"
#include "media/fatal_site.h"
#include "shell/drawing/surface.h"

namespace lw {

inline constexpr std::int16_t kSiteCopyStrides = 602;

inline constexpr std::size_t kRowChunk = 16;

// One row of a rectangle. The narrow strips of the effects copy many short rows, where a call of
// memcpy costs more than the copy: rows of 16 to 64 bytes go in 16-byte chunks inline, the last
// chunk overlapping the one before it.
inline void CopyRow(std::uint8_t* out, const std::uint8_t* in, std::size_t bytes) {
  if (bytes < kRowChunk || bytes > 4 * kRowChunk) {
    std::memcpy(out, in, bytes);
    return;
  }
  std::size_t at = 0;
  for (; at + kRowChunk < bytes; at += kRowChunk) std::memcpy(out + at, in + at, kRowChunk);
  std::memcpy(out + bytes - kRowChunk, in + bytes - kRowChunk, kRowChunk);
}

// Copies `area` of `to` from `from`, whose pixel (0, 0) lies at `fromAt` in `to`'s coordinates;
// clipped to both surfaces. Fatal site 602, with nothing copied, when their row lengths differ.
FatalSite CopyBufferRect(const Surface& from, Point fromAt, Surface& to, const Rect& area);

// The same copy, each surface's rows at their own stride.
void CopySurfaceRect(const Surface& from, Point fromAt, Surface& to, const Rect& area);

}  // namespace lw
