// The shared direction geometry: the 256-step arctangent, turning steps on the 255-unit circle,
// table scaling and the integer square root, each over its whole input range or a dense grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "common/direction.h"
#include "support/common_math_reference.h"

namespace lw::testing {
namespace {

// The circular distance between two directions.
double CircularGap(double a, double b) {
  const double gap = std::fmod(std::fabs(a - b), 256.0);
  return std::min(gap, 256.0 - gap);
}

// Rounding the ratio down to 1/512 and the angle down to a whole step: at most one step and
// the angle of 1/512 (0.08 of a step) away from the true direction.
constexpr double kDirectionTolerance = 1.1;

TEST(DirectionTest, AxesAndDiagonalsAtEveryScale) {
  for (std::int32_t k :
       {1, 2, 7, 100, 32767, 65535, 1 << 24, std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_EQ(DirectionOf(k, 0), 0) << k;
    EXPECT_EQ(DirectionOf(0, k), 64) << k;
    EXPECT_EQ(DirectionOf(-k, 0), 128) << k;
    EXPECT_EQ(DirectionOf(0, -k), 192) << k;
    EXPECT_EQ(DirectionOf(k, k), 32) << k;
    EXPECT_EQ(DirectionOf(-k, k), 96) << k;
    EXPECT_EQ(DirectionOf(-k, -k), 160) << k;
    EXPECT_EQ(DirectionOf(k, -k), 224) << k;
  }
  EXPECT_EQ(DirectionOf(0, 0), 0);
  const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(DirectionOf(lowest, 0), 128);
  EXPECT_EQ(DirectionOf(lowest, lowest), 160);
  EXPECT_EQ(DirectionOf(1, lowest), 192);
}

TEST(DirectionTest, GridFollowsTheOctantRuleAndStaysNearTheTrueAngle) {
  constexpr int kReach = 70;
  for (int dx = -kReach; dx <= kReach; ++dx) {
    for (int dy = -kReach; dy <= kReach; ++dy) {
      const int d = DirectionOf(dx, dy);
      ASSERT_EQ(d, ReferenceDirection(dx, dy)) << dx << ", " << dy;
      if (dx == 0 && dy == 0) continue;
      const double exact = std::atan2(dy, dx) * 128 / std::numbers::pi;
      EXPECT_LT(CircularGap(d, exact), kDirectionTolerance) << dx << ", " << dy;
    }
  }
}

TEST(DirectionTest, LongVectorsAndMirrorImages) {
  // Components as far apart as two 16-bit coordinates can be, and beyond.
  for (std::int64_t dx : {1ll, 3ll, 511ll, 512ll, 513ll, 40000ll, 65535ll, 9000000ll}) {
    for (std::int64_t dy : {2ll, 5ll, 510ll, 1023ll, 65534ll, 123457ll, 2000000000ll}) {
      for (int sx : {1, -1}) {
        for (int sy : {1, -1}) {
          const auto x = static_cast<std::int32_t>(sx * dx);
          const auto y = static_cast<std::int32_t>(sy * dy);
          const int d = DirectionOf(x, y);
          EXPECT_EQ(d, ReferenceDirection(x, y)) << x << ", " << y;
          // Mirrors and the swap of the axes reflect the direction exactly.
          EXPECT_EQ(DirectionOf(x, -y), WrapDirection(256 - d)) << x << ", " << y;
          EXPECT_EQ(DirectionOf(-x, y), WrapDirection(128 - d)) << x << ", " << y;
          EXPECT_EQ(DirectionOf(y, x), WrapDirection(64 - d)) << x << ", " << y;
        }
      }
    }
  }
}

TEST(DirectionTest, TurningStepsOverEveryPairOfDirections) {
  for (std::int32_t s : {-3, 0, 1, 2, 5, 10, 64, 127, 128, 200, 254, 255, 256, 1000,
                         std::numeric_limits<std::int32_t>::max()}) {
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        const int turned = TurnTowards(a, b, s);
        ASSERT_EQ(turned, ReferenceTurn(a, b, s)) << a << " " << b << " " << s;
        ASSERT_GE(turned, 0);
        ASSERT_LE(turned, 255);
      }
    }
  }
  // Directions outside 0..255 are wrapped first.
  for (int a : {-1, -256, 300, 511, -70000}) {
    for (int b : {-5, 260, 1000, 65536}) {
      EXPECT_EQ(TurnTowards(a, b, 7), TurnTowards(WrapDirection(a), WrapDirection(b), 7));
    }
  }
}

TEST(DirectionTest, RepeatedStepsAlwaysArrive) {
  for (int s : {1, 3, 10, 100}) {
    for (int a = 0; a < 256; a += 5) {
      for (int b = 0; b < 256; b += 3) {
        int at = a;
        int steps = 0;
        while (at != b && steps <= 256) {
          at = TurnTowards(at, b, s);
          ++steps;
        }
        EXPECT_EQ(at, b) << a << " " << b << " " << s;
      }
    }
  }
}

TEST(DirectionTest, IntegerSquareRootIsTheExactFloor) {
  for (std::uint64_t k : {0ull, 1ull, 2ull, 3ull, 46340ull, 46341ull, 65535ull, 65536ull,
                          3037000499ull, 4294967295ull}) {
    for (std::uint64_t n : {k * k, k * k + 1, k * k + 2 * k, k * k - 1}) {
      EXPECT_EQ(IntegerSqrt(n), ReferenceSqrt(n)) << n;
    }
  }
  EXPECT_EQ(IntegerSqrt(std::numeric_limits<std::uint64_t>::max()), 4294967295u);
  for (std::uint64_t n = 0; n < 100000; ++n) ASSERT_EQ(IntegerSqrt(n), ReferenceSqrt(n)) << n;
}

}  // namespace
}  // namespace lw::testing
