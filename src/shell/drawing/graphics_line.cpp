// Lines drawn with a square pen. The pen's square, penWidth pixels wide, has its top-left
// corner on each point of the line; the pixels a line covers are gathered row by row into one
// span each, so that an inverting line flips every covered pixel exactly once however much the
// squares overlap.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "shell/drawing/graphics.h"
#include "shell/drawing/graphics_raster.h"

namespace lw {
namespace {

using raster::Box;
using raster::Ink;
using raster::PortRaster;

// The leftmost and rightmost point of a line on one row.
struct RowExtent {
  int first = 0;
  int last = 0;
};

// The points of the line from (x0, y0) to (x1, y1) chosen by Bresenham's method (the pixel
// nearest the true line in each step of the major axis), as extents by row starting at the
// topmost row.
std::vector<RowExtent> LineExtents(int x0, int y0, int x1, int y1) {
  const int topRow = std::min(y0, y1);
  std::vector<RowExtent> rows(static_cast<std::size_t>(std::abs(y1 - y0)) + 1, RowExtent{x0, x0});
  std::vector<bool> seen(rows.size(), false);
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int stepX = x0 < x1 ? 1 : -1;
  const int stepY = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  int x = x0;
  int y = y0;
  while (true) {
    const auto index = static_cast<std::size_t>(y - topRow);
    RowExtent& row = rows[index];
    row = seen[index] ? RowExtent{std::min(row.first, x), std::max(row.last, x)} : RowExtent{x, x};
    seen[index] = true;
    if (x == x1 && y == y1) break;
    const int doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x += stepX;
    }
    if (doubled <= dx) {
      error += dx;
      y += stepY;
    }
  }
  return rows;
}

// Draws the line's pixels covered by the square pen, one span per row within the clip. The
// points are monotonic in x along the rows, so the points whose squares reach a row span from
// the extents of the first and last contributing rows.
void DrawThickLine(PortRaster& target, int x0, int y0, int x1, int y1, int width, Ink ink) {
  const int topRow = std::min(y0, y1);
  const int bottomRow = std::max(y0, y1);
  const int firstRow = std::max(topRow, target.clip().top);
  const int lastRow = std::min(bottomRow + width - 1, target.clip().bottom - 1);
  if (firstRow > lastRow) return;
  const std::vector<RowExtent> rows = LineExtents(x0, y0, x1, y1);
  for (int y = firstRow; y <= lastRow; ++y) {
    const RowExtent& upper =
        rows[static_cast<std::size_t>(std::max(topRow, y - width + 1) - topRow)];
    const RowExtent& lower = rows[static_cast<std::size_t>(std::min(bottomRow, y) - topRow)];
    const int left = std::min(upper.first, lower.first);
    const int right = std::max(upper.last, lower.last) + width;
    target.paint(Box{y, left, y + 1, right}, ink);
  }
}

}  // namespace

void Graphics::LineTo(int h, int v) {
  if (raster::Halted(paused_)) return;
  Port& port = *current_;
  const Point start = port.penPosition;
  port.penPosition = Point{Clamp16(v), Clamp16(h)};
  if (port.penWidth < 1) return;
  PortRaster target(port);
  if (!target.drawable()) return;
  DrawThickLine(target, target.deviceX(start.h), target.deviceY(start.v),
                target.deviceX(port.penPosition.h), target.deviceY(port.penPosition.v),
                port.penWidth, raster::PenInk(port));
  raster::ReportChanges(screen_, target);
}

}  // namespace lw
