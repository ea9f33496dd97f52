// What the sprite draws and the sprite decoder share: reading a picture's row codes one row at a
// time, decoding a row code, and the part of a placed picture that a draw may write. The row
// code is laid out in sprite.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/byte_io.h"
#include "media/sprite.h"

namespace lw::sprite_rows {

// Kinds of row code op bytes (the low two bits); the count is in the upper six.
enum RowKind : std::uint8_t { kCopyAbove = 0, kSkip = 1, kRun = 2, kLiteral = 3 };
inline constexpr unsigned kCountShift = 2;
inline constexpr std::uint8_t kKindMask = 3;

// A rectangle in 32-bit destination coordinates, bottom and right exclusive.
struct Area {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t bottom = 0;
  std::int32_t right = 0;

  [[nodiscard]] bool empty() const { return bottom <= top || right <= left; }
};

// The part of a placed picture that may be written: inside the clip and inside the bitmap.
inline Area VisibleArea(const SpritePlacement& place, const BitmapView& destination, Rect clip) {
  if (!destination.valid()) return {};
  return {std::max({place.top, std::int32_t{clip.top}, std::int32_t{0}}),
          std::max({place.left, std::int32_t{clip.left}, std::int32_t{0}}),
          std::min({place.top + place.rows, std::int32_t{clip.bottom}, destination.height}),
          std::min({place.left + place.columns, std::int32_t{clip.right}, destination.width})};
}

inline std::uint8_t* RowAt(const BitmapView& destination, std::int32_t row) {
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

}  // namespace lw::sprite_rows
