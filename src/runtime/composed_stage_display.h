// What the title objects draw on in a run: the stage objects draw on the compositor's stage
// layer, and their redraw requests raise its redraw level to the whole screen; the set draws its
// views on the compositor's scene view layer, composes the frames of its moves, and places its
// camera with the program's sine and cosine tables.
#pragma once

#include "media/compositor.h"
#include "objects/set_display.h"
#include "objects/stage_display.h"
#include "script/trig_tables.h"

namespace lw {

class ComposedStageDisplay final : public StageDisplay, public SetDisplay {
 public:
  explicit ComposedStageDisplay(Compositor& compositor) : compositor_(compositor) {}

  Surface& stageLayer() override { return compositor_.stageLayer(); }
  void requestScreenRedraw() override { compositor_.RequestRedraw(RedrawLevel::kScreen); }

  SceneViewLayer& sceneView() override { return compositor_.sceneView(); }
  void requestViewRedraw() override { compositor_.RequestRedraw(RedrawLevel::kView); }
  void composeFrame() override { compositor_.ComposeFrame(); }
  [[nodiscard]] const Trig& trig() const override { return trig_; }

 private:
  // The program always carries its tables; a flat table stands in should one be missing.
  static const TrigTable& TableOr(const TrigTable* table) {
    static const TrigTable kFlat{};
    return table != nullptr ? *table : kFlat;
  }

  Compositor& compositor_;
  Trig trig_{TableOr(SineTable()), TableOr(CosineTable())};
};

}  // namespace lw
