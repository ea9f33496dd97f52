// The arithmetic, geometry and machine built-ins, run as script lines through the interpreter: a
// line table of known values and argument checks, then sweeps compared with the independent
// computations of common_math_reference.h.
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

#include "resources/program_resources.h"
#include "script_fixture.h"
#include "support/common_math_reference.h"

namespace lw::testing {
namespace {

class MathBuiltinTest : public ScriptTest {
 protected:
  // Runs a line that must give a number and returns it.
  std::int64_t Number(const std::string& line) {
    const std::string outcome = Eval(line);
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(outcome.data(), outcome.data() + outcome.size(), value);
    EXPECT_TRUE(error == std::errc() && end == outcome.data() + outcome.size())
        << line << " gave " << outcome;
    return value;
  }

  static std::string Point(std::int64_t x, std::int64_t y) {
    return "makepoint(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  }
};

// Entry d of a program table, read straight from the resource bytes.
std::int64_t TableEntry(std::string_view name, int d) {
  const auto bytes = FindRawResource(name);
  EXPECT_TRUE(bytes && bytes->size() == 512) << name;
  if (!bytes || bytes->size() != 512) return 0;
  return static_cast<std::int16_t>((*bytes)[2 * d] | (*bytes)[2 * d + 1] << 8);
}

#if defined(__i386__) || defined(__x86_64__)
constexpr std::string_view kMachineSpeed = "586";
#else
constexpr std::string_view kMachineSpeed = "386";
#endif

TEST_F(MathBuiltinTest, KnownValuesAndArgumentChecks) {
  ExpectLines({
      {"pointx(makepoint(3, -2))", "3"},
      {"pointy(makepoint(3, -2))", "-2"},
      {"pointx(makepoint(70000, 0))", "4464"},
      {"sqrt(17)", "4"},
      {"sqrt(-1)", "65535"},
      {"calcdist(makepoint(0, 0), makepoint(3, 4))", "5"},
      {"calcvectx(0, 100)", "100"},
      {"calcvecty(0, 100)", "0"},
      {"calcvecty(64, 100)", "100"},
      {"calcturn(250, 5, 10)", "5"},
      {"calcturn(-6, 261, 10)", "5"},
      {"optionkey()", "False"},
      {"machinetype()", "\"WIN\""},
      {"machinespeed()", std::string(kMachineSpeed)},
      {"random(\"6\")", "Bad argument type."},
      {"pointx(1 = 1)", "Bad argument type."},
      {"makepoint(1, \"2\")", "Bad argument type."},
      {"sqrt(\"4\")", "Bad argument type."},
      {"calcdist(0, true)", "Bad argument type."},
      {"calcdeg(\"a\", 0)", "Bad argument type."},
      {"calcturn(1, 2, \"3\")", "Bad argument type."},
      {"calcvectx(\"0\", 1)", "Bad argument type."},
      {"calcvecty(0, false)", "Bad argument type."},
      {"makepoint(1)", "Expected comma ','."},
      {"calcturn(1, 2 3)", "Expected comma ','."},
      {"optionkey(1)", "Expected paren '(' or ')'."},
      {"random 6", "Expected paren '(' or ')'."},
  });
}

TEST_F(MathBuiltinTest, PointsKeepSignedSixteenBitHalves) {
  for (std::int64_t x : {0ll, 1ll, -1ll, 32767ll, -32768ll, 32768ll, 65535ll, 70000ll, -70000ll}) {
    for (std::int64_t y : {0ll, 5ll, -2ll, 32768ll, -32769ll, 2147483647ll}) {
      const auto low = [](std::int64_t v) { return static_cast<std::int16_t>(v & 0xFFFF); };
      EXPECT_EQ(Number("pointx(" + Point(x, y) + ")"), low(x)) << x << ", " << y;
      EXPECT_EQ(Number("pointy(" + Point(x, y) + ")"), low(y)) << x << ", " << y;
      EXPECT_EQ(Number(Point(x, y)),
                static_cast<std::int32_t>(static_cast<std::uint32_t>(low(x) & 0xFFFF) << 16 |
                                          static_cast<std::uint32_t>(low(y) & 0xFFFF)));
    }
  }
}

TEST_F(MathBuiltinTest, SquareRootsAndDistancesAtTheEdges) {
  for (std::int64_t n : {0ll, 1ll, 2ll, 3ll, 4ll, 15ll, 16ll, 2147395600ll, 2147483647ll,
                         -2147483647ll - 1, -131071ll, -131072ll, -2ll, -1ll}) {
    EXPECT_EQ(Number("sqrt(" + std::to_string(n) + ")"),
              static_cast<std::int64_t>(ReferenceSqrt(static_cast<std::uint32_t>(n))))
        << n;
  }
  // The sum of the squares wraps at 32 bits when the points are far apart.
  const std::int64_t corners[] = {-32768, -1, 0, 3, 4, 32767};
  for (std::int64_t x1 : corners) {
    for (std::int64_t y1 : corners) {
      for (std::int64_t x2 : corners) {
        for (std::int64_t y2 : {-32768ll, 0ll, 4ll, 32767ll}) {
          const auto dx = static_cast<std::uint32_t>(x2 - x1);
          const auto dy = static_cast<std::uint32_t>(y2 - y1);
          const std::string line = "calcdist(" + Point(x1, y1) + ", " + Point(x2, y2) + ")";
          EXPECT_EQ(Number(line),
                    static_cast<std::int64_t>(ReferenceSqrt(dx * dx + dy * dy) & 0xFFFF))
              << line;
        }
      }
    }
  }
}

TEST_F(MathBuiltinTest, DirectionsBetweenPointsFollowTheArctangentRule) {
  // A grid around a point away from the origin, so that the order p -> q matters.
  const std::int64_t px = 100;
  const std::int64_t py = -40;
  for (std::int64_t dx = -12; dx <= 12; ++dx) {
    for (std::int64_t dy = -12; dy <= 12; ++dy) {
      const std::string line = "calcdeg(" + Point(px, py) + ", " + Point(px + dx, py + dy) + ")";
      ASSERT_EQ(Number(line), ReferenceDirection(dx, dy)) << line;
    }
  }
  // Far corners: the difference of two coordinates needs 17 bits.
  for (std::int64_t x : {-32768ll, 32767ll}) {
    for (std::int64_t y : {-32768ll, -1ll, 32767ll}) {
      const std::string line = "calcdeg(" + Point(-x, 1) + ", " + Point(x, y) + ")";
      EXPECT_EQ(Number(line), ReferenceDirection(x - static_cast<std::int16_t>(-x), y - 1)) << line;
    }
  }
}

TEST_F(MathBuiltinTest, TurningStepsOnTheTwoHundredFiftyFiveUnitCircle) {
  for (int s : {0, 10, 130}) {
    for (int a = 0; a < 256; a += 25) {
      for (int b = 0; b < 256; ++b) {
        const std::string line = "calcturn(" + std::to_string(a) + ", " + std::to_string(b) + ", " +
                                 std::to_string(s) + ")";
        ASSERT_EQ(Number(line), ReferenceTurn(a, b, s)) << line;
      }
    }
  }
}

TEST_F(MathBuiltinTest, VectorComponentsForEveryDirection) {
  for (int d = 0; d < 256; ++d) {
    for (std::int64_t r : {0ll, 1ll, -1ll, 100ll, -100ll, 32767ll, -32768ll, 70000ll, -70000ll}) {
      const auto r16 = static_cast<std::int16_t>(r & 0xFFFF);  // r counts as signed 16-bit
      // A direction given one turn away (or negative) gives the same component.
      const std::string args =
          "(" + std::to_string(d - 256 * (d % 3)) + ", " + std::to_string(r) + ")";
      EXPECT_EQ(Number("calcvectx" + args), TableEntry("TRIG2", d) * r16 / 16384) << args;
      EXPECT_EQ(Number("calcvecty" + args), TableEntry("TRIG1", d) * r16 / 16384) << args;
    }
  }
}

// Ranges of every kind: the draw's own, a die, a negative one, one and none (both always 1), and
// the largest number, whose product with a draw needs more than 32 bits.
TEST_F(MathBuiltinTest, RandomNumbersComeFromTheSeededGenerator) {
  const std::int64_t ranges[] = {32767, 6, -1000, 1, 0, 2147483647};
  for (std::uint32_t seed : {0u, 60u, 4242u, 0x7FFFFFFFu, 0x80000000u, 4294967295u}) {
    in.random().seed(seed);
    const auto outputs = ReferenceRandom(seed, 300);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      const std::int64_t n = ranges[i % std::size(ranges)];
      const std::string line = "random(" + std::to_string(n) + ")";
      ASSERT_EQ(Number(line), ReferenceRandomNumber(outputs[i], n)) << seed << " #" << i;
    }
  }
}

}  // namespace
}  // namespace lw::testing
