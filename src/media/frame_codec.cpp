// Frame decoding. The record's fields and the bitmap's rows are checked once per row and once
// per sub-operation; inside a run the work is memcpy, memset or a tight delta loop.
#include "media/frame_codec.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/byte_io.h"
#include "media/bit_reader.h"

namespace lw {
namespace {

using namespace frame_format;

// The row distance of neighbour `index` (0 .. 7) of a family: -4 .. -1, then +1 .. +4.
constexpr int NeighbourDistance(int index) {
  return index < kReach ? index - kReach : index - kReach + 1;
}

constexpr std::uint8_t kKindMask = (1u << kKindBits) - 1;

constexpr std::size_t kUnitBytes = 4;  // the largest unit a copy reads before it writes
constexpr std::size_t kHalfUnit = 2;

// Sub-operations move at most 287 bytes. Moves that short are done inline, in words of one
// fixed size with the last word overlapping the one before: for them a call to memcpy or memset
// costs more than the move itself (a 16-byte move takes 3 ns inline, 7 ns through memcpy on the
// machine this was measured on, and a 256-byte fill 6 ns against memset's 24).
constexpr std::size_t kBlockBytes = 16;
constexpr std::size_t kInlineMoveLast = 288;
constexpr std::size_t kPairBytes = 2 * kBlockBytes;  // the step of the inline loops
struct Block {
  std::uint8_t bytes[kBlockBytes];
};

// Copies n bytes, sizeof(Word) <= n <= 2 sizeof(Word), between blocks that do not overlap.
template <typename Word>
void CopyTwoWords(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
  Word head;
  Word tail;
  std::memcpy(&head, src, sizeof head);
  std::memcpy(&tail, src + n - sizeof tail, sizeof tail);
  std::memcpy(dst, &head, sizeof head);
  std::memcpy(dst + n - sizeof tail, &tail, sizeof tail);
}

// Copies n bytes between blocks that do not overlap.
void CopyBytes(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
  if (n > kInlineMoveLast) {
    std::memcpy(dst, src, n);
  } else if (n > kPairBytes) {
    for (std::size_t at = 0; at + kPairBytes < n; at += kPairBytes)
      std::memcpy(dst + at, src + at, kPairBytes);
    CopyTwoWords<Block>(dst + n - kPairBytes, src + n - kPairBytes, kPairBytes);
  } else if (n > kBlockBytes) {
    CopyTwoWords<Block>(dst, src, n);
  } else if (n >= sizeof(std::uint64_t)) {
    CopyTwoWords<std::uint64_t>(dst, src, n);
  } else if (n >= sizeof(std::uint32_t)) {
    CopyTwoWords<std::uint32_t>(dst, src, n);
  } else if (n >= sizeof(std::uint16_t)) {
    CopyTwoWords<std::uint16_t>(dst, src, n);
  } else if (n == 1) {
    dst[0] = src[0];
  }
}

// Stores blocks over dst[0 .. n), n >= 16: `block` from the start in steps of 16 bytes,
// `last` for the one or two blocks that end at n. For a fill both are the same; for a repeated
// word `last` is `block` rotated to the phase of the pattern at the end.
void StoreBlocks(std::uint8_t* dst, const Block& block, const Block& last, std::size_t n) {
  if (n <= kPairBytes) {
    std::memcpy(dst, &block, kBlockBytes);
    std::memcpy(dst + n - kBlockBytes, &last, kBlockBytes);
    return;
  }
  for (std::size_t at = 0; at + kPairBytes < n; at += kPairBytes) {
    std::memcpy(dst + at, &block, kBlockBytes);
    std::memcpy(dst + at + kBlockBytes, &block, kBlockBytes);
  }
  std::memcpy(dst + n - kPairBytes, &last, kBlockBytes);
  std::memcpy(dst + n - kBlockBytes, &last, kBlockBytes);
}

// Sets n bytes to `value`.
void FillBytes(std::uint8_t* dst, std::uint8_t value, std::size_t n) {
  if (n > kInlineMoveLast || n < sizeof(std::uint64_t)) {
    std::memset(dst, value, n);
    return;
  }
  Block block;
  std::memset(block.bytes, value, kBlockBytes);
  if (n < kBlockBytes) {
    std::memcpy(dst, block.bytes, sizeof(std::uint64_t));
    std::memcpy(dst + n - sizeof(std::uint64_t), block.bytes, sizeof(std::uint64_t));
    return;
  }
  StoreBlocks(dst, block, block, n);
}

constexpr std::uint64_t kTwice32 = 0x100000001;  // times a 32-bit value: it twice over

// Fills dst[0 .. count) with the bytes of `word` (in memory order) repeated.
inline void RepeatWord(std::uint8_t* dst, std::uint64_t word, std::size_t count) {
  Block block;
  std::memcpy(block.bytes, &word, sizeof word);
  std::memcpy(block.bytes + sizeof word, &word, sizeof word);
  if (count < kPairBytes) {
    std::size_t at = 0;
    for (; at + kBlockBytes <= count; at += kBlockBytes) std::memcpy(dst + at, &block, kBlockBytes);
    if (count - at >= sizeof word) {
      std::memcpy(dst + at, &word, sizeof word);
      at += sizeof word;
    }
    CopyBytes(dst + at, block.bytes, count - at);
    return;
  }
  // The last two blocks end at `count`: they start the pattern count % 8 bytes in.
  constexpr unsigned kByteBits = 8;
  const unsigned shift = static_cast<unsigned>(count % sizeof word) * kByteBits;
  const std::uint64_t rotated = std::endian::native == std::endian::little
                                    ? std::rotr(word, static_cast<int>(shift))
                                    : std::rotl(word, static_cast<int>(shift));
  Block last;
  std::memcpy(last.bytes, &rotated, sizeof rotated);
  std::memcpy(last.bytes + sizeof rotated, &rotated, sizeof rotated);
  StoreBlocks(dst, block, last, count);
}

// Copies `count` bytes one unit at a time (an odd byte, a 2-byte unit, then 4-byte units), each
// unit read whole before it is written. This is what defines an overlapping copy.
void CopyUnitByUnit(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  std::size_t at = 0;
  if (count & 1) {
    dst[0] = src[0];
    at = 1;
  }
  if (count & kHalfUnit) {
    std::uint8_t unit[kHalfUnit];
    std::memcpy(unit, src + at, kHalfUnit);
    std::memcpy(dst + at, unit, kHalfUnit);
    at += kHalfUnit;
  }
  for (; at < count; at += kUnitBytes) {
    std::uint8_t unit[kUnitBytes];
    std::memcpy(unit, src + at, kUnitBytes);
    std::memcpy(dst + at, unit, kUnitBytes);
  }
}

// Fills dst[0 .. count) with the pattern of the `period` bytes just before dst, repeated. A
// period of 8 is built in a register and stored (CopyOverlappingUnits does 4, the commonest);
// others are copied once, then the filled part doubles with every non-overlapping copy.
void RepeatPattern(std::uint8_t* dst, std::size_t period, std::size_t count) {
  if (period == sizeof(std::uint64_t)) {
    std::uint64_t pattern;
    std::memcpy(&pattern, dst - period, period);
    RepeatWord(dst, pattern, count);
    return;
  }
  CopyBytes(dst, dst - period, period);
  for (std::size_t filled = period; filled < count;) {
    std::size_t more = std::min(filled, count - filled);
    CopyBytes(dst + filled, dst, more);
    filled += more;
  }
}

// Copies `count` bytes from `src` to `dst`, blocks of one memory block that overlap and differ,
// with the unit semantics of CopyUnitByUnit, taking the fastest equivalent way:
// - src after dst: every unit reads bytes not yet written, as memmove does;
// - dst at least 4 after src: a unit reads only bytes already final, so each byte is the one
//   `distance` back and the result is that pattern repeated;
// - dst 1 .. 3 after src: units read bytes that later units overwrite; only unit by unit works.
void CopyOverlappingUnits(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  if (src > dst) {
    std::memmove(dst, src, count);
    return;
  }
  auto distance = static_cast<std::size_t>(dst - src);
  if (distance == sizeof(std::uint32_t)) {  // the period of ordered dithers
    std::uint32_t pattern;
    std::memcpy(&pattern, src, sizeof pattern);
    RepeatWord(dst, pattern * kTwice32, count);
    return;
  }
  if (distance >= kUnitBytes) {
    RepeatPattern(dst, distance, count);
    return;
  }
  CopyUnitByUnit(dst, src, count);
}

// Copies `count` bytes of one memory block from `src` to `dst` with the unit semantics of
// CopyUnitByUnit. Blocks that do not overlap, the common case, copy as memcpy does; a copy onto
// itself changes nothing.
inline void CopyUnits(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  if (src >= dst + count || dst >= src + count) {
    CopyBytes(dst, src, count);
  } else if (src != dst) {
    CopyOverlappingUnits(dst, src, count);
  }
}

// Whether every row of `dest` lies inside its memory. Unlike BitmapView::valid() this also holds
// the row starts of a zero-width bitmap to it, since the decoder addresses rows by pointer.
bool RowsFitMemory(const BitmapView& dest) {
  if (!dest.valid()) return false;
  if (dest.height == 0) return true;
  std::ptrdiff_t first = dest.offsetOf(0, 0);
  std::ptrdiff_t last = dest.offsetOf(dest.height - 1, 0);
  return std::min(first, last) >= 0 &&
         std::max(first, last) + dest.width <= static_cast<std::ptrdiff_t>(dest.memory.size());
}

// Four bytes as one word, in memory order; the delta groups add four pixels at a time.
std::uint32_t LoadWord(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}
void StoreWord(std::uint8_t* p, std::uint32_t word) { std::memcpy(p, &word, sizeof word); }

constexpr std::uint32_t kEveryByte = 0x01010101;  // times a byte: that byte in every lane
constexpr std::uint32_t kLow7Bits = 0x7F7F7F7F;

// Adds the four bytes of two words lane by lane, modulo 256 each, with no carry between lanes.
std::uint32_t AddBytes(std::uint32_t a, std::uint32_t b) {
  return ((a & kLow7Bits) + (b & kLow7Bits)) ^ ((a ^ b) & ~kLow7Bits);
}

using Fault = std::optional<FrameError>;

// Decodes the row operations of one frame whose header has been checked against the bitmap.
class FrameDecoder {
 public:
  FrameDecoder(std::span<const std::uint8_t> record, const BitmapView& dest, FrameSize size)
      : record_(record.data()),
        pos_(record.data() + kFrameHeaderSize),
        end_(record.data() + record.size()),
        memory_(dest.memory.data()),
        dest_(dest),
        rows_(size.rows),
        width_(size.width),
        evenWidth_(static_cast<std::size_t>(size.width) & ~std::size_t{1}) {}

  // Decodes rows 0 .. N-1 in order and gives the bytes used, or the first fault.
  Expected<std::size_t, FrameError> run() {
    for (int r = 0; r < rows_; ++r) {
      if (pos_ == end_) return Unexpected(FrameError::kTruncated);
      if (Fault fault = rowOperation(r, *pos_++)) return Unexpected(*fault);
    }
    return static_cast<std::size_t>(pos_ - record_);
  }

 private:
  [[nodiscard]] bool hasRow(int r) const { return r >= 0 && r < dest_.height; }
  [[nodiscard]] std::uint8_t* rowStart(int r) const { return memory_ + dest_.offsetOf(r, 0); }
  [[nodiscard]] std::size_t left() const { return static_cast<std::size_t>(end_ - pos_); }

  // Performs row operation `op` on row r.
  Fault rowOperation(int r, std::uint8_t op) {
    if (op == kOpLiteral) {
      if (left() < evenWidth_) return FrameError::kTruncated;
      std::memcpy(rowStart(r), pos_, evenWidth_);
      pos_ += evenWidth_;
      return {};
    }
    if (op == kOpUnchanged) return {};
    if (op % kOpStep != 0 || op < kOpDeltaFirst || op > kOpCopyLast) return FrameError::kBadRowOp;
    if (op < kOpUnchanged)
      return deltaRow(r, r + NeighbourDistance((op - kOpDeltaFirst) / kOpStep));
    int source = r + NeighbourDistance((op - kOpCopyFirst) / kOpStep);
    if (!hasRow(source)) return FrameError::kBadReferenceRow;
    CopyUnits(rowStart(r), rowStart(source), evenWidth_);
    return {};
  }

  // Rebuilds row r from sub-operations that must cover exactly W pixels. The reference row is
  // checked only by the kinds that read it.
  Fault deltaRow(int r, int referenceRow) {
    std::uint8_t* out = rowStart(r);
    const std::uint8_t* reference = hasRow(referenceRow) ? rowStart(referenceRow) : nullptr;
    int column = 0;
    while (column < width_) {
      if (pos_ == end_) return FrameError::kTruncated;
      std::uint8_t subOp = *pos_++;
      int count = subOp >> kKindBits;
      if (count == 0) {
        if (pos_ == end_) return FrameError::kTruncated;
        count = kLongCountBase + *pos_++;
      }
      if (count > width_ - column) return FrameError::kBadCount;
      if (Fault fault = subOperation(subOp & kKindMask, out, reference, column, count))
        return fault;
      column += count;
    }
    return {};
  }

  // Performs one sub-operation over pixels column .. column + count - 1.
  Fault subOperation(std::uint8_t kind, std::uint8_t* row, const std::uint8_t* reference,
                     int column, int count) {
    std::uint8_t* out = row + column;
    auto bytes = static_cast<std::size_t>(count);
    switch (kind) {
      case kHorizontalDeltas: return horizontalDeltas(out, count);
      case kVerticalDeltas:
        if (reference == nullptr) return FrameError::kBadReferenceRow;
        return verticalDeltas(out, reference + column, count);
      case kSkip: return {};
      case kCopyReference:
        if (reference == nullptr) return FrameError::kBadReferenceRow;
        CopyUnits(out, reference + column, bytes);
        return {};
      case kRepeatLeft:
        if (out == memory_) return FrameError::kBadCopySource;
        FillBytes(out, out[-1], bytes);
        return {};
      case kLiteralPixels:
        if (left() < bytes) return FrameError::kTruncated;
        CopyBytes(out, pos_, bytes);
        pos_ += bytes;
        return {};
      case kFill:
        if (pos_ == end_) return FrameError::kTruncated;
        FillBytes(out, *pos_++, bytes);
        return {};
      default: return copyBack(out, bytes);
    }
  }

  // Kind 0: a literal pixel, then count - 1 pixels each relative to its left neighbour.
  Fault horizontalDeltas(std::uint8_t* out, int count) {
    if (count < kMinHorizontalRun) return FrameError::kBadCount;
    if (pos_ == end_) return FrameError::kTruncated;
    std::uint8_t pixel = *pos_++;
    out[0] = pixel;
    DeltaBitReader bits(pos_, end_);
    for (int i = 1; i < count;) {
      if (count - i >= delta_code::kGroupSize) {
        if (const delta_code::Group* group = bits.nextGroup()) {
          StoreWord(out + i, AddBytes(pixel * kEveryByte, LoadWord(group->sums.data())));
          pixel = static_cast<std::uint8_t>(pixel + group->total);
          i += group->count;
          continue;
        }
      }
      std::uint8_t delta;
      if (!bits.next(delta)) return FrameError::kTruncated;
      pixel = static_cast<std::uint8_t>(pixel + delta);
      out[i++] = pixel;
    }
    pos_ += bits.bytesUsed();
    return {};
  }

  // Kind 1: each pixel relative to the reference pixel of its column. Groups read four
  // reference pixels before writing, so they need the reference at least that far away.
  Fault verticalDeltas(std::uint8_t* out, const std::uint8_t* reference, int count) {
    DeltaBitReader bits(pos_, end_);
    bool grouped = std::abs(reference - out) >= delta_code::kGroupSize;
    for (int i = 0; i < count;) {
      if (grouped && count - i >= delta_code::kGroupSize) {
        if (const delta_code::Group* group = bits.nextGroup()) {
          StoreWord(out + i, AddBytes(LoadWord(reference + i), LoadWord(group->deltas.data())));
          i += group->count;
          continue;
        }
      }
      std::uint8_t delta;
      if (!bits.next(delta)) return FrameError::kTruncated;
      out[i] = static_cast<std::uint8_t>(reference[i] + delta);
      ++i;
    }
    pos_ += bits.bytesUsed();
    return {};
  }

  // Kind 7: a copy from d bytes back in memory, which may overlap the bytes it writes.
  Fault copyBack(std::uint8_t* out, std::size_t count) {
    if (left() < sizeof(std::uint16_t)) return FrameError::kTruncated;
    std::size_t distance = LoadU16(pos_);
    pos_ += sizeof(std::uint16_t);
    if (distance > static_cast<std::size_t>(out - memory_)) return FrameError::kBadCopySource;
    CopyUnits(out, out - distance, count);
    return {};
  }

  const std::uint8_t* record_;
  const std::uint8_t* pos_;
  const std::uint8_t* end_;
  std::uint8_t* memory_;
  const BitmapView& dest_;
  int rows_;
  int width_;
  std::size_t evenWidth_;  // bytes of a literal or copied row: W, or W-1 when W is odd
};

}  // namespace

std::string_view FrameErrorText(FrameError error) {
  switch (error) {
    case FrameError::kBadDestination:
      return "the destination bitmap's rows do not lie inside its memory";
    case FrameError::kTruncated: return "the frame record ends early";
    case FrameError::kBadSize: return "the frame's row count or width does not fit the bitmap";
    case FrameError::kBadRowOp: return "unknown row operation";
    case FrameError::kBadCount:
      return "a delta row's counts overrun its width, or a horizontal run is too short";
    case FrameError::kBadReferenceRow: return "a reference row lies outside the bitmap";
    case FrameError::kBadCopySource:
      return "a copy source lies before the start of the bitmap's memory";
  }
  return "unknown frame error";
}

Expected<FrameSize, FrameError> ReadFrameSize(std::span<const std::uint8_t> record) {
  ByteReader reader(record);
  FrameSize size;
  size.rows = reader.i16();
  size.width = reader.i16();
  if (reader.failed()) return Unexpected(FrameError::kTruncated);
  if (size.rows > 0 && static_cast<std::size_t>(size.rows) > record.size() - kFrameHeaderSize)
    return Unexpected(FrameError::kTruncated);
  return size;
}

Expected<std::size_t, FrameError> DecodeFrame(std::span<const std::uint8_t> record,
                                              const BitmapView& dest) {
  if (!RowsFitMemory(dest)) return Unexpected(FrameError::kBadDestination);
  auto size = ReadFrameSize(record);
  if (!size) return Unexpected(size.error());
  if (size->rows < 0 || size->width < 0 || size->rows > dest.height || size->width > dest.width) {
    return Unexpected(FrameError::kBadSize);
  }
  return FrameDecoder(record, dest, *size).run();
}

}  // namespace lw
