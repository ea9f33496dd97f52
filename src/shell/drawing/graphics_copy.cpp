// Copies of pixel blocks between ports: a block the size of the destination rectangle, taken
// from the source rectangle's top-left corner, opaque, clipped to both ports so that source and
// destination pixels keep their correspondence.
#include <cstring>

#include "shell/drawing/graphics.h"
#include "shell/drawing/graphics_raster.h"
#include "shell/program_code.h"

namespace lw {
namespace {

using raster::Box;
using raster::PortRaster;

// Copies `block` of the destination from the source pixels `dx`, `dy` away. Rows are copied in
// the order that reads each source row before it is overwritten when both lie on one surface.
void CopyBlock(const Surface& source, Surface& destination, const Box& block, int dx, int dy) {
  const auto width = static_cast<std::size_t>(block.width());
  const bool upwards = &source == &destination && dy < 0;
  for (int i = 0; i < block.height(); ++i) {
    const int y = upwards ? block.bottom - 1 - i : block.top + i;
    std::memmove(destination.row(y) + block.left, source.row(y + dy) + block.left + dx, width);
  }
}

}  // namespace

void Graphics::CopyBits(const Port& source, Port& destination, const Rect& from, const Rect& to) {
  if (raster::Halted(paused_)) return;
  // Reading a window back into a surface is not supported; asking for it is a program fault.
  if (source.window >= 0 && destination.window < 0) {
    errors_.ReportError(CodeNumber(ProgramCode::kOk), errline::kCopyWindowToSurface);
    return;
  }
  PortRaster reader(source);
  PortRaster writer(destination);
  if (!reader.drawable() || !writer.drawable()) return;
  const Box target = writer.toDevice(to);
  const Box origin = reader.toDevice(from);
  const int dx = origin.left - target.left;
  const int dy = origin.top - target.top;
  const Box block = raster::Intersect(raster::Intersect(target, writer.clip()),
                                      raster::Shift(reader.clip(), -dx, -dy));
  if (block.empty()) return;
  CopyBlock(*source.surface, writer.surface(), block, dx, dy);
  writer.noteChanged(block);
  raster::ReportChanges(screen_, writer);
}

}  // namespace lw
