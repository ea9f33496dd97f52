// Text: Mac Roman strings drawn in one of the two faces through the platform's renderer,
// foreground only (the background shows through), from the pen position on the baseline.
#include <algorithm>
#include <string>

#include "shell/drawing/graphics.h"
#include "shell/drawing/graphics_raster.h"

namespace lw {
namespace {

using raster::Box;
using raster::PortRaster;

constexpr std::uint8_t kFirstShown = 32;   // the space
constexpr std::uint8_t kLastShown = 122;   // 'z'
constexpr std::uint8_t kRightQuote = 213;  // the typographic apostrophe of Mac Roman
constexpr int kTitleFaceNumber = 16;
// A size below one pixel takes the initial text size; very large sizes are limited so that a
// wrong value cannot ask the renderer for an enormous image.
constexpr int kDefaultTextSize = 12;
constexpr int kMaxTextSize = 512;
// Coverage at least half full is drawn.
constexpr std::uint8_t kInkCoverage = 128;

std::string DisplayText(std::string_view text) {
  std::string shown(text.size(), ' ');
  std::transform(text.begin(), text.end(), shown.begin(),
                 [](char c) { return Graphics::DisplayCharacter(static_cast<std::uint8_t>(c)); });
  return shown;
}

platform::Face FaceOf(const Port& port) {
  return port.textFont == kTitleFaceNumber ? platform::Face::kTitleFace : platform::Face::kArial;
}

int PixelHeightOf(const Port& port) {
  return port.textSize < 1 ? kDefaultTextSize : std::min<int>(port.textSize, kMaxTextSize);
}

// A renderer's image is only drawn when its coverage holds every pixel it claims.
bool WellFormed(const platform::TextImage& image) {
  return image.width >= 0 && image.height >= 0 &&
         image.coverage.size() >=
             static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

}  // namespace

char Graphics::DisplayCharacter(std::uint8_t c) {
  if (c == kRightQuote) return '\'';
  if (c < kFirstShown || c > kLastShown) return ' ';
  return static_cast<char>(c);
}

void Graphics::DrawString(std::string_view text) {
  if (raster::Halted(paused_)) return;
  Port& port = *current_;
  const platform::TextImage image =
      fonts_.render(FaceOf(port), PixelHeightOf(port), DisplayText(text));
  PortRaster target(port);
  if (WellFormed(image)) {
    const int left = target.deviceX(port.penPosition.h);
    const int top = target.deviceY(port.penPosition.v) - image.ascent;
    const raster::Ink ink = raster::PenInk(port);
    target.forEachPixel(Box{top, left, top + image.height, left + image.width},
                        [&](std::uint8_t& pixel, int x, int y) {
                          const auto at = static_cast<std::size_t>(y - top) *
                                              static_cast<std::size_t>(image.width) +
                                          static_cast<std::size_t>(x - left);
                          if (image.coverage[at] >= kInkCoverage) ink.apply(pixel);
                        });
    raster::ReportChanges(screen_, target);
  }
  port.penPosition.h = Clamp16(static_cast<long long>(port.penPosition.h) + image.advance);
}

// A width is no drawing, so it is measured even while the application is paused.
int Graphics::StringWidth(std::string_view text) {
  const Port& port = *current_;
  return fonts_.width(FaceOf(port), PixelHeightOf(port), DisplayText(text));
}

}  // namespace lw
