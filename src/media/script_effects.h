// The visual effects a script names (visualeffect): reveals of a composed picture over an area,
// in a fixed number of steps that share the effect's duration. Over the area (t, l, b, r), with
// h = b - t and w = r - l, each step paused w = max(1, duration / k) ticks:
//
//   EFFECT          k    SHAPE (reveal_shapes.h)                       THEN THE WHOLE AREA
//   barndoorclose   8    barn door close, s = w / 16 + 1               no
//   barndooropen    8    barn door open, s = w / 16 + 1                no
//   irisclose       6    iris close, sv = h / 12 + 1, sh = w / 12 + 1  no
//   irisopen        16   iris open around cy = (t + b) >> 1,           no
//                        cx = (l + r) >> 1; sv = cy / 16 + 1,
//                        sh = cx / 16 + 1
//   scrolldown/up   15   scroll, s = h / 16 + 1                        yes
//   scrollright/    15   scroll, s = w / 16 + 1                        yes
//     scrolleft
//   venetian        g    g = (h >> 3) + 1 passes; pass i reveals two-  no
//                        row bands at y = i, i + g, ... while y < b,
//                        and pauses max(1, duration / b)
//   wipedown/up     15   wipe, s = h / 16 + 1                          yes
//   wiperight/left  15   wipe, s = w / 16 + 1                          yes
//   plain           1    the whole area at once, no pause              -
//
// The iris open and venetian arithmetic take the area's coordinates as they are (cy, not half the
// height; rows from y = 0, not from the top), so an area away from the origin reveals in the
// same pieces clipped; the target skips what falls outside. An empty area reveals nothing and
// does not pause. The final reveal of the whole area is not a step: no pause follows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "media/reveal_target.h"

namespace lw {

// In the order of their keywords.
enum class ScriptEffect : std::uint8_t {
  kBarnDoorClose,
  kBarnDoorOpen,
  kIrisClose,
  kIrisOpen,
  kScrollDown,
  kScrollUp,
  kScrollRight,
  kScrollLeft,
  kVenetian,
  kWipeDown,
  kWipeUp,
  kWipeRight,
  kWipeLeft,
  kPlain,
};
inline constexpr int kScriptEffectCount = 14;

// Runs `effect` over `area` in about `duration` ticks (taken as at least 1); false when the
// target stopped it.
bool RunScriptEffect(ScriptEffect effect, const Rect& area, int duration, RevealTarget& target);

}  // namespace lw
