// The transitions between the frames of a movie: the frame's picture rectangle (t, l, b, r),
// h = b - t and w = r - l, revealed in n steps a tick apart, D = 2n + 2.
//
//   KIND  TRANSITION
//   0     barn door close, s = w / D + 1
//   1     barn door open, s = w / D + 1
//   2     iris close, sv = h / D + 1, sh = w / D + 1
//   3     iris open around ((t + b) >> 1, (l + r) >> 1), sv = h / D + 1, sh = w / D + 1
//   4, 5  scroll down, up: s = h / n + 1
//   6, 7  scroll right, left: s = w / n + 1
//   8, 9  wipe down, up: s = h / n + 1
//   10,11 wipe right, left: s = w / n + 1
//   12    venetian: pass i = 0 .. n-1 reveals (t + j, l, t + j + i + 1, r) for j = 0, n+1,
//         2(n+1), ... while j < h: bands n+1 rows apart that grow a row a pass
//   13    cell dissolve: cells of p x p pixels (p the parameter, at least 1), ceil(h / p) x
//         ceil(w / p) of them, the last row and column cut to the rectangle; each step reveals
//         floor(cells / (n + 1)) cells, each drawn at random from those not yet revealed
//   14    strip dissolve: n+1 strips of the full width, strip k the rows t + k h / (n+1) up to
//         t + (k+1) h / (n+1); each step reveals one drawn at random from the rest
//   15    as 14 across the width: n+1 strips of the full height
//   16    plain: the whole rectangle at once
//   17    the whole rectangle at once, then the palette fades from the movie's to the black
//         palette in n steps
//   18    the same, from the black palette to the movie's
//
// Kinds 0 to 15 end with the whole rectangle, which is not a step. Before kinds 0 to 16 the movie
// palette is installed when one is pending. Fade step i (0 .. n-1) blends at position i of n - 1,
// both taken as at least 1, so the last step installs the end palette itself. A kind outside
// 0..18 (a damaged movie) reveals as plain; n is cut to 65535, and a cell dissolve of more cells
// than 640 x 480 pixels shows plain.
//
// A frame with an empty picture rectangle changes only the palette: kind 17 fades to black,
// kind 18 from black, in n steps; any other kind installs the pending movie palette and pauses n
// ticks.
#pragma once

#include <cstdint>
#include <functional>

#include "media/reveal_target.h"
#include "shell/drawing/palette_state.h"

namespace lw {

inline constexpr int kTransitionKinds = 19;

// The movie's palette as a transition sees it.
struct TransitionPalette {
  PaletteState& palettes;
  const ColourTable& movie;
  bool pending = false;  // the movie's palette still waits to be installed
};

// A number 0 .. count-1 from the title's random source (count is at least 1).
using RandomBelow = std::function<std::uint32_t(std::uint32_t count)>;

struct FrameTransition {
  int kind = 16;
  int parameter = 0;
  Rect picture;
  int steps = 1;  // n, taken as at least 1
};

// Reveals a frame's picture; false when the target stopped it.
bool RunFrameTransition(const FrameTransition& transition, RevealTarget& target,
                        TransitionPalette& palette, const RandomBelow& random);
// A frame with no picture: the palette alone.
bool RunPaletteOnlyFrame(int kind, int steps, RevealTarget& target, TransitionPalette& palette);

}  // namespace lw
