// Short texts of the shell's values: event records, wide colours and pictures of pixels, so that
// a test compares one string (a trace) instead of asserting field by field.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "shell/drawing/colour_table.h"
#include "shell/drawing/surface.h"
#include "shell/windows/event_queue.h"
#include "support/common_printers.h"

namespace lw::test {

// "kind:message", then "@v,h" for mouse events and "/modifiers" in hex when there are any.
inline std::string Print(const EventRecord& event) {
  std::string text = std::to_string(event.what) + ':' + std::to_string(event.message);
  if (event.what == event_kind::kMouseDown || event.what == event_kind::kMouseUp)
    text += '@' + std::to_string(event.where.v) + ',' + std::to_string(event.where.h);
  char modifiers[8] = "";
  if (event.modifiers != 0)
    std::snprintf(modifiers, sizeof modifiers, "/%x", unsigned{event.modifiers});
  return text + modifiers;
}

// Takes every event of `queue`, oldest first, separated by spaces; the queue is empty after.
inline std::string Drain(EventQueue& queue) {
  std::string text;
  while (const auto event = queue.take(event_mask::kEvery))
    text += (text.empty() ? "" : " ") + Print(*event);
  return text;
}

// A picture of `area` of 8-bit pixels, rows separated by spaces: '.' for white (255), '#' for
// black (0), '1'..'9' for those indexes and '?' for any other.
inline std::string Picture(std::span<const std::uint8_t> pixels, int rowBytes, const Rect& area) {
  std::string text;
  for (int y = area.top; y < area.bottom; ++y) {
    if (y != area.top) text += ' ';
    for (int x = area.left; x < area.right; ++x) {
      const std::uint8_t value = pixels[static_cast<std::size_t>(y) * rowBytes + x];
      text += value == Port::kWhite   ? '.'
              : value == Port::kBlack ? '#'
              : value <= 9            ? static_cast<char>('0' + value)
                                      : '?';
    }
  }
  return text;
}
inline std::string Picture(const Surface& surface, const Rect& area) {
  return Picture({surface.data(), static_cast<std::size_t>(surface.rowBytes()) * surface.height()},
                 surface.rowBytes(), area);
}
inline std::string Picture(const Surface& surface) { return Picture(surface, surface.rect()); }

// A surface of `width` x `height` white pixels.
inline Surface WhiteSurface(int width, int height) {
  Surface surface(width, height);
  for (int y = 0; y < height; ++y) std::fill_n(surface.row(y), width, Port::kWhite);
  return surface;
}

}  // namespace lw::test
