// The thumbnail record of a saved game: a small picture of the screen at the moment of saving,
// which the saved-game chooser shows beside the game's name. A saved game keeps it as its last
// record (id = next id - 1); a file whose last record is no valid thumbnail has none.
//
// Record layout (little-endian):
//   OFFSET  SIZE              DESCRIPTION
//   0       4                 tag "THMB"
//   4       u16               width, 1..640 (160 for a 640 x 480 screen)
//   6       u16               height, 1..480 (120 for a 640 x 480 screen)
//   8       width x height x 3  pixels: red, green, blue; rows top to bottom
//
// The record is exactly 8 + width x height x 3 bytes long.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/palette.h"
#include "shell/dialogs/saved_game_entry.h"
#include "shell/drawing/surface.h"

namespace lw {

inline constexpr int kThumbnailScale = 4;  // each thumbnail pixel is a 4 x 4 block of the screen
inline constexpr int kThumbnailMaxWidth = 640;
inline constexpr int kThumbnailMaxHeight = 480;

// The record for `screen` (8-bit indexes shown through `palette`): each thumbnail pixel is the
// rounded mean colour of a 4 x 4 block, so a 640 x 480 screen gives 160 x 120. Rows and columns
// left over at the right and bottom edges (fewer than 4) are not part of any block.
[[nodiscard]] std::vector<std::uint8_t> EncodeThumbnail(const Surface& screen,
                                                        const Palette& palette);

// The picture of a thumbnail record; nothing when the tag is wrong, a size is 0 or too large,
// or the record's length does not match its sizes.
[[nodiscard]] std::optional<ThumbnailPicture> DecodeThumbnail(std::span<const std::uint8_t> record);

}  // namespace lw
