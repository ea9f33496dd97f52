// The runtime built-ins of the screen palette:
//
// - clut(c): makes the palette c the screen palette (and the current palette).
// - mixclut(c1, c2, f, l, m): f, l and m are numbers kept within 0..255; in a copy of c1 the
//   entries f to l become c1 + (c2 - c1) x m / 255 in each 16-bit channel (integer arithmetic,
//   the division truncated toward zero); when l is below f the copy stays as c1 is. The copy
//   becomes the screen palette.
// - screentoblack(c, n), blacktoscreen(c, n): n must be a number; fades from c to the black
//   palette ("CLUT.BLACK"), or from black to c, in n steps a tick apart; the last step installs
//   the end palette itself. n below 1 does nothing (c is still looked up).
// - blackscreen(): fills the whole screen canvas with black (entry 0, black in every palette).
//
// A palette argument c names a 256-entry colour table:
//   a number n           the program's colour table resource "CLUTn"
//   "current"            a copy of the current palette
//   any other text t     the resource "CLUT.T" (in capitals)
//   "stage"              the open stage's own palette; without an open stage, the resource
//                        "CLUT.STAGE" like any other text
//   "puppet"             the open puppet file's palette, the same way
// Texts compare without regard to case. Set files hold no palette, so "set" names a resource
// like any other text. A palette that cannot be found (a stage without one
// included) gives "Resource not found."; a logic value "Bad argument type.".
#pragma once

#include <functional>

#include "script/builtin_table.h"
#include "shell/drawing/palette_state.h"
#include "shell/drawing/screen.h"

namespace lw {

// What the palette built-ins work with: the palettes, the screen that blackscreen fills, the
// open stage's palette (StageLibOpenClose when no stage is open; may be empty) and the open
// puppet file's (PuppetAlreadyOpen when none is open; may be empty).
struct PaletteServices {
  PaletteState& palettes;
  Screen& screen;
  std::function<ScriptError(ColourTable&)> stagePalette;
  std::function<ScriptError(ColourTable&)> puppetPalette;
};

// Wires the built-ins above; `services` must outlive the table.
void WirePaletteBuiltins(BuiltinTable& table, PaletteServices& services);
// Records their signatures alone.
void DescribePaletteBuiltins(BuiltinTable& catalog);

}  // namespace lw
