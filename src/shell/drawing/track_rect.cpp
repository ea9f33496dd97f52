#include "shell/drawing/track_rect.h"

#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

constexpr int kHighlightPenWidth = 3;
// The shortest time the feedback shows, so that a quick click is still seen.
constexpr std::uint32_t kMinimumTicks = 10;

// Toggles the inverted frame on the tracked port. Message pumping can run painting that
// chooses other ports, so the port is chosen again each time.
void ToggleHighlight(Graphics& graphics, Port& port, const Rect& r) {
  graphics.SetPort(port);
  graphics.FramePortRect(r);
}

}  // namespace

int TrackRect(Graphics& graphics, WindowSystem& windows, const Rect& r) {
  Port& port = graphics.currentPort();
  graphics.SetPenWidth(kHighlightPenWidth);
  graphics.SetPenMode(Port::kPenXor);
  const std::uint32_t start = windows.TickCount();
  ToggleHighlight(graphics, port, r);
  // The press began inside, so the highlight starts on and the answer starts as inside.
  bool inside = true;
  while (windows.ButtonStillDown()) {
    const bool now = PtInRect(windows.GetMouse(nullptr, &port), r);
    if (now != inside) {
      ToggleHighlight(graphics, port, r);
      inside = now;
    }
  }
  while (windows.TickCount() - start < kMinimumTicks) windows.WaitTicks(1);
  if (inside) ToggleHighlight(graphics, port, r);
  graphics.SetPort(port);
  graphics.PenNormal();
  return inside ? 1 : 0;
}

}  // namespace lw
