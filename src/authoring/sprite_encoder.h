// Sprite encoder: turns a picture of palette indices into the run-length coded sprite record
// that DrawSprite draws (its layout and row code are documented in media/sprite.h).
//
// Each row gets the shortest row code, counted in bytes, that draws exactly the picture's row
// over any background, drawn plain or mirrored: transparent pixels become skips, and opaque
// pixels become runs, literals, or copies from the row above where the row above holds the same
// opaque pixels. A copy reads the destination, so it is never used over a pixel that was
// transparent in the row above (the destination shows the background there), nor in the first
// row (there is no row above).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/geometry.h"

namespace lw::authoring {

// A picture to encode as a sprite.
struct SpriteSource {
  std::int32_t width = 0;                   // 0 .. kMaxSpriteWidth
  std::int32_t height = 0;                  // 0 .. 32767
  std::span<const std::uint8_t> pixels;     // width x height palette indices, rows top to bottom
  Point hotSpot;                            // the picture row (v) and column (h) on the anchor
  std::optional<std::uint8_t> transparent;  // the index that is drawn transparent, if any
};

// Encodes a picture as a sprite record. The error is a ready message (a picture wider than a
// sprite can be, too tall, or pixels that do not match its size).
[[nodiscard]] Expected<std::vector<std::uint8_t>, std::string> EncodeSprite(
    const SpriteSource& source);

}  // namespace lw::authoring
