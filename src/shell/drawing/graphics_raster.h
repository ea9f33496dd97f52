// Pixel access shared by the drawing primitives (internal to the graphics module). A raster is
// the part of a surface that one port draws in, addressed in surface pixels: it converts port
// coordinates, clips every write to the port's bounds and to the surface, and collects the area
// it changed so that drawing on the screen canvas marks exactly that area.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "common/geometry.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/surface.h"

namespace lw::raster {

// A rectangle of surface pixels in full-width integers: port coordinates minus the origin can
// leave the 16-bit range.
struct Box {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  [[nodiscard]] int width() const { return right - left; }
  [[nodiscard]] int height() const { return bottom - top; }
  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
};

[[nodiscard]] Box Intersect(const Box& a, const Box& b);
// The smallest box holding both; an empty box adds nothing.
[[nodiscard]] Box Enclose(const Box& a, const Box& b);
[[nodiscard]] Box Shift(const Box& b, int dx, int dy);
[[nodiscard]] Box ToBox(const Rect& r);
// The rectangle of a box, its coordinates saturated to 16 bits.
[[nodiscard]] Rect ToRect(const Box& b);

// True when drawing must do nothing (the application is paused).
[[nodiscard]] inline bool Halted(const std::function<bool()>& paused) { return paused && paused(); }

// What a drawing operation does to each pixel it covers: store a palette index, or (pen mode
// exclusive-or) flip every bit, which turns white into black and back.
struct Ink {
  static constexpr std::uint8_t kInvertMask = 0xFF;
  bool invert = false;
  std::uint8_t index = 0;

  void apply(std::uint8_t& pixel) const { pixel = invert ? pixel ^ kInvertMask : index; }
};

// The ink of a port's pen: its foreground index, or inversion in exclusive-or mode.
[[nodiscard]] Ink PenInk(const Port& port);

class PortRaster {
 public:
  explicit PortRaster(const Port& port);

  // False when there is nothing to draw on (no surface, or the port lies off it).
  [[nodiscard]] bool drawable() const { return surface_ != nullptr && !clip_.empty(); }
  [[nodiscard]] int deviceX(int h) const { return h + dx_; }
  [[nodiscard]] int deviceY(int v) const { return v + dy_; }
  // A port rectangle in surface pixels, not clipped.
  [[nodiscard]] Box toDevice(const Rect& r) const;
  [[nodiscard]] const Box& clip() const { return clip_; }
  [[nodiscard]] Surface& surface() { return *surface_; }
  [[nodiscard]] const Surface* target() const { return surface_; }
  [[nodiscard]] const Box& changed() const { return changed_; }
  // Adds to the changed area (for callers that write rows themselves).
  void noteChanged(const Box& b) { changed_ = Enclose(changed_, b); }

  // Calls op(pixel, x, y) for every pixel of `area` within the clip.
  template <typename Op>
  void forEachPixel(const Box& area, Op op) {
    const Box b = Intersect(area, clip_);
    if (!drawable() || b.empty()) return;
    for (int y = b.top; y < b.bottom; ++y) {
      std::uint8_t* row = surface_->row(y);
      for (int x = b.left; x < b.right; ++x) op(row[x], x, y);
    }
    noteChanged(b);
  }

  // Applies an ink to every pixel of `area` within the clip.
  void paint(const Box& area, Ink ink);

 private:
  Surface* surface_;
  Box clip_;
  int dx_;
  int dy_;
  Box changed_;
};

// Marks what a raster changed on the screen, when it drew on the screen canvas.
void ReportChanges(Screen& screen, const PortRaster& raster);

}  // namespace lw::raster
