// The stage display of a run: the stage objects draw on the compositor's stage layer, and their
// redraw requests raise its redraw level to the whole screen.
#pragma once

#include "media/compositor.h"
#include "objects/stage_display.h"

namespace lw {

class ComposedStageDisplay final : public StageDisplay {
 public:
  explicit ComposedStageDisplay(Compositor& compositor) : compositor_(compositor) {}

  Surface& stageLayer() override { return compositor_.stageLayer(); }
  void requestScreenRedraw() override { compositor_.RequestRedraw(RedrawLevel::kScreen); }

 private:
  Compositor& compositor_;
};

}  // namespace lw
