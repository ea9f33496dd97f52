// The arithmetic, geometry and machine built-ins, run as script lines through the interpreter: a
// line table of exact values and argument checks, then sweeps compared with the independent
// computations of common_math_reference.h and with the program's trig tables. The common direction
// tests sweep the square root and the turning step over their whole range; here they only need
// to reach them with the arguments in order.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "resources/program_resources.h"
#include "script_fixture.h"
#include "support/common_math_reference.h"

namespace lw::testing {
namespace {

// The call text name(a, b, ...).
std::string CallOf(std::string_view name, std::initializer_list<std::int64_t> args) {
  std::string text = std::string(name) + "(";
  for (std::int64_t arg : args) text += (text.back() == '(' ? "" : ", ") + std::to_string(arg);
  return text + ")";
}

// A script point: x in the high and y in the low 16 bits of a signed 32-bit number.
std::int64_t Packed(std::int64_t x, std::int64_t y) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>((x & 0xFFFF) << 16 | (y & 0xFFFF)));
}

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

using MathBuiltinTest = ScriptTest;

TEST_F(MathBuiltinTest, KnownValuesAndArgumentChecks) {
  ExpectLines({
      {"pointx(makepoint(3, -2))", "3"},
      {"pointy(makepoint(3, -2))", "-2"},
      {"pointx(makepoint(70000, 0))", "4464"},  // each half keeps its low 16 bits, signed
      {"pointy(makepoint(0, 32768))", "-32768"},
      {"makepoint(1, -1)", "131071"},
      {"makepoint(-32768, 65535)", "-2147418113"},
      {"sqrt(17)", "4"},
      {"sqrt(-1)", "65535"},  // the argument counts as unsigned
      {"sqrt(0 - 2147483647 - 1)", "46340"},
      {"calcdist(makepoint(0, 0), makepoint(3, 4))", "5"},
      {"calcdist(makepoint(32767, 0), makepoint(-32768, 4))", "65535"},
      // The sum of the squares wraps at 32 bits when the points are far apart.
      {"calcdist(makepoint(-32768, -32768), makepoint(32767, 32767))", "65533"},
      {"calcvectx(0, 100)", "100"},
      {"calcvecty(64, 100)", "100"},
      {"calcturn(250, 5, 10)", "5"},   // from 250 towards 5, across 0
      {"calcturn(-6, 261, 10)", "5"},  // directions are taken modulo 256
      {"optionkey()", "False"},
      {"machinetype()", "\"WIN\""},
      {"machinespeed()", std::string(kMachineSpeed)},
      {"random(\"6\")", "Bad argument type."},
      {"makepoint(1, \"2\")", "Bad argument type."},
      {"calcdist(0, true)", "Bad argument type."},
      {"calcturn(1, 2, \"3\")", "Bad argument type."},
      {"calcvecty(0, false)", "Bad argument type."},
      {"makepoint(1)", "Expected comma ','."},
      {"calcturn(1, 2 3)", "Expected comma ','."},
      {"optionkey(1)", "Expected paren '(' or ')'."},
      {"random 6", "Expected paren '(' or ')'."},
  });
}

TEST_F(MathBuiltinTest, DirectionsBetweenPointsFollowTheArctangentRule) {
  // A grid around a point away from the origin, so that the order p -> q matters.
  for (std::int64_t dx = -12; dx <= 12; ++dx) {
    for (std::int64_t dy = -12; dy <= 12; ++dy) {
      const std::string line = CallOf("calcdeg", {Packed(100, -40), Packed(100 + dx, dy - 40)});
      ASSERT_EQ(Eval(line), std::to_string(ReferenceDirection(dx, dy))) << line;
    }
  }
  // Far corners: the difference of two coordinates needs 17 bits.
  for (std::int64_t x : {-32768ll, 32767ll}) {
    for (std::int64_t y : {-32768ll, -1ll, 32767ll}) {
      const std::string line = CallOf("calcdeg", {Packed(-x, 1), Packed(x, y)});
      const std::int64_t fromX = static_cast<std::int16_t>(-x);
      EXPECT_EQ(Eval(line), std::to_string(ReferenceDirection(x - fromX, y - 1))) << line;
    }
  }
}

TEST_F(MathBuiltinTest, VectorComponentsForEveryDirection) {
  for (int d = 0; d < 256; ++d) {
    for (std::int64_t r : {0ll, 1ll, -1ll, 100ll, -100ll, 32767ll, -32768ll, 70000ll, -70000ll}) {
      const auto r16 = static_cast<std::int16_t>(r & 0xFFFF);  // r counts as signed 16-bit
      // A direction given one turn away (or negative) gives the same component.
      const std::initializer_list<std::int64_t> args = {d - 256 * (d % 3), r};
      EXPECT_EQ(Eval(CallOf("calcvectx", args)),
                std::to_string(TableEntry("TRIG2", d) * r16 / 16384));
      EXPECT_EQ(Eval(CallOf("calcvecty", args)),
                std::to_string(TableEntry("TRIG1", d) * r16 / 16384));
    }
  }
}

// Ranges of every kind: the draw's own, a die, a negative one, one and none (both always 1), and
// the largest number, whose product with a draw needs more than 32 bits. Seed 77 draws, at #63, one
// of the outputs whose 15 bits are all set and are capped.
TEST_F(MathBuiltinTest, RandomNumbersComeFromTheSeededGenerator) {
  const std::int64_t ranges[] = {32767, 6, -1000, 1, 0, 2147483647};
  for (std::uint32_t seed : {0u, 60u, 77u, 0x7FFFFFFFu, 0x80000000u, 4294967295u}) {
    in.random().seed(seed);
    const auto outputs = ReferenceRandom(seed, 300);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      const std::int64_t n = ranges[i % std::size(ranges)];
      ASSERT_EQ(Eval(CallOf("random", {n})), std::to_string(ReferenceRandomNumber(outputs[i], n)))
          << seed << " #" << i;
    }
  }
}

}  // namespace
}  // namespace lw::testing
