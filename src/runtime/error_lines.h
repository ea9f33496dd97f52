// The error lines of the runtime's own fatal reports. Most of these checks find faults of the
// runtime's state rather than of a lower layer, so they report program code 0. Line 5200 is the
// missing boot file: the runtime tells the reporter so, because its text differs from every other
// site's.
#pragma once

#include <cstdint>

#include "shell/error_report.h"

namespace lw {

inline constexpr std::int16_t kRuntimeProgramCode = 0;

namespace errline {
inline constexpr std::int16_t kBootFileOpen = 5200;
inline constexpr std::int16_t kBootFileStarOpen = 5208;
inline constexpr std::int16_t kPathSlotGet = 5209;
inline constexpr std::int16_t kPathSlotSet = 5210;
inline constexpr std::int16_t kLocateFileMemory = 5211;
inline constexpr std::int16_t kBootFileClose = 5212;
inline constexpr std::int16_t kEndDrawingWithoutBegin = 5224;
}  // namespace errline

}  // namespace lw
