// What the set draws on: the scene view layer of the screen composition, its redraw request,
// one composed frame (a move's animation shows one picture a frame), and the program's sine and
// cosine tables that place the camera. The composition implements it.
#pragma once

#include "media/scene_view.h"
#include "media/scene_view_layer.h"

namespace lw {

class SetDisplay {
 public:
  virtual ~SetDisplay() = default;

  virtual SceneViewLayer& sceneView() = 0;
  // Asks that the next composition redraw the view (redraw level 1).
  virtual void requestViewRedraw() = 0;
  // Composes one frame now, paced as every frame is.
  virtual void composeFrame() = 0;
  [[nodiscard]] virtual const Trig& trig() const = 0;
};

}  // namespace lw
