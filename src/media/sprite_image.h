// A sprite picture decoded once for scaled drawing: each row's pixel values in full, after the
// copy codes have been followed, and the opaque spans of each row. The stage view draws its
// figures every frame, usually shrunk so that most picture rows are not shown at all; keeping the
// decoded form with the cached record spares decoding every row of every figure each frame, and
// the spans let a row be scaled without testing each pixel for transparency.
//
// A malformed row ends the decoding; the rows before it stay usable, and a draw that needs a row
// from there on stops with fatal site 515, exactly as drawing straight from the record does.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "common/expected.h"
#include "common/geometry.h"
#include "media/bitmap.h"
#include "media/fatal_site.h"
#include "media/record_cache.h"
#include "media/sprite.h"

namespace lw {

// Picture columns [begin, end) of one row, all opaque.
struct OpaqueSpan {
  std::uint16_t begin = 0;
  std::uint16_t end = 0;
};

class SpriteImage final : public DecodedForm {
 public:
  // Decodes a picture record: fatal site 511 when its header is bad; a malformed row only ends
  // the decoded rows.
  [[nodiscard]] static Expected<std::unique_ptr<SpriteImage>, FatalSite> Decode(
      std::span<const std::uint8_t> record);

  // The picture's header (its row data is not kept).
  [[nodiscard]] const SpritePicture& header() const { return header_; }
  // Rows 0 .. decodedRows() - 1 were decoded; the record is malformed at the next one when it
  // is below the header's row count.
  [[nodiscard]] std::int32_t decodedRows() const {
    return static_cast<std::int32_t>(rowSpans_.size()) - 1;
  }
  // Row `row`'s values, one per picture column (meaningful only inside its spans).
  [[nodiscard]] const std::uint8_t* values(std::int32_t row) const {
    return values_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(header_.width);
  }
  [[nodiscard]] std::span<const OpaqueSpan> spans(std::int32_t row) const {
    const auto at = static_cast<std::size_t>(row);
    return std::span(spans_).subspan(rowSpans_[at], rowSpans_[at + 1] - rowSpans_[at]);
  }

 private:
  SpritePicture header_;
  std::vector<std::uint8_t> values_;      // decoded rows x width, then 16 bytes of padding
  std::vector<OpaqueSpan> spans_;         // every decoded row's, in row order
  std::vector<std::size_t> rowSpans_{0};  // row r's spans are [rowSpans_[r], rowSpans_[r + 1])
};

// Draws a decoded picture scaled to `size`, as DrawSpriteScaled draws its record (the same
// placement, pixels and fatal sites 514 and 515).
FatalSite DrawSpriteImageScaled(const SpriteImage& image, Point anchor,
                                const BitmapView& destination, Rect clip, bool mirrored,
                                SpriteSize size);

}  // namespace lw
