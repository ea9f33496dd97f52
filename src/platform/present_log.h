// The present channel's note of one present: the rectangles that the backend copies to its
// window, so that a developer can see what reaches the screen and when.
#pragma once

#include <span>
#include <string>

#include "common/geometry.h"
#include "common/log.h"

namespace lw::platform {

inline void LogPresent(std::span<const Rect> dirty) {
  if (!LogEnabled(LogChannel::kPresent)) return;
  std::string rects;
  for (const Rect& r : dirty) {
    rects += " (" + std::to_string(r.top) + "," + std::to_string(r.left) + " - " +
             std::to_string(r.bottom) + "," + std::to_string(r.right) + ")";
  }
  LogLine(LogChannel::kPresent, "%zu rectangles:%s", dirty.size(), rects.c_str());
}

}  // namespace lw::platform
