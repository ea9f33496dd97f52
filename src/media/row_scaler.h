// The row scaler of the stage view: pictures drawn at a distance are shrunk or grown by picking,
// for every output pixel, one source pixel, and for every output row one source row.
//
// Output pixel i of an output of D pixels made from a source of S pixels shows source pixel
// i x S / D, rounded down. Where D is a whole multiple k (1 .. 16) of S this is every source
// pixel repeated k times, and the scaler fills runs of k bytes; otherwise an integer error term
// steps through the source in proportion (Bresenham stepping), repeating or skipping pixels.
// The same stepping, one output row at a time, picks the source rows. A hit test that maps a
// point back with the same division therefore finds exactly the pixel that was drawn there.
#pragma once

#include <array>
#include <cstdint>

namespace lw {

inline constexpr std::int32_t kMaxScaledLength = 2048;  // scaled rows are shorter than this
inline constexpr std::int32_t kMaxRepeat = 16;          // largest multiple drawn by repetition

// Walks output lines one at a time from a first line and gives the source line each one shows,
// i x sourceLength / outputLength, without a division per line.
class LineStepper {
 public:
  // Requires sourceLength >= 0, outputLength >= 1 and first >= 0.
  LineStepper(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first);

  [[nodiscard]] std::int32_t source() const { return source_; }

  // Moves to the next output line.
  void Next() {
    source_ += whole_;
    error_ += fraction_;
    if (error_ >= output_) {
      error_ -= output_;
      ++source_;
    }
  }

 private:
  std::int32_t output_;
  std::int32_t whole_;     // source lines passed per output line, whole part
  std::int32_t fraction_;  // and the remainder, in units of 1 / output_
  std::int32_t source_;
  std::int32_t error_;
};

// The horizontal stepping of one scaled drawing, planned once for the visible output columns
// [first, end) and applied to every row. Mirrored, output column i shows what output column
// D - 1 - i would show unmirrored.
class RowScaler {
 public:
  // Requires 1 <= sourceLength, 1 <= outputLength < kMaxScaledLength and
  // 0 <= first <= end <= outputLength.
  RowScaler(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first,
            std::int32_t end, bool mirrored);

  // The source pixel that output column `output` (first <= output < end) shows.
  [[nodiscard]] std::int32_t SourceOf(std::int32_t output) const;

  // Scales one source row (values and an opaque flag per source pixel) into out[0 .. end-first):
  // output pixels whose source pixel is transparent are left as they are.
  void ScaleRow(const std::uint8_t* values, const std::uint8_t* opaque, std::uint8_t* out) const;

 private:
  void ScaleRepeated(const std::uint8_t* values, const std::uint8_t* opaque,
                     std::uint8_t* out) const;

  std::int32_t output_;
  std::int32_t first_;
  std::int32_t end_;
  bool mirrored_;
  std::int32_t repeat_;  // the whole multiple k, or 0 when the stepping is proportional
  // Proportional stepping only: source pixel of output column first + i.
  std::array<std::uint16_t, kMaxScaledLength> map_;
};

}  // namespace lw
