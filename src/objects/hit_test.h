// hittest(p): what the title shows under stage point p, as a name with its kind left in the
// result text. The kinds are tried from the top down, and the first hit decides:
//
//   0. the puppet, open and shown, if p lies on the stage it covers: "puppet" and the name of
//      the file's first puppet (what its messages go to)
//   1. a sprite (actor or prop)          with the actor and prop layers
//   2. the scene view of an open set     with the set layer
//   3. the stage, open and shown, if p lies on it: the current flat's buttons from the last to
//      the first ("button" and its name), else the flat ("flat" and its name)
//   4. nothing: "none" and the empty text
//
// The sprite step asks the composition for the owner of the topmost picture the last frame shows
// on an opaque pixel at p: an actor's or a prop's serial. A serial that no figure has any more
// (its cast closed since that frame) is no hit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "objects/figure_table.h"
#include "objects/puppet_objects.h"
#include "objects/set_objects.h"
#include "objects/stage_objects.h"
#include "script/builtin_table.h"

namespace lw {

struct HitTestServices {
  StageObjects& stage;
  SetObjects& set;
  PuppetObjects& puppet;
  FigureTable& actors;
  FigureTable& props;
  std::function<std::optional<std::uint32_t>(Point stagePoint)> spriteAt;
};

void WireHitTestBuiltins(BuiltinTable& table, HitTestServices& services);
void DescribeHitTestBuiltins(BuiltinTable& catalog);

}  // namespace lw
