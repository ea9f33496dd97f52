// Built-ins of arithmetic and geometry, and the few that describe the machine: random, pointx,
// pointy, makepoint, sqrt, calcdist, calcdeg, calcturn, calcvectx, calcvecty, optionkey,
// machinetype and machinespeed. Every argument is a number (BadArgumentType otherwise).

#include <algorithm>
#include <array>
#include <string_view>

#include "common/direction.h"
#include "common/geometry.h"
#include "script/builtin_table.h"
#include "script/interpreter.h"
#include "script/random_generator.h"
#include "script/trig_tables.h"

namespace lw {
namespace {

constexpr std::uint32_t kRandomBits = 0x7FFF;  // random() uses 15 bits of the generator
constexpr std::int64_t kRandomCap = 32766;     // ... capped so that r / 32767 stays below 1
constexpr std::int64_t kRandomDivisor = 32767;
constexpr std::uint32_t kHalfWordMask = 0xFFFF;

// The processor type numbers that the system information service reports. Every x86 and
// x86-64 processor since the Pentium reports the Pentium's number, 586, so that is what this
// platform says on any x86 machine; elsewhere the service is taken as missing, which gives 386.
#if defined(__i386__) || defined(__x86_64__)
constexpr std::int32_t kMachineSpeed = 586;  // the Pentium's number
#else
constexpr std::int32_t kMachineSpeed = 386;  // no processor type service
#endif

constexpr std::string_view kMachineType = "WIN";

// A script point's x and y, and the point of an x and a y (each keeping its low 16 bits).
constexpr std::int32_t PointX(std::int32_t p) { return UnpackPoint(p).h; }
constexpr std::int32_t PointY(std::int32_t p) { return UnpackPoint(p).v; }
constexpr std::int32_t MakePoint(std::int32_t x, std::int32_t y) {
  return PackPoint(Point{Wrap16(y), Wrap16(x)});
}

// Evaluates N arguments and checks that all of them are numbers.
template <std::size_t N>
ScriptError NumberArgs(BuiltinCall& c, std::array<std::int32_t, N>& out) {
  std::array<Value, N> values;
  LW_TRY(c.args(values));
  for (std::size_t i = 0; i < N; ++i) LW_TRY(BuiltinCall::number(values[i], out[i]));
  return ScriptError::None;
}

ScriptError ReturnNumber(BuiltinCall& c, std::int64_t n) {
  *c.result = Value::Number(static_cast<std::int32_t>(n));
  return ScriptError::None;
}

// random(n): 1 + r x n / 32767 for a 15-bit generator output r of at most 32766; 1..n for n
// of 1 or more, and always 1 for n of 0 or 1.
ScriptError Random(BuiltinCall& c) {
  std::array<std::int32_t, 1> n;
  LW_TRY(NumberArgs(c, n));
  const std::int64_t r = std::min<std::int64_t>(c.in.random().next() & kRandomBits, kRandomCap);
  return ReturnNumber(c, 1 + r * n[0] / kRandomDivisor);
}

// pointx(p): the x of a point.
ScriptError PointXBuiltin(BuiltinCall& c) {
  std::array<std::int32_t, 1> p;
  LW_TRY(NumberArgs(c, p));
  return ReturnNumber(c, PointX(p[0]));
}

// pointy(p): the y of a point.
ScriptError PointYBuiltin(BuiltinCall& c) {
  std::array<std::int32_t, 1> p;
  LW_TRY(NumberArgs(c, p));
  return ReturnNumber(c, PointY(p[0]));
}

// makepoint(x, y): the point of the low 16 bits of x and y.
ScriptError MakePointBuiltin(BuiltinCall& c) {
  std::array<std::int32_t, 2> xy;
  LW_TRY(NumberArgs(c, xy));
  return ReturnNumber(c, MakePoint(xy[0], xy[1]));
}

// sqrt(n): the integer square root of n taken as unsigned, 0..65535.
ScriptError Sqrt(BuiltinCall& c) {
  std::array<std::int32_t, 1> n;
  LW_TRY(NumberArgs(c, n));
  return ReturnNumber(c, IntegerSqrt(static_cast<std::uint32_t>(n[0])));
}

// calcdist(p, q): the distance between two points; the sum of the squares wraps at 32 bits.
ScriptError CalcDist(BuiltinCall& c) {
  std::array<std::int32_t, 2> pq;
  LW_TRY(NumberArgs(c, pq));
  const auto dx = static_cast<std::uint32_t>(PointX(pq[1]) - PointX(pq[0]));
  const auto dy = static_cast<std::uint32_t>(PointY(pq[1]) - PointY(pq[0]));
  return ReturnNumber(c, IntegerSqrt(dx * dx + dy * dy) & kHalfWordMask);
}

// calcdeg(p, q): the direction from p to q.
ScriptError CalcDeg(BuiltinCall& c) {
  std::array<std::int32_t, 2> pq;
  LW_TRY(NumberArgs(c, pq));
  return ReturnNumber(c, DirectionOf(PointX(pq[1]) - PointX(pq[0]), PointY(pq[1]) - PointY(pq[0])));
}

// calcturn(a, b, s): one turning step of s from direction a towards direction b.
ScriptError CalcTurn(BuiltinCall& c) {
  std::array<std::int32_t, 3> turn;
  LW_TRY(NumberArgs(c, turn));
  return ReturnNumber(c, TurnTowards(turn[0], turn[1], turn[2]));
}

// The component of a vector of length r (signed 16-bit) in direction d, from `table`.
ScriptError CalcVector(BuiltinCall& c, const TrigTable* table) {
  std::array<std::int32_t, 2> dr;
  LW_TRY(NumberArgs(c, dr));
  if (table == nullptr) return ScriptError::ResourceNotFound;
  return ReturnNumber(c, ScaleByTable(*table, dr[0], Wrap16(dr[1])));
}

// calcvectx(d, r): the x component, from the cosine table.
ScriptError CalcVectX(BuiltinCall& c) { return CalcVector(c, CosineTable()); }

// calcvecty(d, r): the y component, from the sine table.
ScriptError CalcVectY(BuiltinCall& c) { return CalcVector(c, SineTable()); }

// optionkey(): this platform's keyboards have no Option key.
ScriptError OptionKey(BuiltinCall& c) {
  *c.result = Value::Logic(false);
  return ScriptError::None;
}

// machinetype(): "WIN".
ScriptError MachineType(BuiltinCall& c) { return c.returnText(kMachineType); }

// machinespeed(): the processor type number.
ScriptError MachineSpeed(BuiltinCall& c) { return ReturnNumber(c, kMachineSpeed); }

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;

constexpr BuiltinEntry<> kMathBuiltins[] = {
    {"random",
     kFunction,
     Random,
     {"n: number", "number", {kType}, "A random whole number from 1 to n (1 when n is below 1)."}},
    {"pointx",
     kFunction,
     PointXBuiltin,
     {"p: point", "number", {kType}, "The x of point p (its signed high 16 bits)."}},
    {"pointy",
     kFunction,
     PointYBuiltin,
     {"p: point", "number", {kType}, "The y of point p (its signed low 16 bits)."}},
    {"makepoint",
     kFunction,
     MakePointBuiltin,
     {"x: number, y: number",
      "point",
      {kType},
      "The point (x, y), keeping the low 16 bits of each."}},
    {"sqrt",
     kFunction,
     Sqrt,
     {"n: number",
      "number",
      {kType},
      "The integer square root of n read as unsigned (sqrt(17) is 4, sqrt(-1) is 65535)."}},
    {"calcdist",
     kFunction,
     CalcDist,
     {"p: point, q: point",
      "number",
      {kType},
      "The distance from point p to point q, rounded down."}},
    {"calcdeg",
     kFunction,
     CalcDeg,
     {"p: point, q: point",
      "number",
      {kType},
      "The direction (0..255: 0 towards +x, 64 towards +y) from point p to point q."}},
    {"calcturn",
     kFunction,
     CalcTurn,
     {"a: number, b: number, s: number",
      "number",
      {kType},
      "One step of s from direction a towards direction b the shorter way, stopping at b."}},
    {"calcvectx",
     kFunction,
     CalcVectX,
     {"d: number, r: number",
      "number",
      {kType, ScriptError::ResourceNotFound},
      "The x component of a vector of length r in direction d."}},
    {"calcvecty",
     kFunction,
     CalcVectY,
     {"d: number, r: number",
      "number",
      {kType, ScriptError::ResourceNotFound},
      "The y component of a vector of length r in direction d."}},
    {"optionkey",
     kFunction,
     OptionKey,
     {"", "logic", {}, "Always false: the keyboards of this platform have no Option key."}},
    {"machinetype", kFunction, MachineType, {"", "text", {}, "The text \"WIN\"."}},
    {"machinespeed",
     kFunction,
     MachineSpeed,
     {"", "number", {}, "The processor type number: 586 on any x86 machine, 386 elsewhere."}},
};

}  // namespace

void WireMathBuiltins(BuiltinTable& table) { table.wire<kMathBuiltins>(); }
void DescribeMathBuiltins(BuiltinTable& catalog) { catalog.describe<kMathBuiltins>(); }

}  // namespace lw
