// The operators on two numbers that scripts use most (arithmetic that wraps instead of
// overflowing, and the comparisons), inlined into both ways of evaluating expressions.
#pragma once

#include <cstdint>

#include "script/token.h"
#include "script/value.h"

namespace lw {

// Applies `op` when both values are numbers and it is one of the common operators, writing the
// result (which may be `a` itself); false leaves everything else, and every error, to the
// general operator code.
[[gnu::always_inline]] inline bool ApplyToNumbers(std::uint16_t op, const Value& a, const Value& b,
                                                  Value& result) {
  if (!a.isNumber() || !b.isNumber()) return false;
  const auto x = static_cast<std::uint32_t>(a.payload);
  const auto y = static_cast<std::uint32_t>(b.payload);
  switch (op) {
    case tok::kPlus: result = Value::Number(static_cast<std::int32_t>(x + y)); return true;
    case tok::kMinus: result = Value::Number(static_cast<std::int32_t>(x - y)); return true;
    case tok::kTimes: result = Value::Number(static_cast<std::int32_t>(x * y)); return true;
    case tok::kLess: result = Value::Logic(a.payload < b.payload); return true;
    case tok::kGreater: result = Value::Logic(a.payload > b.payload); return true;
    case tok::kEqual: result = Value::Logic(a.payload == b.payload); return true;
    default: return false;
  }
}

}  // namespace lw
