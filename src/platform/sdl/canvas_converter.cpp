#include "platform/sdl/canvas_converter.h"

#include <algorithm>
#include <cstring>

namespace lw::platform {
namespace {

constexpr std::size_t kCanvasPixels = static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;
constexpr Rect kCanvasRect{0, 0, kCanvasHeight, kCanvasWidth};

std::uint32_t Argb(const Rgb& colour) {
  return kOpaque | (std::uint32_t{colour.red} << kRedShift) |
         (std::uint32_t{colour.green} << kGreenShift) | colour.blue;
}

Rect ClipToCanvas(const Rect& r) {
  return {std::max(r.top, kCanvasRect.top), std::max(r.left, kCanvasRect.left),
          std::min(r.bottom, kCanvasRect.bottom), std::min(r.right, kCanvasRect.right)};
}

}  // namespace

CanvasConverter::CanvasConverter()
    : pixels_(kCanvasPixels, Argb(Rgb{})), indexes_(kCanvasPixels, 0) {
  colours_.fill(Argb(Rgb{}));
}

void CanvasConverter::setPalette(const Palette& palette) {
  palette_ = palette;
  std::transform(palette.begin(), palette.end(), colours_.begin(), Argb);
  wholeCanvas_ = true;
}

std::vector<Rect> CanvasConverter::convert(const std::uint8_t* canvas, int rowBytes,
                                           std::span<const Rect> dirty) {
  std::vector<Rect> converted;
  if (canvas == nullptr || rowBytes < kCanvasWidth) return converted;
  if (wholeCanvas_) {
    converted.push_back(kCanvasRect);
  } else {
    for (const Rect& r : dirty) {
      const Rect clipped = ClipToCanvas(r);
      if (!clipped.empty()) converted.push_back(clipped);
    }
  }
  for (const Rect& r : converted) convertRect(canvas, rowBytes, r);
  presentedPalette_ = palette_;
  wholeCanvas_ = false;
  return converted;
}

// Converts one rectangle, already inside the canvas.
void CanvasConverter::convertRect(const std::uint8_t* canvas, int rowBytes, const Rect& r) {
  const std::size_t width = static_cast<std::size_t>(r.width());
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint8_t* source = canvas + static_cast<std::ptrdiff_t>(y) * rowBytes + r.left;
    const std::size_t at = static_cast<std::size_t>(y) * kCanvasWidth + r.left;
    std::memcpy(&indexes_[at], source, width);
    std::transform(source, source + width, &pixels_[at],
                   [this](std::uint8_t index) { return colours_[index]; });
  }
}

}  // namespace lw::platform
