// The runtime's cursor pictures as SDL colour cursors. SDL has no inverting cursor pixels, so
// inverting pixels show black with a white outline, which stays visible on dark and light
// backgrounds alike. Cursors grow with the canvas: at the whole part of the window's scale,
// with nearest pixels, so that they keep their size against the picture.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace lw::platform {

// The ARGB8888 pixels of a cursor picture, row by row: black, white, transparent, and
// inverting pixels black, with every transparent pixel next to one (the eight neighbours)
// turned white. The picture must hold width x height pixels.
[[nodiscard]] std::vector<std::uint32_t> CursorPixels(const CursorImage& image);

// True when a picture can become a cursor: a size of 1..kMaxCursorSide each way and as many
// pixels as the size says.
inline constexpr int kMaxCursorSide = 256;
[[nodiscard]] bool IsUsableCursor(const CursorImage& image);

// The whole part of the scale at which a window (or output) of `width` x `height` pixels shows
// the canvas with its aspect kept: the smaller of the two ratios, rounded down, at least 1.
[[nodiscard]] int CanvasScale(int width, int height);

// `pixels` (width x height, row by row) with each pixel repeated `scale` times across and down.
[[nodiscard]] std::vector<std::uint32_t> ScalePixels(std::span<const std::uint32_t> pixels,
                                                     int width, int height, int scale);

// The scale a cursor of `width` x `height` takes at the canvas scale `scale`: as much of it as
// keeps both sides within kMaxCursorSide, at least 1.
[[nodiscard]] int CursorScale(int width, int height, int scale);

// The cursors made so far, one per picture (by address; a picture whose contents changed at
// the same address is made again), and the system arrow.
class CursorCache {
 public:
  CursorCache() = default;
  CursorCache(const CursorCache&) = delete;
  CursorCache& operator=(const CursorCache&) = delete;

  // Shows `image` as the cursor; null, or a picture that cannot be a cursor, shows the arrow.
  void show(const CursorImage* image);
  // Makes the cursors at the canvas scale `scale` from now on, the one shown at once.
  void setScale(int scale);

 private:
  struct CursorFreer {
    void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
  };
  using CursorHandle = std::unique_ptr<SDL_Cursor, CursorFreer>;
  struct Entry {
    CursorImage picture;  // what the cursor was made from
    CursorHandle cursor;  // null when it could not be made
  };

  SDL_Cursor* cursorFor(const CursorImage* key, const CursorImage& image);
  SDL_Cursor* arrow();

  std::unordered_map<const CursorImage*, Entry> cursors_;
  CursorHandle arrow_;
  int scale_ = 1;
  const CursorImage* shown_ = nullptr;  // the picture last shown (null: the arrow)
};

}  // namespace lw::platform
