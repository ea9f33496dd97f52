#include "media/sprite.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "media/row_scaler.h"
#include "media/sprite_image.h"
#include "media/sprite_rows.h"
#include "shell/program_code.h"

namespace lw {
namespace {

using sprite_rows::Area;
using sprite_rows::RowAt;
using sprite_rows::RowReader;
using sprite_rows::ScratchRow;
using sprite_rows::ScratchSink;
using sprite_rows::VisibleArea;
using sprite_rows::WalkRow;

FatalSite Fatal(std::int16_t site) { return {CodeNumber(ProgramCode::kLogic), site}; }

// Writes visible rows straight into the destination. Only picture columns [first, end) are
// written; they are the ones inside the visible area. Copy codes read the destination row above,
// or the scratch row for the first row drawn.
class DestinationSink {
 public:
  DestinationSink(const SpritePlacement& place, const Area& area, bool mirrored,
                  const ScratchRow& scratch)
      : scratch_(scratch), mirrored_(mirrored) {
    if (mirrored) {
      origin_ = place.left + place.columns - 1;
      first_ = origin_ + 1 - area.right;
      end_ = origin_ + 1 - area.left;
    } else {
      origin_ = place.left;
      first_ = area.left - place.left;
      end_ = area.right - place.left;
    }
  }

  [[nodiscard]] std::int32_t end() const { return end_; }

  // Points the sink at destination row `row`; `above` is null for the first row drawn.
  void SetRow(std::uint8_t* row, const std::uint8_t* above) {
    row_ = row;
    above_ = above;
  }

  void CopyAbove(std::int32_t column, std::int32_t count) {
    const auto [a, b] = Visible(column, count);
    if (a >= b) return;
    if (above_ != nullptr) {
      std::memmove(row_ + Low(a, b), above_ + Low(a, b), static_cast<std::size_t>(b - a));
      return;
    }
    for (std::int32_t i = a; i < b; ++i) {
      if (scratch_.opaque[static_cast<std::size_t>(i)] != 0) {
        row_[At(i)] = scratch_.values[static_cast<std::size_t>(i)];
      }
    }
  }
  void Skip(std::int32_t, std::int32_t) {}
  void Fill(std::int32_t column, std::int32_t count, std::uint8_t value) {
    const auto [a, b] = Visible(column, count);
    if (a < b) std::memset(row_ + Low(a, b), value, static_cast<std::size_t>(b - a));
  }
  void Copy(std::int32_t column, std::int32_t count, const std::uint8_t* source) {
    const auto [a, b] = Visible(column, count);
    if (a >= b) return;
    if (!mirrored_) {
      std::memcpy(row_ + Low(a, b), source + (a - column), static_cast<std::size_t>(b - a));
      return;
    }
    for (std::int32_t i = a; i < b; ++i) row_[At(i)] = source[i - column];
  }

 private:
  struct Span {
    std::int32_t a;
    std::int32_t b;
  };
  // Picture columns [column, column + count) cut to the visible ones.
  [[nodiscard]] Span Visible(std::int32_t column, std::int32_t count) const {
    return {std::max(column, first_), std::min(column + count, end_)};
  }
  // Destination column of picture column `column`.
  [[nodiscard]] std::int32_t At(std::int32_t column) const {
    return mirrored_ ? origin_ - column : origin_ + column;
  }
  // Leftmost destination column of the picture columns [a, b).
  [[nodiscard]] std::int32_t Low(std::int32_t a, std::int32_t b) const {
    return mirrored_ ? origin_ - (b - 1) : origin_ + a;
  }

  const ScratchRow& scratch_;
  bool mirrored_;
  std::int32_t origin_ = 0;  // destination column of picture column 0
  std::int32_t first_ = 0;
  std::int32_t end_ = 0;
  std::uint8_t* row_ = nullptr;
  const std::uint8_t* above_ = nullptr;
};

// The hot spot's distance from the left edge as placed: from the right edge when mirrored.
std::int32_t PlacedHotH(const SpritePicture& picture, bool mirrored) {
  return mirrored ? picture.width - picture.hotH : picture.hotH;
}

}  // namespace

Expected<SpritePicture, FatalSite> ReadSpritePicture(std::span<const std::uint8_t> record) {
  ByteReader reader(record);
  SpritePicture picture;
  picture.rows = reader.i16();
  picture.width = reader.i16();
  picture.hotV = reader.i16();
  picture.hotH = reader.i16();
  if (reader.failed() || picture.rows < 0 || picture.width < 0 || picture.width > kMaxSpriteWidth) {
    return Unexpected(Fatal(kSiteSpriteHeader));
  }
  picture.rowData = record.subspan(kSpriteHeaderSize);
  return picture;
}

SpritePlacement PlaceSprite(const SpritePicture& picture, Point anchor, bool mirrored) {
  return {anchor.v - picture.hotV, anchor.h - PlacedHotH(picture, mirrored), picture.rows,
          picture.width};
}

SpritePlacement PlaceSpriteScaled(const SpritePicture& picture, Point anchor, bool mirrored,
                                  SpriteSize size) {
  if (picture.rows < 1 || picture.width < 1 || size.rows < 1 || size.columns < 1) {
    return {anchor.v, anchor.h, 0, 0};
  }
  return {anchor.v - picture.hotV * size.rows / picture.rows,
          anchor.h - PlacedHotH(picture, mirrored) * size.columns / picture.width, size.rows,
          size.columns};
}

FatalSite DrawSprite(std::span<const std::uint8_t> record, Point anchor,
                     const BitmapView& destination, Rect clip, bool mirrored) {
  auto picture = ReadSpritePicture(record);
  if (!picture.ok()) return picture.error();
  const SpritePlacement place = PlaceSprite(*picture, anchor, mirrored);
  const Area area = VisibleArea(place, destination, clip);
  if (area.empty()) return {};

  const std::int32_t width = picture->width;
  ScratchRow scratch;
  ScratchSink hidden(scratch, width);
  DestinationSink shown(place, area, mirrored, scratch);
  RowReader rows(picture->rowData);
  for (std::int32_t y = place.top; y < area.bottom; ++y) {
    std::span<const std::uint8_t> code;
    if (!rows.Next(code)) return Fatal(kSiteDrawRows);
    if (y < area.top) {
      if (!WalkRow(code, width, width, hidden)) return Fatal(kSiteDrawRows);
      continue;
    }
    shown.SetRow(RowAt(destination, y), y == area.top ? nullptr : RowAt(destination, y - 1));
    if (!WalkRow(code, width, shown.end(), shown)) return Fatal(kSiteDrawRows);
  }
  return {};
}

FatalSite DrawSpriteScaled(std::span<const std::uint8_t> record, Point anchor,
                           const BitmapView& destination, Rect clip, bool mirrored,
                           SpriteSize size) {
  if (size.rows < 1 || size.columns < 1) return {};
  if (size.columns >= kMaxScaledLength) return Fatal(kSiteScaledDrawWidth);
  auto image = SpriteImage::Decode(record);
  if (!image.ok()) return image.error();
  return DrawSpriteImageScaled(**image, anchor, destination, clip, mirrored, size);
}

Expected<bool, FatalSite> SpriteCovers(std::span<const std::uint8_t> record, Point anchor,
                                       bool mirrored, const SpriteSize* size, Point point) {
  // A one-pixel destination at the point: the picture moves so that the point lands on it.
  std::array<std::uint8_t, 1> pixel{};
  const BitmapView destination{.memory = pixel, .row0 = 0, .stride = 1, .width = 1, .height = 1};
  const Point shifted = PointAt(anchor.v - point.v, anchor.h - point.h);
  const Rect clip{0, 0, 1, 1};
  constexpr std::array<std::uint8_t, 2> kBackgrounds = {0x00, 0xFF};
  std::array<std::uint8_t, 2> drawn{};
  for (std::size_t i = 0; i < kBackgrounds.size(); ++i) {
    pixel[0] = kBackgrounds[i];
    const FatalSite site =
        size != nullptr ? DrawSpriteScaled(record, shifted, destination, clip, mirrored, *size)
                        : DrawSprite(record, shifted, destination, clip, mirrored);
    if (site.failed()) return Unexpected{site};
    drawn[i] = pixel[0];
  }
  return drawn[0] == drawn[1];
}

}  // namespace lw
