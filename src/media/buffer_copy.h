// Rectangle copies between the composition's buffers. They are all laid out with the screen
// buffer's row length, so that a buffer's pixel and the screen pixel it lands on lie a fixed
// distance apart in memory; a copy between buffers of different row lengths means a buffer was
// made wrongly, a logic fault (fatal site 602).
#pragma once

#include <cstdint>

#include "common/geometry.h"
#include "media/fatal_site.h"
#include "shell/drawing/surface.h"

namespace lw {

inline constexpr std::int16_t kSiteCopyStrides = 602;

// Copies `area` of `to` from `from`, whose pixel (0, 0) lies at `fromAt` in `to`'s coordinates;
// clipped to both surfaces. Fatal site 602, with nothing copied, when their row lengths differ.
FatalSite CopyBufferRect(const Surface& from, Point fromAt, Surface& to, const Rect& area);

}  // namespace lw
