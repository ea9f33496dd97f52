#include "media/row_scaler.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace lw {
namespace {

// Paints one source pixel over `length` output pixels, unless it is transparent.
void PaintRun(const std::uint8_t* values, const std::uint8_t* opaque, std::int32_t source,
              std::uint8_t* out, std::int32_t length) {
  if (opaque[source] != 0) std::memset(out, values[source], static_cast<std::size_t>(length));
}

// Paints `count` whole runs of K pixels from consecutive source pixels (stepping by `step`). K is
// a constant so that each run compiles to a few plain stores.
template <std::int32_t K>
void PaintWholeRuns(const std::uint8_t* values, const std::uint8_t* opaque, std::int32_t source,
                    std::int32_t step, std::int32_t count, std::uint8_t* out) {
  for (std::int32_t n = 0; n < count; ++n, source += step, out += K) {
    if (opaque[source] != 0) std::memset(out, values[source], K);
  }
}

using WholeRunPainter = void (*)(const std::uint8_t*, const std::uint8_t*, std::int32_t,
                                 std::int32_t, std::int32_t, std::uint8_t*);

// The painter for each multiple 0 .. kMaxRepeat (entry 0 unused).
template <std::size_t... K>
constexpr std::array<WholeRunPainter, sizeof...(K)> MakePainters(std::index_sequence<K...>) {
  return {(K == 0 ? nullptr : &PaintWholeRuns<static_cast<std::int32_t>(K)>)...};
}
constexpr auto kWholeRunPainters = MakePainters(std::make_index_sequence<kMaxRepeat + 1>());

}  // namespace

LineStepper::LineStepper(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first)
    : output_(outputLength),
      whole_(sourceLength / outputLength),
      fraction_(sourceLength % outputLength) {
  assert(sourceLength >= 0 && outputLength >= 1 && first >= 0);
  const std::int64_t start = static_cast<std::int64_t>(first) * sourceLength;
  source_ = static_cast<std::int32_t>(start / outputLength);
  error_ = static_cast<std::int32_t>(start % outputLength);
}

RowScaler::RowScaler(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first,
                     std::int32_t end, bool mirrored)
    : output_(outputLength), first_(first), end_(end), mirrored_(mirrored), repeat_(0) {
  assert(sourceLength >= 1 && outputLength >= 1 && outputLength < kMaxScaledLength);
  assert(0 <= first && first <= end && end <= outputLength);
  if (outputLength % sourceLength == 0 && outputLength / sourceLength <= kMaxRepeat) {
    repeat_ = outputLength / sourceLength;
    return;
  }
  // Step through the unmirrored columns that the visible span shows, in increasing order.
  const std::int32_t low = mirrored ? outputLength - end : first;
  LineStepper step(sourceLength, outputLength, low);
  for (std::int32_t column = low; column < low + (end - first); ++column, step.Next()) {
    const std::int32_t slot = mirrored ? outputLength - 1 - column - first : column - first;
    map_[static_cast<std::size_t>(slot)] = static_cast<std::uint16_t>(step.source());
  }
}

std::int32_t RowScaler::SourceOf(std::int32_t output) const {
  assert(output >= first_ && output < end_);
  if (repeat_ == 0) return map_[static_cast<std::size_t>(output - first_)];
  return (mirrored_ ? output_ - 1 - output : output) / repeat_;
}

void RowScaler::ScaleRow(const std::uint8_t* values, const std::uint8_t* opaque,
                         std::uint8_t* out) const {
  if (first_ == end_) return;
  if (repeat_ != 0) {
    ScaleRepeated(values, opaque, out);
    return;
  }
  const std::int32_t count = end_ - first_;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint16_t source = map_[static_cast<std::size_t>(i)];
    if (opaque[source] != 0) out[i] = values[source];
  }
}

// Whole multiples: each source pixel becomes one run of repeat_ output pixels. The span may cut
// the first and the last run; the whole runs between them go to the painter for repeat_.
void RowScaler::ScaleRepeated(const std::uint8_t* values, const std::uint8_t* opaque,
                              std::uint8_t* out) const {
  const std::int32_t step = mirrored_ ? -1 : 1;
  std::int32_t source = (mirrored_ ? output_ - 1 - first_ : first_) / repeat_;
  const std::int32_t firstRunEnd = mirrored_ ? output_ - source * repeat_ : (source + 1) * repeat_;
  std::int32_t column = first_;
  if (firstRunEnd - first_ < repeat_) {
    const std::int32_t length = std::min(firstRunEnd, end_) - column;
    PaintRun(values, opaque, source, out, length);
    column += length;
    source += step;
  }
  const std::int32_t whole = (end_ - column) / repeat_;
  kWholeRunPainters[static_cast<std::size_t>(repeat_)](values, opaque, source, step, whole,
                                                       out + (column - first_));
  column += whole * repeat_;
  source += whole * step;
  if (column < end_) PaintRun(values, opaque, source, out + (column - first_), end_ - column);
}

}  // namespace lw
