#include "media/sprite_image.h"

#include <cstring>

#include "media/row_scaler.h"
#include "media/sprite_rows.h"
#include "shell/program_code.h"

namespace lw {

using sprite_rows::Area;
using sprite_rows::RowAt;
using sprite_rows::VisibleArea;

Expected<std::unique_ptr<SpriteImage>, FatalSite> SpriteImage::Decode(
    std::span<const std::uint8_t> record) {
  auto header = ReadSpritePicture(record);
  if (!header.ok()) return Unexpected{header.error()};
  auto image = std::make_unique<SpriteImage>();
  image->header_ = *header;
  image->header_.rowData = {};
  const std::int32_t width = header->width;
  sprite_rows::ScratchRow scratch;
  sprite_rows::ScratchSink sink(scratch, width);
  sprite_rows::RowReader rows(header->rowData);
  for (std::int32_t row = 0; row < header->rows; ++row) {
    std::span<const std::uint8_t> code;
    if (!rows.Next(code) || !sprite_rows::WalkRow(code, width, width, sink)) break;
    image->values_.insert(image->values_.end(), scratch.values.begin(),
                          scratch.values.begin() + width);
    for (std::int32_t column = 0; column < width;) {
      if (scratch.opaque[static_cast<std::size_t>(column)] == 0) {
        ++column;
        continue;
      }
      const std::int32_t begin = column;
      while (column < width && scratch.opaque[static_cast<std::size_t>(column)] != 0) ++column;
      image->spans_.push_back(
          {static_cast<std::uint16_t>(begin), static_cast<std::uint16_t>(column)});
    }
    image->rowSpans_.push_back(image->spans_.size());
  }
  return image;
}

FatalSite DrawSpriteImageScaled(const SpriteImage& image, Point anchor,
                                const BitmapView& destination, Rect clip, bool mirrored,
                                SpriteSize size) {
  if (size.rows < 1 || size.columns < 1) return {};
  if (size.columns >= kMaxScaledLength) {
    return {CodeNumber(ProgramCode::kLogic), kSiteScaledDrawWidth};
  }
  const SpritePicture& picture = image.header();
  const SpritePlacement place = PlaceSpriteScaled(picture, anchor, mirrored, size);
  const Area area = VisibleArea(place, destination, clip);
  if (area.empty()) return {};

  const RowScaler scaler(picture.width, size.columns, area.left - place.left,
                         area.right - place.left, mirrored);
  LineStepper lines(picture.rows, size.rows, area.top - place.top);
  std::int32_t previous = -1;  // the source row of the output row above
  for (std::int32_t y = area.top; y < area.bottom; ++y, lines.Next()) {
    const std::int32_t source = lines.source();
    if (source >= image.decodedRows()) {
      return {CodeNumber(ProgramCode::kLogic), kSiteScaledDrawRows};
    }
    std::uint8_t* out = RowAt(destination, y) + area.left;
    // A grown picture shows a source row on several output rows: the row just drawn above
    // holds its pixels already, at the same columns.
    const std::uint8_t* above =
        source == previous ? RowAt(destination, y - 1) + area.left : nullptr;
    for (const OpaqueSpan& span : image.spans(source)) {
      const auto [low, high] = scaler.Showing(span.begin, span.end);
      if (above != nullptr) {
        std::memcpy(out + low, above + low, static_cast<std::size_t>(high - low));
      } else {
        scaler.Paint(image.values(source), low, high, out);
      }
    }
    previous = source;
  }
  return {};
}

}  // namespace lw
