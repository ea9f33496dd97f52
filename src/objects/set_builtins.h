// The built-ins of sets, floors and scenes, which work on the title's SetObjects:
//
// - opensetfile(file), closesetfile(); setscript(), floorscript(n) (n 0..31, else "Bad argument
//   type."), which check the object and empty the result text; scenescript(scene), which also
//   notes in the set header whether the scene's script holds a handler.
// - sendtoset(call), sendtofloor(n, call), sendtoscene(scene, call) and their fx twins.
// - properties: setvisible (false without a set), currentscene (the scene under the player,
//   "None" without a set; written with a scene name, the player jumps there, with "left",
//   "right", "strait" or "backwards" it moves), currentdir ("east", "south", "west", "north",
//   "moving" inside a move, "turning" while the view angle is between directions, "nowhere"
//   without a set; written with a direction name, the player turns), currentdeg (the view angle,
//   -1 without a set; written, its low 8 bits pick a direction), camerahi.
// - functions: currentset() ("None" without a set), setwidth(), setheight(), countscenes(),
//   indextoscene(n), rowcoltoscene(row, column) ("none" for a cell without a scene),
//   scenerow(s), scenecol(s), scenefloor(s), scenebuild(s), scenexyz(s, n) (1 x and 2 y of the
//   scene's centre, 3 zero, 4 the centre as a point), starxyz(star, n), cameraxyz(n),
//   playerxyz(n) (1 x, 2 y, 3 z, 4 the point (x, y); another n "Bad argument type."),
//   pointinset(p).
//
// Without an open set the others fail with "Scene lib open/close error." (starxyz with "No such
// object."); an unknown scene, star or movement word is "No such object.".
#pragma once

#include "objects/set_objects.h"
#include "script/builtin_table.h"

namespace lw {

void WireSetBuiltins(BuiltinTable& table, SetObjects& set);
void DescribeSetBuiltins(BuiltinTable& catalog);

}  // namespace lw
