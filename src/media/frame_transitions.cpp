#include "media/frame_transitions.h"

#include <algorithm>
#include <vector>

#include "media/reveal_shapes.h"

namespace lw {
namespace {

enum Kind : int {
  kBarnDoorClose = 0,
  kBarnDoorOpen = 1,
  kIrisClose = 2,
  kIrisOpen = 3,
  kScrollDown = 4,
  kScrollUp = 5,
  kScrollRight = 6,
  kScrollLeft = 7,
  kWipeDown = 8,
  kWipeUp = 9,
  kWipeRight = 10,
  kWipeLeft = 11,
  kVenetian = 12,
  kCellDissolve = 13,
  kRowStripDissolve = 14,
  kColumnStripDissolve = 15,
  kPlain = 16,
  kFadeToBlack = 17,
  kFadeFromBlack = 18,
};

constexpr std::uint32_t kTickPause = 1;
// A frame's duration is 16 bits; a larger step count can only come from a damaged movie and is
// cut to this, which keeps D = 2n + 2 well inside an int.
constexpr int kMaxSteps = 0xFFFF;
// More cells than a 640 x 480 picture has pixels can only come from a damaged movie; such a
// frame is shown plain rather than drawn out a cell at a time.
constexpr std::uint64_t kMaxCells = std::uint64_t{640} * 480;

void InstallPending(TransitionPalette& palette) {
  if (!palette.pending) return;
  palette.palettes.SetCurrentPalette(palette.movie);
  palette.pending = false;
}

bool Fade(TransitionPalette& palette, bool toBlack, int n, RevealTarget& target) {
  const ColourTable& black = palette.palettes.blackPalette();
  const ColourTable& from = toBlack ? palette.movie : black;
  const ColourTable& to = toBlack ? black : palette.movie;
  palette.pending = false;
  for (int i = 0; i < n; ++i) {
    palette.palettes.FadeStep(from, to, i, n - 1);
    if (!target.EndStep(kTickPause)) return false;
  }
  return true;
}

bool Venetian(const RevealBox& a, int n, RevealTarget& target) {
  for (int pass = 0; pass < n; ++pass) {
    for (int j = 0; j < a.height(); j += n + 1) {
      target.Reveal(RevealBox{a.top + j, a.left, a.top + j + pass + 1, a.right});
    }
    if (!target.EndStep(kTickPause)) return false;
  }
  return true;
}

// Draws the pieces of `count` in a random order, `perStep` a step for n steps; `piece` gives the
// rectangle of piece k. Each draw takes one of those not yet drawn, all equally likely.
template <class PieceOf>
bool Dissolve(std::uint32_t count, std::uint32_t perStep, int n, const RandomBelow& random,
              RevealTarget& target, PieceOf piece) {
  std::vector<std::uint32_t> left(count);
  for (std::uint32_t k = 0; k < count; ++k) left[k] = k;
  for (int step = 0; step < n; ++step) {
    for (std::uint32_t drawn = 0; drawn < perStep && !left.empty(); ++drawn) {
      const auto size = static_cast<std::uint32_t>(left.size());
      const std::uint32_t at = std::min(random(size), size - 1);
      const std::uint32_t k = left[at];
      left[at] = left.back();
      left.pop_back();
      target.Reveal(piece(k));
    }
    if (!target.EndStep(kTickPause)) return false;
  }
  return true;
}

bool CellDissolve(const RevealBox& a, int parameter, int n, const RandomBelow& random,
                  RevealTarget& target) {
  const std::int64_t p = std::max(parameter, 1);
  const auto rows = static_cast<std::uint64_t>((a.height() + p - 1) / p);
  const auto columns = static_cast<std::uint64_t>((a.width() + p - 1) / p);
  if (rows * columns > kMaxCells) return true;
  const auto cells = static_cast<std::uint32_t>(rows * columns);
  const auto perStep = cells / static_cast<std::uint32_t>(n + 1);
  return Dissolve(cells, perStep, n, random, target, [&](std::uint32_t k) {
    const auto top = static_cast<int>(a.top + static_cast<std::int64_t>(k / columns) * p);
    const auto left = static_cast<int>(a.left + static_cast<std::int64_t>(k % columns) * p);
    return RevealBox{top, left, static_cast<int>(std::min<std::int64_t>(top + p, a.bottom)),
                     static_cast<int>(std::min<std::int64_t>(left + p, a.right))};
  });
}

// Strip k of n+1 covers the k-th of n+1 equal parts of the height (rows) or the width.
bool StripDissolve(const RevealBox& a, bool rows, int n, const RandomBelow& random,
                   RevealTarget& target) {
  const auto strips = static_cast<std::uint32_t>(n + 1);
  const std::int64_t extent = rows ? a.height() : a.width();
  return Dissolve(strips, 1, n, random, target, [&](std::uint32_t k) {
    const auto from = static_cast<int>(extent * k / strips);
    const auto to = static_cast<int>(extent * (k + 1) / strips);
    return rows ? RevealBox{a.top + from, a.left, a.top + to, a.right}
                : RevealBox{a.top, a.left + from, a.bottom, a.left + to};
  });
}

bool Steps(const RevealBox& a, int kind, int parameter, int n, const RandomBelow& random,
           RevealTarget& target) {
  const int d = 2 * n + 2;
  const RevealPace pace{n, kTickPause};
  const int vertical = a.height() / n + 1;
  const int horizontal = a.width() / n + 1;
  switch (kind) {
    case kBarnDoorClose: return RevealBarnDoorClose(a, a.width() / d + 1, pace, target);
    case kBarnDoorOpen: return RevealBarnDoorOpen(a, a.width() / d + 1, pace, target);
    case kIrisClose: return RevealIrisClose(a, a.height() / d + 1, a.width() / d + 1, pace, target);
    case kIrisOpen:
      return RevealIrisOpen(a, (a.top + a.bottom) >> 1, (a.left + a.right) >> 1, a.height() / d + 1,
                            a.width() / d + 1, pace, target);
    case kScrollDown: return RevealScroll(a, RevealDirection::kDown, vertical, pace, target);
    case kScrollUp: return RevealScroll(a, RevealDirection::kUp, vertical, pace, target);
    case kScrollRight: return RevealScroll(a, RevealDirection::kRight, horizontal, pace, target);
    case kScrollLeft: return RevealScroll(a, RevealDirection::kLeft, horizontal, pace, target);
    case kWipeDown: return RevealWipe(a, RevealDirection::kDown, vertical, pace, target);
    case kWipeUp: return RevealWipe(a, RevealDirection::kUp, vertical, pace, target);
    case kWipeRight: return RevealWipe(a, RevealDirection::kRight, horizontal, pace, target);
    case kWipeLeft: return RevealWipe(a, RevealDirection::kLeft, horizontal, pace, target);
    case kVenetian: return Venetian(a, n, target);
    case kCellDissolve: return CellDissolve(a, parameter, n, random, target);
    case kRowStripDissolve: return StripDissolve(a, true, n, random, target);
    case kColumnStripDissolve: return StripDissolve(a, false, n, random, target);
    default: return true;
  }
}

}  // namespace

bool RunFrameTransition(const FrameTransition& transition, RevealTarget& target,
                        TransitionPalette& palette, const RandomBelow& random) {
  const RevealBox a = RevealBox::of(transition.picture);
  const int n = std::clamp(transition.steps, 1, kMaxSteps);
  const int kind = transition.kind;
  if (kind != kFadeToBlack && kind != kFadeFromBlack) InstallPending(palette);
  if (!a.empty() && kind >= kBarnDoorClose && kind <= kColumnStripDissolve &&
      !Steps(a, kind, transition.parameter, n, random, target)) {
    return false;
  }
  target.Reveal(a);
  if (!target.EndStep(0)) return false;
  if (kind == kFadeToBlack || kind == kFadeFromBlack) {
    return Fade(palette, kind == kFadeToBlack, n, target);
  }
  return true;
}

bool RunPaletteOnlyFrame(int kind, int steps, RevealTarget& target, TransitionPalette& palette) {
  const int n = std::clamp(steps, 1, kMaxSteps);
  if (kind == kFadeToBlack || kind == kFadeFromBlack) {
    return Fade(palette, kind == kFadeToBlack, n, target);
  }
  InstallPending(palette);
  for (int tick = 0; tick < n; ++tick) {
    if (!target.EndStep(kTickPause)) return false;
  }
  return true;
}

}  // namespace lw
