#include "common/direction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace lw {
namespace {

constexpr int kQuarterTurn = kDirectionSteps / 4;  // 64
constexpr int kEighthTurn = kDirectionSteps / 8;   // 32: an exact diagonal within its quarter

// The ratio of the smaller to the larger component is looked up in steps of 1/512.
constexpr std::int64_t kRatioSteps = 512;

// The circle that turning steps wrap on: one unit short of the 256 directions.
constexpr std::int64_t kTurnCircle = kDirectionSteps - 1;

// The arctangent of r/512 in directions, rounded down, for r = 0..511 (0..31).
const std::array<std::uint8_t, kRatioSteps>& ArctangentTable() {
  static const std::array<std::uint8_t, kRatioSteps> table = [] {
    std::array<std::uint8_t, kRatioSteps> t{};
    const double directionsPerRadian = (kDirectionSteps / 2) / std::numbers::pi;
    for (std::size_t r = 0; r < t.size(); ++r) {
      const double angle = std::atan(static_cast<double>(r) / kRatioSteps);
      t[r] = static_cast<std::uint8_t>(std::floor(angle * directionsPerRadian));
    }
    return t;
  }();
  return table;
}

}  // namespace

// The quadrants are taken counterclockwise from +x, each including the axis it starts on, so
// that the axes come out of the same rule as the octants: within a quadrant the angle is t from
// its starting axis while the component along that axis is the larger, else 64 - t from there.
int DirectionOf(std::int32_t dx, std::int32_t dy) {
  if (dx == 0 && dy == 0) return 0;
  int quadrant = 0;
  if (dx > 0 && dy >= 0) {
    quadrant = 0;
  } else if (dx <= 0 && dy > 0) {
    quadrant = 1;
  } else if (dx < 0 && dy <= 0) {
    quadrant = 2;
  } else {
    quadrant = 3;
  }
  const std::int64_t ax = std::llabs(dx);
  const std::int64_t ay = std::llabs(dy);
  const int base = quadrant * kQuarterTurn;
  if (ax == ay) return base + kEighthTurn;

  const std::int64_t smaller = std::min(ax, ay);
  const std::int64_t larger = std::max(ax, ay);
  const int t = ArctangentTable()[static_cast<std::size_t>(kRatioSteps * smaller / larger)];
  const bool alongStartAxis = (quadrant % 2 == 0) == (ax > ay);
  return WrapDirection(alongStartAxis ? base + t : base + kQuarterTurn - t);
}

int TurnTowards(std::int32_t from, std::int32_t to, std::int32_t step) {
  const std::int64_t a = WrapDirection(from);
  const std::int64_t b = WrapDirection(to);
  const std::int64_t s = std::max<std::int64_t>(step, 1);
  const std::int64_t m = kTurnCircle;
  if (a < b) {
    if (b - a < m - b + a) return static_cast<int>(std::min(a + s, b));  // up, to b at most
    const std::int64_t down = a - s;
    if (down >= 0) return static_cast<int>(down);
    const std::int64_t wrapped = down + m;  // down across 0: stop at b
    return static_cast<int>(wrapped < b ? b : wrapped);
  }
  if (a - b < m - a + b) return static_cast<int>(std::max(a - s, b));  // down, to b at least
  const std::int64_t up = a + s;
  if (up < m) return static_cast<int>(up);
  const std::int64_t wrapped = up - m;  // up across the top: stop at b
  return static_cast<int>(b < wrapped ? b : wrapped);
}

std::int32_t ScaleByTable(const TrigTable& table, std::int32_t direction, std::int16_t r) {
  return static_cast<std::int32_t>(table[static_cast<std::size_t>(WrapDirection(direction))]) * r /
         kTrigOne;
}

// Bit by bit, from the highest power of four that fits: exact for every 64-bit n.
std::uint32_t IntegerSqrt(std::uint64_t n) {
  std::uint64_t root = 0;
  std::uint64_t bit = std::uint64_t{1} << 62;
  while (bit > n) bit >>= 2;
  while (bit != 0) {
    if (n >= root + bit) {
      n -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return static_cast<std::uint32_t>(root);
}

}  // namespace lw
