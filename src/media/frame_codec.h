// Frame records: the compressed form of movie frames and stage background pictures. A frame
// rewrites rows of an 8-bit bitmap in place, as a difference against what the bitmap already
// holds (the previous frame of a movie, or whatever a picture is drawn over); a key frame is a
// frame whose rows are all literal.
//
// Frame record, little-endian:
//   OFFSET  SIZE   DESCRIPTION
//   0       i16    row count N: the frame covers rows 0 .. N-1
//   2       i16    row width W in bytes: the frame covers pixels 0 .. W-1 of each row
//   4       ...    N row operations, one after another
//   after   ...    whatever the caller stores behind the frame (DecodeFrame says where it starts)
//
// Row operation: one op byte, then its data. Row r+k is the row k strides away from row r, so
// with a negative stride r-1 is the next row up in memory order, not in screen order.
//   OP           DATA          ROW r BECOMES
//   4            W' bytes      those bytes (W' = W rounded down to even)
//   8..20 by 4   sub-ops       a delta row against reference row r-4, r-3, r-2, r-1
//   24..36 by 4  sub-ops       a delta row against reference row r+1, r+2, r+3, r+4
//   40           none          unchanged
//   44..56 by 4  none          a copy of the first W' bytes of row r-4, r-3, r-2, r-1
//   60..72 by 4  none          a copy of the first W' bytes of row r+1, r+2, r+3, r+4
// Rows are rebuilt in order 0 .. N-1, so a row above is already new and a row below still
// holds what the bitmap held before this frame. A reference row outside the bitmap is an error
// only when a sub-operation reads it (kinds 1 and 3); a source row outside it always is.
//
// Delta row: sub-operations that together cover exactly W pixels from column 0. Each starts
// with a sub-op byte b: kind = b & 7, count c = b >> 3, except that b >> 3 = 0 means the next
// byte holds c - 32 (c is 1 .. 31 in the sub-op byte, 32 .. 287 with the extra byte). The
// reference position moves along with the output: at column x it is column x of the reference.
//   KIND  DATA AFTER THE COUNT        THE NEXT c PIXELS
//   0     u8 literal, bit run (c-1)   horizontal deltas: a literal, then each pixel is its left
//                                     neighbour plus a code (c must be at least 2)
//   1     bit run (c)                 vertical deltas: the reference pixel plus a code
//   2     none                        skipped (left as they are)
//   3     none                        copied from the reference row
//   4     none                        the byte just before the output position, repeated
//   5     c bytes                     those bytes
//   6     u8 value                    filled with the value
//   7     u16 d                       copied from d bytes before the output position, counted in
//                                     memory (across rows if need be)
// Copies (kinds 3, 5, 7, row copies) and fills (4, 6) move their bytes in units: one byte if c
// is odd, then one 2-byte unit if bit 1 of c is set, then c >> 2 units of 4 bytes, each unit
// read whole before it is written. That fixes the result of a kind 7 copy with d below 4: with
// d = 1 and c = 4 the four bytes from one byte back are read first, so the run does not
// degenerate into a repeated byte.
//
// Bit run: codes read most significant bit first from consecutive bytes, one per pixel, all
// arithmetic modulo 256. The next sub-op byte is the first byte after the last byte holding
// bits of the run (unused low bits of that byte are padding).
//   CODE                      PIXEL
//   1                         base + 0
//   (k zeros) 1 s, k = 1..7   base + k when s = 1, base - k when s = 0
//   8 zeros, then 8 bits v    base + v
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/expected.h"
#include "media/bitmap.h"

namespace lw {

inline constexpr std::size_t kFrameHeaderSize = 4;

// The codes of frame records, shared by the decoder and the encoder of titlekit.
namespace frame_format {
// Row op bytes come in steps of 4; the delta and copy families each name eight neighbour rows,
// numbered 0 .. 7 for rows r-4 .. r-1, r+1 .. r+4.
inline constexpr std::uint8_t kOpStep = 4;
inline constexpr std::uint8_t kOpLiteral = 4;
inline constexpr std::uint8_t kOpDeltaFirst = 8;
inline constexpr std::uint8_t kOpUnchanged = 40;
inline constexpr std::uint8_t kOpCopyFirst = 44;
inline constexpr std::uint8_t kOpCopyLast = 72;
inline constexpr int kReach = 4;

// Sub-op byte: kind in the low bits, count above; count 0 there means a count byte follows.
inline constexpr int kKindBits = 3;
inline constexpr int kLongCountBase = 32;
inline constexpr int kMinHorizontalRun = 2;

enum SubOpKind : std::uint8_t {
  kHorizontalDeltas = 0,
  kVerticalDeltas = 1,
  kSkip = 2,
  kCopyReference = 3,
  kRepeatLeft = 4,
  kLiteralPixels = 5,
  kFill = 6,
  kCopyBack = 7,
};
}  // namespace frame_format

// Why a frame was rejected. Decoding stops at the first fault; the rows before it, and the part
// of the current row before the fault, keep their new pixels. A bit run cut off by the end of the
// record leaves the rest of its pixels unspecified (the decoder writes small deltas four at a
// time).
enum class FrameError : std::uint8_t {
  kBadDestination,   // the bitmap's rows do not lie inside its memory
  kTruncated,        // the record ends before the frame does (also inside a bit run), or
                     // has fewer bytes than its row count needs
  kBadSize,          // N or W negative or larger than the bitmap
  kBadRowOp,         // an op byte that is not a row operation
  kBadCount,         // sub-op counts overrun W, or a horizontal run shorter than 2 pixels
  kBadReferenceRow,  // a reference or source row outside rows 0 .. height-1
  kBadCopySource,    // a kind 7 copy or kind 4 repeat reaching before the start of memory
};

// A one-line description of `error`, for reports.
[[nodiscard]] std::string_view FrameErrorText(FrameError error);

// The two header fields of a frame record.
struct FrameSize {
  std::int16_t rows = 0;
  std::int16_t width = 0;
};

// Reads the header of a frame record: kTruncated when the record is shorter than the header, or
// too short for its row count. Every row operation takes at least its op byte, so a record of B
// bytes describes at most B - 4 rows; callers may size a picture by the header once it is read.
[[nodiscard]] Expected<FrameSize, FrameError> ReadFrameSize(std::span<const std::uint8_t> record);

// Decodes the frame in `record` into `dest`, in place, and gives the number of bytes of the
// record the frame used (header included), so that a caller can find data stored behind it.
// Never reads outside `record` or touches bytes outside `dest.memory`. It writes only pixels
// 0 .. W-1 of rows 0 .. N-1, but kind 7 copies and kind 4 repeats may read bytes of memory
// outside the bitmap's rows (slack or padding between rows).
[[nodiscard]] Expected<std::size_t, FrameError> DecodeFrame(std::span<const std::uint8_t> record,
                                                            const BitmapView& dest);

}  // namespace lw
