// The screen canvas: the 640 x 480 picture that the window shows. Window ports draw into it
// and mark what they changed; a present sends the changed rectangles, converted through the
// installed palette, to the platform. It also keeps what was last shown, so that the whole
// window can be drawn again after a palette change.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "common/geometry.h"
#include "platform/platform.h"
#include "shell/drawing/surface.h"

namespace lw {

// A rectangle of the canvas as a present sends it, and where in the picture it was copied from
// (the rectangle itself, but for the scrolling reveals, which show a strip at another place).
struct PresentedRect {
  Rect rect;
  Rect from;
};

class Screen {
 public:
  explicit Screen(platform::Platform& platform);

  [[nodiscard]] Surface& canvas() { return canvas_; }
  [[nodiscard]] Rect rect() const { return canvas_.rect(); }

  // Marks canvas pixels as changed (clipped to the canvas).
  void markDirty(const Rect& r);
  // Marks `r` as changed by a copy of the picture's `from`, for the present listener. Unlike
  // markDirty it joins no other change, so that each piece of a reveal is heard as it was made.
  void markRevealed(const Rect& r, const Rect& from);
  // Sends the changed rectangles to the platform (nothing when nothing changed).
  void present();
  // Hears the rectangles of every present as they go to the platform; empty hears nothing.
  void setPresentListener(std::function<void(std::span<const PresentedRect>)> listener) {
    presentListener_ = std::move(listener);
  }
  // Installs a palette on the platform; the next present shows the whole canvas through it.
  void setPalette(const Palette& palette);
  [[nodiscard]] const Palette& palette() const { return palette_; }

 private:
  platform::Platform& platform_;
  Surface canvas_;
  Palette palette_{};
  std::vector<Rect> dirty_;
  std::vector<Rect> from_;  // where each rectangle of dirty_ was copied from
  std::function<void(std::span<const PresentedRect>)> presentListener_;
};

}  // namespace lw
