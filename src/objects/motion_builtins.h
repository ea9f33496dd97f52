// The built-ins of motion, which work on the title's Motion:
//
// - commands: walktostar(actor, destination) (a star, a path's end, or a custom point "x, y, z";
//   over 15 characters "String length too big."), turntodeg(actor, angle), stopwalk(actor),
//   stopball(prop), makeloop(kind, object, handler, ticks) (kind "actor", "prop", "scene" or
//   "flat"; names over 15 characters "String length too big."), stoploop(kind, object); the stop
//   commands take "all" for every slot and send nothing.
// - functions: iswalk(actor), isball(prop), isloop(kind, object); countwalks(), countballs(),
//   countloops(kind); indextowalk(n), indextoball(n), indextoloop(kind, n) (the name of the
//   n-th active slot; "No such object." when n is below 1 or above the count); walkdest(actor)
//   ("none" without a walk).
// - makeball(prop, vx, vy, vz, spare, bounce, frames) waits for signatures of seven parameters;
//   until then Motion::StartBall is reached from C++ only.
// - properties: pausewalk(actor), pauseball(prop), pauseloop(kind, object) read whether the slot
//   is paused; written with true they pause it once more, with false once less.
//
// An unknown actor or prop (where one must exist) or loop kind is "No such object.".
#pragma once

#include "objects/motion.h"
#include "script/builtin_table.h"

namespace lw {

void WireMotionBuiltins(BuiltinTable& table, Motion& motion);
void DescribeMotionBuiltins(BuiltinTable& catalog);

}  // namespace lw
