// The 8-bit screen canvas turned into the 32-bit pixels a texture takes, one changed
// rectangle at a time. It keeps the last presented canvas and palette as well, for screenshots.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/geometry.h"
#include "common/palette.h"
#include "platform/platform.h"

namespace lw::platform {

class CanvasConverter {
 public:
  CanvasConverter();

  // The palette of the next conversion, which then converts the whole canvas.
  void setPalette(const Palette& palette);

  // Converts the `dirty` rectangles (clipped to the canvas) of a kCanvasWidth x kCanvasHeight
  // canvas whose rows are `rowBytes` apart, and copies them into the kept canvas. Gives the
  // rectangles converted: the whole canvas on the first call and after a palette change. A
  // null canvas or rows shorter than the canvas convert nothing.
  std::vector<Rect> convert(const std::uint8_t* canvas, int rowBytes, std::span<const Rect> dirty);

  // ARGB8888 pixels, kCanvasWidth per row, rows top to bottom.
  [[nodiscard]] const std::vector<std::uint32_t>& pixels() const { return pixels_; }
  // The canvas as last converted (kCanvasWidth per row) and the palette it was converted with.
  [[nodiscard]] const std::vector<std::uint8_t>& indexes() const { return indexes_; }
  [[nodiscard]] const Palette& presentedPalette() const { return presentedPalette_; }

 private:
  void convertRect(const std::uint8_t* canvas, int rowBytes, const Rect& r);

  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint8_t> indexes_;
  Palette palette_{};
  Palette presentedPalette_{};
  std::array<std::uint32_t, kPaletteEntries> colours_{};  // palette_ as ARGB8888
  bool wholeCanvas_ = true;
};

}  // namespace lw::platform
