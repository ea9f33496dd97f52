// Event records: what the runtime's window procedure makes of input and what the main loop
// takes from the queue.
#pragma once

#include <cstdint>

#include "common/geometry.h"

namespace lw {

struct EventRecord {
  std::uint16_t what = 0;     // event kind
  std::uint32_t message = 0;  // key events: the character in the low 8 bits; updates: the window
  std::uint32_t when = 0;     // never filled in
  Point where;                // screen point of mouse events
  std::uint16_t modifiers = 0;
};

namespace event_kind {
inline constexpr std::uint16_t kMouseDown = 1;
inline constexpr std::uint16_t kMouseUp = 2;
inline constexpr std::uint16_t kKeyDown = 3;
inline constexpr std::uint16_t kKeyUp = 4;
inline constexpr std::uint16_t kKeyRepeat = 5;
inline constexpr std::uint16_t kUpdate = 6;
inline constexpr std::uint16_t kDisplayChanged = 42;
// The runtime's own kind: a line for the message box to run, from scripted input; the message
// is the number under which the window system keeps the line's text.
inline constexpr std::uint16_t kConsoleLine = 43;
}  // namespace event_kind

namespace event_modifier {
inline constexpr std::uint16_t kCommand = 0x1FA0;  // Ctrl held, or the Esc key
inline constexpr std::uint16_t kAlt = 0x0800;      // Alt held at a mouse press
}  // namespace event_modifier

namespace event_mask {
inline constexpr std::uint16_t kMouseDown = 0x0002;
inline constexpr std::uint16_t kMouseUp = 0x0004;
inline constexpr std::uint16_t kKeyDown = 0x0008;
inline constexpr std::uint16_t kKeyUp = 0x0010;
inline constexpr std::uint16_t kUpdate = 0x0040;
// Key repeats, display changes and console lines share a bit that no other kind uses, so that
// the main loop's all-ones mask takes them and ButtonStillDown's mouse-up mask never does.
inline constexpr std::uint16_t kOther = 0x8000;
inline constexpr std::uint16_t kEvery = 0xFFFF;
}  // namespace event_mask

// The mask bit of an event kind.
[[nodiscard]] constexpr std::uint16_t MaskOfKind(std::uint16_t kind) {
  switch (kind) {
    case event_kind::kMouseDown: return event_mask::kMouseDown;
    case event_kind::kMouseUp: return event_mask::kMouseUp;
    case event_kind::kKeyDown: return event_mask::kKeyDown;
    case event_kind::kKeyUp: return event_mask::kKeyUp;
    case event_kind::kUpdate: return event_mask::kUpdate;
    default: return event_mask::kOther;
  }
}

}  // namespace lw
