#include "shell/drawing/graphics_raster.h"

#include <limits>

namespace lw::raster {

Box Intersect(const Box& a, const Box& b) {
  return Box{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
             std::min(a.right, b.right)};
}

Box Enclose(const Box& a, const Box& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return Box{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
             std::max(a.right, b.right)};
}

Box Shift(const Box& b, int dx, int dy) {
  return Box{b.top + dy, b.left + dx, b.bottom + dy, b.right + dx};
}

Box ToBox(const Rect& r) { return Box{r.top, r.left, r.bottom, r.right}; }

Rect ToRect(const Box& b) {
  return Rect{Clamp16(b.top), Clamp16(b.left), Clamp16(b.bottom), Clamp16(b.right)};
}

Ink PenInk(const Port& port) { return Ink{port.penMode == Port::kPenXor, port.foreIndex}; }

PortRaster::PortRaster(const Port& port)
    : surface_(port.surface),
      clip_(surface_ != nullptr ? Intersect(ToBox(port.bounds), ToBox(surface_->rect())) : Box{}),
      dx_(port.bounds.left - port.originH),
      dy_(port.bounds.top - port.originV) {}

Box PortRaster::toDevice(const Rect& r) const {
  return Box{deviceY(r.top), deviceX(r.left), deviceY(r.bottom), deviceX(r.right)};
}

void PortRaster::paint(const Box& area, Ink ink) {
  if (ink.invert) {
    forEachPixel(area, [](std::uint8_t& pixel, int, int) { pixel ^= Ink::kInvertMask; });
    return;
  }
  const Box b = Intersect(area, clip_);
  if (!drawable() || b.empty()) return;
  for (int y = b.top; y < b.bottom; ++y)
    std::fill(surface_->row(y) + b.left, surface_->row(y) + b.right, ink.index);
  noteChanged(b);
}

void ReportChanges(Screen& screen, const PortRaster& raster) {
  if (raster.changed().empty()) return;
  if (raster.target() == &screen.canvas()) screen.markDirty(ToRect(raster.changed()));
}

}  // namespace lw::raster
