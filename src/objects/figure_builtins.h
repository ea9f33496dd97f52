// The built-ins of actors and casts, and of props and shops: the group files, instances and
// warming, counting and indexing, scripts and messages, the hit test of one figure, and every
// property with its clamps. Properties read as functions taking the figure's name first; they
// are written as commands, the name, then the value or values.
//
//   PROPERTY (actor / prop)     READ                              WRITE
//   actorvisible / propvisible  logic                             logic
//   actordeg / propdeg          0..255                            the value's low 8 bits
//   actorxyz / propxyz          n: 1 x, 2 y, 3 z, 4 (x, y)        x, y, z; stops the walk or
//                                                                 ball; 3-D
//   actorxy / propxy            n: 1 x, 2 y, 3 the point          x, y; stops it; 2-D, a dist of
//                                                                 0 or more becomes -1
//   actoris3d / propis3d        logic                             logic; leaving 3-D as above
//   actorstar / propstar        text                              a star (15); stops it; put on
//                                                                 the star when its set is open
//                                                                 and has it; 3-D
//   actorset / propset          text                              a set (15); then as the star
//   actordist / propdist        3-D: the projected depth now, or  a 2-D figure's, negative
//                               32000 when not drawn; 2-D: dist   values only; else ignored
//   actorpose / propview        text                              one of its poses; frame 0
//   actorspeed / propspeed      number                            clamped to 1..256
//   actorturn                   number                            at least 1
//   actorscale / propscale      per mille                         at least 0
//   actorhitbox                 n: 1 up, 2 across; "player" the   up, across
//                               player's
//   actorowner / propowner      text                              text (15)
//   actorvalue, actorzclip      number                            as given
#pragma once

#include "objects/figure_display.h"
#include "objects/figure_table.h"
#include "script/builtin_table.h"

namespace lw {

struct FigureServices {
  FigureTable& table;
  FigureDisplay& display;
  HitBox& player;  // what actorhitbox "player" reads and writes
};

void WireActorBuiltins(BuiltinTable& table, FigureServices& actors);
void WirePropBuiltins(BuiltinTable& table, FigureServices& props);
void DescribeFigureBuiltins(BuiltinTable& catalog);

}  // namespace lw
