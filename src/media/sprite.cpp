#include "media/sprite.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/byte_io.h"
#include "media/row_scaler.h"
#include "shell/program_code.h"

namespace lw {
namespace {

// Kinds of row code op bytes (the low two bits); the count is in the upper six.
enum RowKind : std::uint8_t { kCopyAbove = 0, kSkip = 1, kRun = 2, kLiteral = 3 };
constexpr unsigned kCountShift = 2;
constexpr std::uint8_t kKindMask = 3;

FatalSite Fatal(std::int16_t site) { return {CodeNumber(ProgramCode::kLogic), site}; }

// A rectangle in 32-bit destination coordinates, bottom and right exclusive.
struct Area {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t bottom = 0;
  std::int32_t right = 0;

  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
};

// The part of a placed picture that may be written: inside the clip and inside the bitmap.
Area VisibleArea(const SpritePlacement& place, const BitmapView& destination, Rect clip) {
  if (!destination.valid()) return {};
  return {std::max({place.top, std::int32_t{clip.top}, std::int32_t{0}}),
          std::max({place.left, std::int32_t{clip.left}, std::int32_t{0}}),
          std::min({place.top + place.rows, std::int32_t{clip.bottom}, destination.height}),
          std::min({place.left + place.columns, std::int32_t{clip.right}, destination.width})};
}

std::uint8_t* RowAt(const BitmapView& destination, std::int32_t row) {
  return destination.memory.data() + destination.offsetOf(row, 0);
}

// Hands out a picture's rows one after another, each bounded by the record.
class RowReader {
 public:
  explicit RowReader(std::span<const std::uint8_t> rowData) : reader_(rowData) {}

  // The next row's code; false when the record ends inside it or its length is negative.
  bool Next(std::span<const std::uint8_t>& code) {
    const std::int16_t length = reader_.i16();
    if (length < 0) return false;
    code = reader_.bytes(static_cast<std::size_t>(length));
    return !reader_.failed();
  }

 private:
  ByteReader reader_;
};

// Decodes one row code over picture columns [0, end) into `sink`. False when the code is
// malformed: it ends before `end`, a count runs past the width, or value bytes run past the row.
template <typename Sink>
bool WalkRow(std::span<const std::uint8_t> code, std::int32_t width, std::int32_t end, Sink& sink) {
  std::size_t pos = 0;
  std::int32_t column = 0;
  while (column < end) {
    if (pos == code.size()) return false;
    const std::uint8_t op = code[pos++];
    const std::int32_t count = op >> kCountShift;
    if (count > width - column) return false;
    switch (op & kKindMask) {
      case kCopyAbove: sink.CopyAbove(column, count); break;
      case kSkip: sink.Skip(column, count); break;
      case kRun:
        if (pos == code.size()) return false;
        sink.Fill(column, count, code[pos++]);
        break;
      default:  // kLiteral
        if (static_cast<std::size_t>(count) > code.size() - pos) return false;
        sink.Copy(column, count, code.data() + pos);
        pos += static_cast<std::size_t>(count);
        break;
    }
    column += count;
  }
  return true;
}

// A picture row decoded off the destination: a value and an opaque flag per picture column.
struct ScratchRow {
  std::array<std::uint8_t, kMaxSpriteWidth> values;
  std::array<std::uint8_t, kMaxSpriteWidth> opaque;
};

// Decodes rows into the scratch row, which always holds the previous row: a copy code keeps its
// pixels (transparency included), a skip makes pixels transparent.
class ScratchSink {
 public:
  ScratchSink(ScratchRow& row, std::int32_t width) : row_(row) {
    std::memset(row_.opaque.data(), 0, static_cast<std::size_t>(width));
  }

  void CopyAbove(std::int32_t, std::int32_t) {}
  void Skip(std::int32_t column, std::int32_t count) {
    std::memset(row_.opaque.data() + column, 0, static_cast<std::size_t>(count));
  }
  void Fill(std::int32_t column, std::int32_t count, std::uint8_t value) {
    std::memset(row_.values.data() + column, value, static_cast<std::size_t>(count));
    std::memset(row_.opaque.data() + column, 1, static_cast<std::size_t>(count));
  }
  void Copy(std::int32_t column, std::int32_t count, const std::uint8_t* source) {
    std::memcpy(row_.values.data() + column, source, static_cast<std::size_t>(count));
    std::memset(row_.opaque.data() + column, 1, static_cast<std::size_t>(count));
  }

 private:
  ScratchRow& row_;
};

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
  auto picture = ReadSpritePicture(record);
  if (!picture.ok()) return picture.error();
  const SpritePlacement place = PlaceSpriteScaled(*picture, anchor, mirrored, size);
  const Area area = VisibleArea(place, destination, clip);
  if (area.empty()) return {};

  const std::int32_t width = picture->width;
  const RowScaler scaler(width, size.columns, area.left - place.left, area.right - place.left,
                         mirrored);
  LineStepper lines(picture->rows, size.rows, area.top - place.top);
  ScratchRow scratch;
  ScratchSink sink(scratch, width);
  RowReader rows(picture->rowData);
  std::int32_t decoded = 0;  // source rows decoded so far; the scratch row holds the last
  for (std::int32_t y = area.top; y < area.bottom; ++y, lines.Next()) {
    for (; decoded <= lines.source(); ++decoded) {
      std::span<const std::uint8_t> code;
      if (!rows.Next(code) || !WalkRow(code, width, width, sink)) {
        return Fatal(kSiteScaledDrawRows);
      }
    }
    scaler.ScaleRow(scratch.values.data(), scratch.opaque.data(),
                    RowAt(destination, y) + area.left);
  }
  return {};
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
