#include "media/script_effects.h"

#include <algorithm>

#include "media/reveal_shapes.h"

namespace lw {
namespace {

constexpr int kBarnDoorSteps = 8;
constexpr int kIrisCloseSteps = 6;
constexpr int kIrisOpenSteps = 16;
constexpr int kSlideSteps = 15;  // scrolls and wipes
constexpr int kSixteenths = 16;
constexpr int kTwelfths = 12;
constexpr int kVenetianBandRows = 2;
constexpr int kVenetianPassShift = 3;

std::uint32_t PauseOf(int duration, int divisor) {
  return divisor <= 0 ? 1 : static_cast<std::uint32_t>(std::max(1, duration / divisor));
}

RevealPace PaceOf(int steps, int duration) { return RevealPace{steps, PauseOf(duration, steps)}; }

bool Venetian(const RevealBox& a, int duration, RevealTarget& target) {
  const int passes = (a.height() >> kVenetianPassShift) + 1;
  const std::uint32_t pause = PauseOf(duration, a.bottom);
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = pass; y < a.bottom; y += passes) {
      target.Reveal(RevealBox{y, a.left, y + kVenetianBandRows, a.right});
    }
    if (!target.EndStep(pause)) return false;
  }
  return true;
}

// The scrolls and the wipes come in the order of the directions: down, up, right, left.
RevealDirection SlideDirection(ScriptEffect effect, ScriptEffect first) {
  return static_cast<RevealDirection>(static_cast<int>(effect) - static_cast<int>(first));
}

bool IsVertical(RevealDirection direction) {
  return direction == RevealDirection::kDown || direction == RevealDirection::kUp;
}

// Reveals the whole area after the steps, unless they were stopped.
bool ThenWhole(bool completed, const RevealBox& a, RevealTarget& target) {
  if (!completed) return false;
  target.Reveal(a);
  return target.EndStep(0);
}

}  // namespace

bool RunScriptEffect(ScriptEffect effect, const Rect& area, int duration, RevealTarget& target) {
  const RevealBox a = RevealBox::of(area);
  if (a.empty()) return true;
  duration = std::max(duration, 1);
  const int vertical = a.height() / kSixteenths + 1;
  const int horizontal = a.width() / kSixteenths + 1;
  const RevealPace slide = PaceOf(kSlideSteps, duration);
  switch (effect) {
    case ScriptEffect::kBarnDoorClose:
      return RevealBarnDoorClose(a, horizontal, PaceOf(kBarnDoorSteps, duration), target);
    case ScriptEffect::kBarnDoorOpen:
      return RevealBarnDoorOpen(a, horizontal, PaceOf(kBarnDoorSteps, duration), target);
    case ScriptEffect::kIrisClose:
      return RevealIrisClose(a, a.height() / kTwelfths + 1, a.width() / kTwelfths + 1,
                             PaceOf(kIrisCloseSteps, duration), target);
    case ScriptEffect::kIrisOpen: {
      const int cy = (a.top + a.bottom) >> 1;
      const int cx = (a.left + a.right) >> 1;
      return RevealIrisOpen(a, cy, cx, cy / kSixteenths + 1, cx / kSixteenths + 1,
                            PaceOf(kIrisOpenSteps, duration), target);
    }
    case ScriptEffect::kScrollDown:
    case ScriptEffect::kScrollUp:
    case ScriptEffect::kScrollRight:
    case ScriptEffect::kScrollLeft: {
      const RevealDirection direction = SlideDirection(effect, ScriptEffect::kScrollDown);
      const int s = IsVertical(direction) ? vertical : horizontal;
      return ThenWhole(RevealScroll(a, direction, s, slide, target), a, target);
    }
    case ScriptEffect::kVenetian: return Venetian(a, duration, target);
    case ScriptEffect::kWipeDown:
    case ScriptEffect::kWipeUp:
    case ScriptEffect::kWipeRight:
    case ScriptEffect::kWipeLeft: {
      const RevealDirection direction = SlideDirection(effect, ScriptEffect::kWipeDown);
      const int s = IsVertical(direction) ? vertical : horizontal;
      return ThenWhole(RevealWipe(a, direction, s, slide, target), a, target);
    }
    case ScriptEffect::kPlain: return ThenWhole(true, a, target);
  }
  return true;
}

}  // namespace lw
