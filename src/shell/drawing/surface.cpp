#include "shell/drawing/surface.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace lw {
namespace {

// Rows start on 4-byte boundaries so that pixel writers can address them the same way on every
// surface.
constexpr int kRowAlignment = 4;
// Surface sides are stored in rectangles of 16-bit coordinates.
constexpr int kMaxSide = std::numeric_limits<std::int16_t>::max();

}  // namespace

Surface::Surface(int width, int height) : Surface(width, height, 0) {}

Surface::Surface(int width, int height, int rowBytes)
    : width_(std::clamp(width, 0, kMaxSide)),
      height_(std::clamp(height, 0, kMaxSide)),
      rowBytes_(std::max((width_ + kRowAlignment - 1) / kRowAlignment * kRowAlignment,
                         std::clamp(rowBytes, 0, kMaxSide) / kRowAlignment * kRowAlignment)),
      pixels_(static_cast<std::size_t>(rowBytes_) * static_cast<std::size_t>(height_), 0) {
  port.surface = this;
  port.bounds = rect();
}

Surface::Surface(const Surface& other)
    : port(other.port),
      width_(other.width_),
      height_(other.height_),
      rowBytes_(other.rowBytes_),
      pixels_(other.pixels_) {
  adoptPort(other);
}

Surface::Surface(Surface&& other) noexcept
    : port(other.port),
      width_(other.width_),
      height_(other.height_),
      rowBytes_(other.rowBytes_),
      pixels_(std::move(other.pixels_)) {
  adoptPort(other);
  other.becomeEmpty();
}

Surface& Surface::operator=(const Surface& other) {
  if (this != &other) *this = Surface(other);
  return *this;
}

Surface& Surface::operator=(Surface&& other) noexcept {
  if (this == &other) return *this;
  port = other.port;
  width_ = other.width_;
  height_ = other.height_;
  rowBytes_ = other.rowBytes_;
  pixels_ = std::move(other.pixels_);
  adoptPort(other);
  other.becomeEmpty();
  return *this;
}

// A moved-from surface has no pixels, so that nothing can address its old rows.
void Surface::becomeEmpty() {
  width_ = 0;
  height_ = 0;
  rowBytes_ = 0;
  pixels_.clear();
}

// The port came from `other`; when it drew on `other` it now draws on this surface.
void Surface::adoptPort(const Surface& other) {
  if (port.surface == &other) port.surface = this;
}

}  // namespace lw
