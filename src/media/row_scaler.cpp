#include "media/row_scaler.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace lw {

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
    : output_(outputLength), first_(first), end_(end), mirrored_(mirrored) {
  assert(sourceLength >= 1 && sourceLength <= kMaxSourceLength);
  assert(outputLength >= 1 && outputLength < kMaxScaledLength);
  assert(0 <= first && first <= end && end <= outputLength);
  // Step through the unmirrored columns that the visible span shows, in increasing order.
  const std::int32_t low = mirrored ? outputLength - end : first;
  LineStepper step(sourceLength, outputLength, low);
  for (std::int32_t column = low; column < low + (end - first); ++column, step.Next()) {
    const std::int32_t slot = mirrored ? outputLength - 1 - column - first : column - first;
    map_[static_cast<std::size_t>(slot)] = static_cast<std::uint16_t>(step.source());
  }
  // Column i shows source i x S / D rounded down, which is below s exactly when
  // i < s x D / S: the first column showing s or a later one is that quotient rounded up,
  // (s x D + S - 1) / S, stepped through s without a division each.
  const std::int32_t whole = outputLength / sourceLength;
  const std::int32_t fraction = outputLength % sourceLength;
  std::int32_t column = 0;
  std::int32_t remainder = sourceLength - 1;
  for (std::size_t s = 0; s <= static_cast<std::size_t>(sourceLength); ++s) {
    firstShowing_[s] = static_cast<std::uint16_t>(column);
    column += whole;
    remainder += fraction;
    if (remainder >= sourceLength) {
      remainder -= sourceLength;
      ++column;
    }
  }
}

}  // namespace lw
