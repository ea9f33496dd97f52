// hittest(p): what the title shows under stage point p, as a name with its kind left in the
// result text. The kinds are tried from the top down, and the first hit decides:
//
//   1. a sprite (actor or prop)          with the actor and prop layers
//   2. the scene view of an open set     with the set layer
//   3. the stage, open and shown, if p lies on it: the current flat's buttons from the last to
//      the first ("button" and its name), else the flat ("flat" and its name)
//   4. nothing: "none" and the empty text
//
// The sprite layer comes with the actors and props; it adds its step to HitTestServices.
#pragma once

#include "objects/set_objects.h"
#include "objects/stage_objects.h"
#include "script/builtin_table.h"

namespace lw {

struct HitTestServices {
  StageObjects& stage;
  SetObjects& set;
};

void WireHitTestBuiltins(BuiltinTable& table, HitTestServices& services);
void DescribeHitTestBuiltins(BuiltinTable& catalog);

}  // namespace lw
