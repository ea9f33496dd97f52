// Sprite pictures: the run-length coded pictures of actors, props and the other things placed
// over a scene. A picture is drawn at an anchor point, which its hot spot lands on; it may be
// drawn mirrored left to right, and in the stage view scaled to a drawn size. The hit test says
// whether a placed picture shows a point, exactly as it is drawn.
//
// Picture record, little-endian:
//   OFFSET  SIZE  DESCRIPTION
//   0       i16   row count N, 0 or more
//   2       i16   width W in pixels, 0 .. 512
//   4       i16   hot spot v: the picture row that lies on the anchor point
//   6       i16   hot spot h: the picture column that lies on the anchor point; drawn mirrored,
//                 the picture column W - h lies on it (h is measured from the right edge)
//   8       ...   N rows, one after another, each:
//                   OFFSET  SIZE  DESCRIPTION
//                   0       i16   byte length L of the row code, 0 or more
//                   2       L     row code
//
// Row code: op bytes b, each covering the next n = b >> 2 pixels (0 .. 63) with the kind b & 3:
//   KIND  DATA       MEANING
//   0     none       copy: the pixels of the row above, at the same destination columns
//   1     none       skip: transparent, the destination keeps its pixels
//   2     1 byte     run: n pixels of the value byte
//   3     n bytes    literal: the n value bytes
// A row ends as soon as its W pixels are covered; bytes left over in L are ignored.
//
// Every operation here is a pure function of the record and its arguments. A record that breaks
// the format is never trusted: reads stay inside the record, writes inside both the clip
// rectangle and the destination bitmap, and the operation stops with a fatal site (program code
// 110, logic) for its caller to report.
#pragma once

#include <cstdint>
#include <span>

#include "common/expected.h"
#include "common/geometry.h"
#include "media/bitmap.h"
#include "media/fatal_site.h"

namespace lw {

inline constexpr std::int32_t kSpriteHeaderSize = 8;
inline constexpr std::int32_t kMaxSpriteWidth = 512;

// Error lines of the sprite module's fatal sites.
inline constexpr std::int16_t kSiteSpriteHeader = 511;     // header cut short, N or W out of range
inline constexpr std::int16_t kSiteScaledDrawWidth = 514;  // scaled draw 2048 columns or more
inline constexpr std::int16_t kSiteScaledDrawRows = 515;   // scaled draw met a malformed row
inline constexpr std::int16_t kSiteDrawRows = 518;         // plain draw met a malformed row

// A picture's header and its undecoded rows, a view into the record.
struct SpritePicture {
  std::int16_t rows = 0;
  std::int16_t width = 0;
  std::int16_t hotV = 0;
  std::int16_t hotH = 0;
  std::span<const std::uint8_t> rowData;  // the bytes after the header
};

// The size a picture is drawn at in the stage view, in destination pixels.
struct SpriteSize {
  std::int16_t rows = 0;
  std::int16_t columns = 0;
};

// Where a placed picture lies in destination coordinates (32-bit: placement may leave the
// 16-bit range that destination bitmaps use).
struct SpritePlacement {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t rows = 0;
  std::int32_t columns = 0;

  [[nodiscard]] bool contains(Point p) const {
    return p.v >= top && p.v - top < rows && p.h >= left && p.h - left < columns;
  }
};

// Reads and checks a picture header (fatal site 511).
[[nodiscard]] Expected<SpritePicture, FatalSite> ReadSpritePicture(
    std::span<const std::uint8_t> record);

// Where a picture drawn at `anchor` lies: its hot spot on the anchor.
[[nodiscard]] SpritePlacement PlaceSprite(const SpritePicture& picture, Point anchor,
                                          bool mirrored);

// Where a picture drawn at `anchor` scaled to `size` lies: the hot spot scales with the picture
// (hot v x size.rows / N, hot h x size.columns / W, rounded towards zero). A picture with no
// rows or columns, or a size below 1, places nothing.
[[nodiscard]] SpritePlacement PlaceSpriteScaled(const SpritePicture& picture, Point anchor,
                                                bool mirrored, SpriteSize size);

// Draws a picture with its hot spot on `anchor` into `destination`, inside `clip`. Rows above
// the clip are decoded into a scratch row so that copy codes of the first visible row copy the
// last clipped row; the first row drawn copies from the scratch row too, where pixels that no
// row has set are transparent. Rows below the clip are not decoded, and each row stops at the
// clip's far edge. Fatal sites 511 and 518; on a fatal site the rows before the bad one stay
// drawn. An invalid destination view draws nothing.
FatalSite DrawSprite(std::span<const std::uint8_t> record, Point anchor,
                     const BitmapView& destination, Rect clip, bool mirrored);

// Draws a picture scaled to `size` through the row scaler, placed as PlaceSpriteScaled says.
// The rows are decoded in order (copy codes copy the previous picture row, transparency
// included); each output row is scaled from one of them, and transparent source pixels stay
// transparent. A malformed row stops the draw (fatal site 515) only when a shown row needs it or
// a later one; the rows before stay drawn. A size below 1 draws nothing. Fatal sites 511, 514
// (2048 columns or more) and 515. SpriteImage keeps the decoded rows for drawing again.
FatalSite DrawSpriteScaled(std::span<const std::uint8_t> record, Point anchor,
                           const BitmapView& destination, Rect clip, bool mirrored,
                           SpriteSize size);

// Whether the picture drawn at `anchor` (scaled to `size` when one is given, as DrawSpriteScaled
// places it) sets the pixel at `point`: the pixel is the picture's when drawing it over two
// different backgrounds leaves the same value there. This answers for exactly what the draw
// shows, mirrored and scaled pictures included. The draw's fatal sites.
[[nodiscard]] Expected<bool, FatalSite> SpriteCovers(std::span<const std::uint8_t> record,
                                                     Point anchor, bool mirrored,
                                                     const SpriteSize* size, Point point);

}  // namespace lw
