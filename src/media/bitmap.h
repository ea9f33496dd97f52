// An 8-bit destination bitmap as the codecs see it: `height` rows of `width` pixels (palette
// indices) inside a bounded span of memory, row r starting at row0 + r x stride. The stride may
// be negative, for bitmaps whose rows run upward in memory. Decoders check every row, copy source
// and run against `memory`, so a malformed picture can never touch bytes outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lw {

struct BitmapView {
  std::span<std::uint8_t> memory;  // every byte the bitmap may touch
  std::ptrdiff_t row0 = 0;         // offset of row 0's first pixel in `memory`
  std::int32_t stride = 0;         // bytes from row r to row r + 1
  std::int32_t width = 0;
  std::int32_t height = 0;

  // Whether every pixel of every row lies inside `memory`.
  [[nodiscard]] bool valid() const {
    if (width < 0 || height < 0 || row0 < 0) return false;
    if (height == 0 || width == 0) return true;
    std::ptrdiff_t first = row0;
    std::ptrdiff_t last = row0 + static_cast<std::ptrdiff_t>(height - 1) * stride;
    std::ptrdiff_t low = first < last ? first : last;
    std::ptrdiff_t high = (first < last ? last : first) + width;
    return low >= 0 && high <= static_cast<std::ptrdiff_t>(memory.size());
  }
  // Offset in `memory` of pixel (row, column); the caller has checked the bounds.
  [[nodiscard]] std::ptrdiff_t offsetOf(std::int32_t row, std::int32_t column) const {
    return row0 + static_cast<std::ptrdiff_t>(row) * stride + column;
  }
};

}  // namespace lw
