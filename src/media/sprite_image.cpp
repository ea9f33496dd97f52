#include "media/sprite_image.h"

#include <cstring>

#include "media/row_scaler.h"
#include "media/sprite_rows.h"
#include "shell/program_code.h"

namespace lw {

using sprite_rows::Area;
using sprite_rows::RowAt;
using sprite_rows::VisibleArea;

namespace {

// Bytes readable behind the last row's values, for shuffles that load 16 bytes at a time.
constexpr std::size_t kValuesPadding = 16;

// Paints the spans of one source row into an output row.
using RowPainter = void (*)(const RowScaler& scaler, std::span<const OpaqueSpan> spans,
                            const std::uint8_t* values, std::uint8_t* out);

void PaintRow(const RowScaler& scaler, std::span<const OpaqueSpan> spans,
              const std::uint8_t* values, std::uint8_t* out) {
  for (const OpaqueSpan& span : spans) {
    const auto [low, high] = scaler.Showing(span.begin, span.end);
    scaler.Paint(values, low, high, out);
  }
}

#if LW_ROW_SHUFFLES
[[gnu::target("ssse3")]] void PaintRowShuffled(const RowScaler& scaler,
                                               std::span<const OpaqueSpan> spans,
                                               const std::uint8_t* values, std::uint8_t* out) {
  for (const OpaqueSpan& span : spans) {
    const auto [low, high] = scaler.Showing(span.begin, span.end);
    scaler.PaintShuffled(values, low, high, out);
  }
}
#endif

RowPainter ChooseRowPainter() {
#if LW_ROW_SHUFFLES
  __builtin_cpu_init();
  if (__builtin_cpu_supports("ssse3")) return PaintRowShuffled;
#endif
  return PaintRow;
}

}  // namespace

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
  image->values_.resize(image->values_.size() + kValuesPadding);
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

  static const RowPainter paintRow = ChooseRowPainter();
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
    if (above == nullptr) {
      paintRow(scaler, image.spans(source), image.values(source), out);
    } else {
      for (const OpaqueSpan& span : image.spans(source)) {
        const auto [low, high] = scaler.Showing(span.begin, span.end);
        std::memcpy(out + low, above + low, static_cast<std::size_t>(high - low));
      }
    }
    previous = source;
  }
  return {};
}

}  // namespace lw
