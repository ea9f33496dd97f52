// The stage display of a run until the screen composition draws the stage layer: the stage
// objects draw into the runtime's 512 x 384 stage surface, and their redraw requests are only
// counted. The composition, when it comes, implements StageDisplay itself and takes this
// adapter's place in Runtime::Start.
#pragma once

#include <cstdint>

#include "objects/stage_display.h"
#include "shell/drawing/surface.h"

namespace lw {

class StageSurfaceAdapter final : public StageDisplay {
 public:
  explicit StageSurfaceAdapter(Surface& surface) : surface_(surface) {}

  Surface& stageLayer() override { return surface_; }
  void requestScreenRedraw() override { ++redrawRequests_; }

  [[nodiscard]] std::uint64_t redrawRequests() const { return redrawRequests_; }

 private:
  Surface& surface_;
  std::uint64_t redrawRequests_ = 0;
};

}  // namespace lw
