// The reveal target of a run: pieces of a picture composed off screen are copied to the screen
// canvas and shown step by step, clipped to a screen rectangle (the stage's rectangle for a
// script's visual effect, the movie's for a frame transition).
//
// The two users pace their steps differently:
//   kMilliseconds  a script effect: a pause of w ticks lasts w x 50/3 milliseconds from its start
//   kTicks         a frame transition: a deadline one tick on is set at the start and again after
//                  each pause, and a pause lasts until the tick count reaches it, so steps follow
//                  each other a tick apart however long each took
// Both keep the window's messages flowing. A request to close the window ends a pause at once
// and stops the reveal, so that closing during a long effect does not wait for it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/geometry.h"
#include "media/reveal_target.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"
#include "shell/windows/window_system.h"

namespace lw {

enum class RevealPacing : std::uint8_t { kMilliseconds, kTicks };

struct ScreenRevealParts {
  const Surface& picture;  // the composed picture, laid out as the canvas
  Screen& screen;
  WindowSystem& windows;
  Rect clip;     // in the picture's coordinates
  Point origin;  // where the picture's (0, 0) lies on the canvas
  RevealPacing pacing = RevealPacing::kMilliseconds;
  // Hears the canvas rectangles a step changed just before they are shown (the message box
  // draws itself again over them); may be empty.
  std::function<void(std::span<const Rect>)> shown;
};

class ScreenReveal final : public RevealTarget {
 public:
  explicit ScreenReveal(ScreenRevealParts parts);

  using RevealTarget::Reveal;
  void Reveal(const RevealBox& source, const RevealBox& destination) override;
  bool EndStep(std::uint32_t ticks) override;

 private:
  void pauseTicks(std::uint32_t ticks);

  ScreenRevealParts parts_;
  std::vector<Rect> changed_;
  std::uint32_t deadline_ = 0;
};

}  // namespace lw
