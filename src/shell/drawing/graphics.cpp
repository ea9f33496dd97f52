#include "shell/drawing/graphics.h"

#include <algorithm>
#include <utility>

#include "shell/drawing/graphics_raster.h"

namespace lw {
namespace {

using raster::Box;
using raster::Ink;
using raster::PortRaster;

constexpr std::uint8_t kSolidRow = 0xFF;
constexpr std::int16_t kNormalPenWidth = 1;
constexpr int kPatternSize = 8;
constexpr int kPatternHighBit = 7;
// The pattern of dimmed frames: every other pixel, alternating from row to row.
constexpr std::array<std::uint8_t, kPatternSize> kDimPattern{0xAA, 0x55, 0xAA, 0x55,
                                                             0xAA, 0x55, 0xAA, 0x55};
constexpr Rgb kBlackRgb{0, 0, 0};
constexpr Rgb kWhiteRgb{255, 255, 255};

// The bit of an 8 x 8 pattern for a pixel `row` and `column` pixels from the pattern's origin;
// the most significant bit of each byte is the leftmost pixel.
bool PatternBit(const std::array<std::uint8_t, kPatternSize>& pattern, int row, int column) {
  const std::uint8_t bits = pattern[static_cast<std::size_t>(row & (kPatternSize - 1))];
  return ((bits >> (kPatternHighBit - (column & (kPatternSize - 1)))) & 1U) != 0;
}

// The parts of `outer` within `width` pixels of its edge, as up to four boxes that do not
// overlap, so that an inverting frame flips each pixel once. When the sides meet in the middle
// the frame is the whole box.
std::array<Box, 4> FrameBands(const Box& outer, int width) {
  const Box inner{outer.top + width, outer.left + width, outer.bottom - width, outer.right - width};
  if (inner.empty()) return {outer, Box{}, Box{}, Box{}};
  return {Box{outer.top, outer.left, inner.top, outer.right},
          Box{inner.bottom, outer.left, outer.bottom, outer.right},
          Box{inner.top, outer.left, inner.bottom, inner.left},
          Box{inner.top, inner.right, inner.bottom, outer.right}};
}

}  // namespace

// Until a port is chosen, drawing goes to the screen canvas itself.
Graphics::Graphics(Screen& screen, platform::FontRenderer& fonts, ErrorReporter& errors,
                   std::function<bool()> paused)
    : screen_(screen),
      fonts_(fonts),
      errors_(errors),
      paused_(std::move(paused)),
      current_(&screen.canvas().port) {}

void Graphics::SetPort(Port& port) { current_ = &port; }

void Graphics::InitPort(Port& port) {
  Port fresh;
  fresh.surface = port.surface;
  fresh.window = port.window;
  fresh.bounds = port.bounds;
  port = fresh;
}

// Port coordinates start at the origin: the pixel at the bounds' top-left corner is the point
// (originH, originV), so the rectangle is the bounds' size placed there.
Rect Graphics::GetPortRect(const Port& port) {
  const int height = std::max(0, port.bounds.height());
  const int width = std::max(0, port.bounds.width());
  return raster::ToRect(
      Box{port.originV, port.originH, port.originV + height, port.originH + width});
}

void Graphics::SetOrigin(Port& port, int h, int v) {
  port.originH = Clamp16(h);
  port.originV = Clamp16(v);
}

void Graphics::SetForeColor(std::uint8_t index) {
  if (raster::Halted(paused_)) return;
  current_->foreIndex = index;
  current_->foreRgb = screen_.palette()[index];
}

void Graphics::SetBackColor(std::uint8_t index) {
  if (raster::Halted(paused_)) return;
  current_->backIndex = index;
  current_->backRgb = screen_.palette()[index];
}

void Graphics::SetPenWidth(int width) {
  if (raster::Halted(paused_)) return;
  current_->penWidth = Clamp16(width);
}

void Graphics::SetPenMode(int mode) {
  if (raster::Halted(paused_)) return;
  current_->penMode = Clamp16(mode);
}

void Graphics::SetPattern(const std::array<std::uint8_t, 8>& pattern) {
  if (raster::Halted(paused_)) return;
  current_->pattern = pattern;
  current_->solidPattern = std::all_of(pattern.begin(), pattern.end(),
                                       [](std::uint8_t row) { return row == kSolidRow; });
}

void Graphics::PenNormal() {
  if (raster::Halted(paused_)) return;
  Port& port = *current_;
  port.penMode = Port::kPenCopy;
  port.pattern.fill(kSolidRow);
  port.solidPattern = true;
  port.penWidth = kNormalPenWidth;
  port.foreIndex = Port::kBlack;
  port.foreRgb = kBlackRgb;
  port.backIndex = Port::kWhite;
  port.backRgb = kWhiteRgb;
}

void Graphics::SetTextFont(int number) {
  if (raster::Halted(paused_)) return;
  current_->textFont = Clamp16(number);
}

void Graphics::SetTextSize(int size) {
  if (raster::Halted(paused_)) return;
  current_->textSize = Clamp16(size);
}

void Graphics::MoveTo(int h, int v) {
  if (raster::Halted(paused_)) return;
  current_->penPosition = Point{Clamp16(v), Clamp16(h)};
}

void Graphics::PaintPortRect(const Rect& r) {
  if (raster::Halted(paused_)) return;
  PortRaster target(*current_);
  target.paint(target.toDevice(r), Ink{false, current_->backIndex});
  raster::ReportChanges(screen_, target);
}

void Graphics::FillPatternRect(const Rect& r) {
  if (raster::Halted(paused_)) return;
  const Port& port = *current_;
  PortRaster target(port);
  const Box area = target.toDevice(r);
  target.forEachPixel(area, [&](std::uint8_t& pixel, int x, int y) {
    pixel = PatternBit(port.pattern, y - area.top, x - area.left) ? port.foreIndex : port.backIndex;
  });
  raster::ReportChanges(screen_, target);
}

void Graphics::FramePortRect(const Rect& r) {
  if (raster::Halted(paused_)) return;
  const Port& port = *current_;
  if (port.penWidth < 1) return;
  PortRaster target(port);
  for (const Box& band : FrameBands(target.toDevice(r), port.penWidth))
    target.paint(band, raster::PenInk(port));
  raster::ReportChanges(screen_, target);
}

void Graphics::FramePortRectDim(const Rect& r) {
  if (raster::Halted(paused_)) return;
  const Port& port = *current_;
  if (port.penWidth >= 1) {
    PortRaster target(port);
    const Box outer = target.toDevice(r);
    const Ink ink = raster::PenInk(port);
    for (const Box& band : FrameBands(outer, port.penWidth)) {
      target.forEachPixel(band, [&](std::uint8_t& pixel, int x, int y) {
        if (PatternBit(kDimPattern, y - outer.top, x - outer.left)) ink.apply(pixel);
      });
    }
    raster::ReportChanges(screen_, target);
  }
  PenNormal();
}

}  // namespace lw
