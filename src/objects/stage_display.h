// What the stage objects draw on: the 512 x 384 stage layer that the screen composition places
// in the middle of the screen, and the composition's redraw requests. The composition implements
// it; tests give a plain surface.
#pragma once

#include "shell/drawing/surface.h"

namespace lw {

class StageDisplay {
 public:
  virtual ~StageDisplay() = default;

  // The stage layer: 512 x 384 palette indexes, stage point (h, v) at pixel (h, v).
  virtual Surface& stageLayer() = 0;

  // Asks that the next composition redraw the whole screen (redraw level 2).
  virtual void requestScreenRedraw() = 0;
};

}  // namespace lw
