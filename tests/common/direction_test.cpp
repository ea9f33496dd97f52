// The shared direction geometry over the inputs the script built-ins cannot reach (their points
// are 16-bit): the 256-step arctangent of 32-bit vectors, turning steps over every pair of
// directions, and the integer square root of 64-bit numbers. The built-ins' own tests cover the
// small grids.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "common/direction.h"
#include "support/common_math_reference.h"

namespace lw::testing {
namespace {

constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();

// Rounding the ratio down to 1/512 and the angle down to a whole step: at most one step and
// the angle of 1/512 (0.08 of a step) away from the true direction.
constexpr double kDirectionTolerance = 1.1;

TEST(DirectionTest, AxesDiagonalsLongVectorsAndMirrorImages) {
  for (std::int32_t k : {1, 7, 32767, 65535, 1 << 24, kHighest}) {
    const int round[8] = {DirectionOf(k, 0),  DirectionOf(k, k),  DirectionOf(0, k),
                          DirectionOf(-k, k), DirectionOf(-k, 0), DirectionOf(-k, -k),
                          DirectionOf(0, -k), DirectionOf(k, -k)};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(round[i], 32 * i) << k;
  }
  EXPECT_EQ(DirectionOf(0, 0), 0);
  EXPECT_EQ(DirectionOf(kLowest, 0), 128);
  EXPECT_EQ(DirectionOf(kLowest, kLowest), 160);
  EXPECT_EQ(DirectionOf(1, kLowest), 192);
  // Components as far apart as two 16-bit coordinates can be, and beyond.
  for (std::int64_t dx : {1ll, 511ll, 512ll, 513ll, 40000ll, 9000000ll}) {
    for (std::int64_t dy : {2ll, 510ll, 1023ll, 65534ll, 123457ll, 2000000000ll}) {
      for (auto [sx, sy] : {std::pair{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}) {
        const auto x = static_cast<std::int32_t>(sx * dx);
        const auto y = static_cast<std::int32_t>(sy * dy);
        const int d = DirectionOf(x, y);
        EXPECT_EQ(d, ReferenceDirection(x, y)) << x << ", " << y;
        const double gap = std::fmod(std::fabs(d - std::atan2(y, x) * 128 / std::numbers::pi), 256);
        EXPECT_LT(std::min(gap, 256 - gap), kDirectionTolerance) << x << ", " << y;
        // The swap of the axes reflects the direction exactly.
        EXPECT_EQ(DirectionOf(y, x), WrapDirection(64 - d)) << x << ", " << y;
      }
    }
  }
}

TEST(DirectionTest, TurningStepsOverEveryPairOfDirectionsMatchTheReference) {
  for (std::int32_t s : {-3, 0, 1, 2, 5, 64, 127, 128, 200, 255, 256, 1000, kHighest}) {
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        const int turned = TurnTowards(a, b, s);
        ASSERT_EQ(turned, ReferenceTurn(a, b, s)) << a << " " << b << " " << s;
        ASSERT_TRUE(turned >= 0 && turned <= 255);
      }
    }
  }
  // Directions outside 0..255 are wrapped first.
  for (int a : {-1, -256, 300, -70000})
    for (int b : {-5, 260, 65536})
      EXPECT_EQ(TurnTowards(a, b, 7), TurnTowards(WrapDirection(a), WrapDirection(b), 7));
}

TEST(DirectionTest, IntegerSquareRootIsTheExactFloor) {
  for (std::uint64_t k : {0ull, 1ull, 2ull, 46341ull, 65536ull, 3037000499ull, 4294967295ull})
    for (std::uint64_t n : {k * k, k * k + 1, k * k + 2 * k, k * k - 1})
      EXPECT_EQ(IntegerSqrt(n), ReferenceSqrt(n)) << n;
  EXPECT_EQ(IntegerSqrt(std::numeric_limits<std::uint64_t>::max()), 4294967295u);
  for (std::uint64_t n = 0; n < 100000; ++n) ASSERT_EQ(IntegerSqrt(n), ReferenceSqrt(n)) << n;
}

}  // namespace
}  // namespace lw::testing
