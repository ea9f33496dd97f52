// Offscreen surfaces and drawing ports. Every picture the runtime shows is 8-bit palette
// indexes: 512 x 384 stage surfaces that the compositor and the movie engine draw into, and the
// 640 x 480 screen canvas that the windows show. A port is the drawing state of one surface or
// one window: colours, pen, pattern, text settings and the drawing origin.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/geometry.h"
#include "shell/drawing/colour_table.h"

namespace lw {

class Surface;

struct Port {
  static constexpr std::uint8_t kBlack = 0;
  static constexpr std::uint8_t kWhite = 255;
  static constexpr std::int16_t kPenCopy = 0;
  static constexpr std::int16_t kPenXor = 1;

  Surface* surface = nullptr;  // the pixels drawn on: a window's port draws on the screen canvas
  int window = -1;             // the runtime window (list index) whose port this is, else -1
  Rect bounds;                 // the part of the surface the port draws in (a window's client area)

  Rgb foreRgb{0, 0, 0};
  std::uint8_t foreIndex = kBlack;
  Rgb backRgb{255, 255, 255};
  std::uint8_t backIndex = kWhite;
  std::array<std::uint8_t, 8> pattern{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  bool solidPattern = true;
  std::int16_t penWidth = 1;
  std::int16_t penMode = kPenCopy;
  Point penPosition;  // port coordinates
  std::int16_t textFont = 0;
  std::int16_t textSize = 12;
  // Port coordinates minus the origin give the pixel within `bounds`.
  std::int16_t originH = 0;
  std::int16_t originV = 0;
};

// An 8-bit surface, rows top-down, each row a multiple of 4 bytes.
class Surface {
 public:
  Surface() = default;
  Surface(int width, int height);
  // A surface whose rows lie `rowBytes` apart, at least as many as a plain surface of that width
  // takes: buffers that share the row length of a larger one can be copied to and from it by one
  // stride.
  Surface(int width, int height, int rowBytes);
  // A copied or moved surface's own port draws on the new surface, not on the old one.
  Surface(const Surface& other);
  Surface(Surface&& other) noexcept;
  Surface& operator=(const Surface& other);
  Surface& operator=(Surface&& other) noexcept;
  ~Surface() = default;

  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }
  [[nodiscard]] int rowBytes() const { return rowBytes_; }
  [[nodiscard]] std::uint8_t* row(int y) {
    return pixels_.data() + static_cast<std::size_t>(y) * rowBytes_;
  }
  [[nodiscard]] const std::uint8_t* row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * rowBytes_;
  }
  [[nodiscard]] std::uint8_t at(int h, int v) const { return row(v)[h]; }
  [[nodiscard]] std::uint8_t* data() { return pixels_.data(); }
  [[nodiscard]] const std::uint8_t* data() const { return pixels_.data(); }
  [[nodiscard]] Rect rect() const { return Rect{0, 0, Coord16(height_), Coord16(width_)}; }

  // The surface's own port (initial drawing state, drawing on the whole surface).
  Port port;

 private:
  void adoptPort(const Surface& other);
  void becomeEmpty();

  int width_ = 0;
  int height_ = 0;
  int rowBytes_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace lw
