// Expressions: operands, operators and their precedence, and the argument readers.
//
// An expression is an operand followed by any number of (operator, operand) pairs. All operands
// are evaluated and pushed on the shared 40-entry expression stack first; the operators are
// then applied level by level (0 binds tightest), left to right within a level. Operators do
// not short-circuit. Expressions of one or two operators, the common ones, are applied in
// that same order without the general scan.

#include <climits>

#include "script/compiled_script.h"
#include "script/fold.h"
#include "script/interpreter.h"
#include "script/number_operators.h"
#include "script/script_host.h"

namespace lw {
namespace {

// Signed 32-bit arithmetic that wraps instead of overflowing.
constexpr std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }
constexpr std::uint32_t U(std::int32_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

// The common operators on numbers without a call; the rest (and every error) is applyOperator's.
// The result goes straight to its destination, which may be `a` itself.
[[gnu::always_inline]] inline ScriptError Interpreter::apply(std::uint16_t op, const Value& a,
                                                             const Value& b, Value& result) {
  if (ApplyToNumbers(op, a, b, result)) return ScriptError::None;
  result = a;
  return applyOperator(op, result, b);
}

ScriptError Interpreter::push(const Value& v) {
  if (exprCount_ + 1 >= kExpressionStackSize) return ScriptError::ExpressionTooComplex;
  exprStack_[exprCount_++] = v;
  return ScriptError::None;
}

// Numbers and variables, the most frequent operands, are read without a further call.
[[gnu::always_inline]] inline ScriptError Interpreter::quickOperand(ScriptFrame& frame, int pos,
                                                                    VariableTable* locals,
                                                                    Value& out, int& used) {
  const Token* tokens = frame.script->tokenData();
  const Token& t = tokens[pos];
  if (t.code == tok::kNumber) {
    out = Value::Number(t.value);
    used = 1;
    return ScriptError::None;
  }
  if (t.code == tok::kName && tokens[pos + 1].code != tok::kOpenParen) {
    VariableTable* table = nullptr;
    int index = 0;
    LW_TRY(findVariable(frame, pos, locals, table, index));
    used = 1;
    return table->get(index, strings_, out);
  }
  return evaluateOtherOperand(frame, pos, locals, out, used);
}

ScriptError Interpreter::evaluateExpression(ScriptFrame& frame, int pos, VariableTable* locals,
                                            Value& out, int& used) {
  if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
  if (const DecodedScript* decoded = frame.script->decoded(); decoded != nullptr && decodedRuns_) {
    return evaluateDecodedAt(frame, *decoded, decoded->expressionIndexAt(pos), pos, locals, out,
                             used);
  }
  return walkExpression(frame, pos, locals, out, used);
}

// The expression at `pos` read from its tokens (the stack room has been checked).
ScriptError Interpreter::walkExpression(ScriptFrame& frame, int pos, VariableTable* locals,
                                        Value& out, int& used) {
  const Token* tokens = frame.script->tokenData();

  // What is observable of the stack is its fill: the limit, and the room that expressions
  // nested in later operands find. The first three operands and two operators are therefore
  // held in locals while the count moves as if they were pushed; longer expressions go on
  // the stack itself.
  const int base = exprCount_;
  Value terms[3];
  std::uint16_t ops[2];
  int operators = 0;
  int n = 0;
  LW_TRY(quickOperand(frame, pos, locals, terms[0], n));
  int p = pos + n;
  if (base + 1 >= kExpressionStackSize) return ScriptError::ExpressionTooComplex;
  exprCount_ = base + 1;
  while (operators < 2 && tok::IsOperator(tokens[p].code)) {
    if (exprCount_ + 1 >= kExpressionStackSize) return ScriptError::ExpressionTooComplex;
    ops[operators++] = tokens[p++].code;
    ++exprCount_;
    LW_TRY(quickOperand(frame, p, locals, terms[operators], n));
    p += n;
    if (exprCount_ + 1 >= kExpressionStackSize) return ScriptError::ExpressionTooComplex;
    ++exprCount_;
  }

  if (!tok::IsOperator(tokens[p].code)) {
    // The last operator applied writes the caller's value directly.
    if (operators == 0) {
      out = terms[0];
    } else if (operators == 1) {
      LW_TRY(apply(ops[0], terms[0], terms[1], out));
    } else if (tok::OperatorLevel(ops[0]) <= tok::OperatorLevel(ops[1])) {
      LW_TRY(apply(ops[0], terms[0], terms[1], terms[0]));
      LW_TRY(apply(ops[1], terms[0], terms[2], out));
    } else {
      LW_TRY(apply(ops[1], terms[1], terms[2], terms[1]));
      LW_TRY(apply(ops[0], terms[0], terms[1], out));
    }
  } else {
    // A longer expression: the held entries go to the stack and the rest follows them.
    Value* entries = &exprStack_[base];
    entries[0] = terms[0];
    entries[1] = Value::Of(static_cast<std::int16_t>(ops[0]), 0);
    entries[2] = terms[1];
    entries[3] = Value::Of(static_cast<std::int16_t>(ops[1]), 0);
    entries[4] = terms[2];
    unsigned levels = (1u << tok::OperatorLevel(ops[0])) | (1u << tok::OperatorLevel(ops[1]));
    while (tok::IsOperator(tokens[p].code)) {
      std::uint16_t op = tokens[p++].code;
      levels |= 1u << tok::OperatorLevel(op);
      LW_TRY(push(Value::Of(static_cast<std::int16_t>(op), 0)));
      Value operand;
      LW_TRY(evaluateOperand(frame, p, locals, operand, n));
      LW_TRY(push(operand));
      p += n;
    }
    LW_TRY(reduce(base, levels));
    out = entries[0];
  }
  exprCount_ = base;
  used = p - pos;
  return ScriptError::None;
}

ScriptError Interpreter::reduce(int base, unsigned levels) {
  for (int level = 0; level < tok::kOperatorLevels; ++level) {
    if ((levels & (1u << level)) == 0) continue;
    int i = base + 1;
    while (i < exprCount_) {
      std::uint16_t op = static_cast<std::uint16_t>(exprStack_[i].type);
      if (tok::OperatorLevel(op) != level) {
        i += 2;
        continue;
      }
      LW_TRY(apply(op, exprStack_[i - 1], exprStack_[i + 1], exprStack_[i - 1]));
      for (int j = i; j + 2 < exprCount_; ++j) exprStack_[j] = exprStack_[j + 2];
      exprCount_ -= 2;
    }
  }
  return ScriptError::None;
}

ScriptError Interpreter::applyOperator(std::uint16_t op, Value& a, const Value& b) {
  switch (op) {
    case tok::kPlus:
    case tok::kMinus:
    case tok::kTimes:
    case tok::kDivide: {
      if (!a.isNumber() || !b.isNumber()) return ScriptError::BadArgumentType;
      std::int32_t x = a.payload, y = b.payload;
      switch (op) {
        case tok::kPlus: a = Value::Number(Wrap(U(x) + U(y))); break;
        case tok::kMinus: a = Value::Number(Wrap(U(x) - U(y))); break;
        case tok::kTimes: a = Value::Number(Wrap(U(x) * U(y))); break;
        default:
          if (y == 0) return ScriptError::DivideByZero;
          // The one quotient that does not fit wraps to itself.
          a = Value::Number((x == INT32_MIN && y == -1) ? INT32_MIN : x / y);
      }
      return ScriptError::None;
    }
    case tok::kAnd:
    case tok::kOr:
      if (!a.isLogic() || !b.isLogic()) return ScriptError::BadArgumentType;
      a = Value::Logic(op == tok::kAnd ? (a.payload & b.payload) != 0
                                       : (a.payload | b.payload) != 0);
      return ScriptError::None;
    case tok::kEqual:
    case tok::kNotEqual:
      if (a.isText() && b.isText()) return applyTextOperator(op, a, b);
      if (a.type != b.type || a.isNumber() || a.isLogic()) {
        a = Value::Logic((a.type == b.type && a.payload == b.payload) == (op == tok::kEqual));
        return ScriptError::None;
      }
      return ScriptError::BadArgumentType;
    case tok::kGreater:
    case tok::kLess:
    case tok::kGreaterEqual:
    case tok::kLessEqual: {
      if (!a.isNumber() || !b.isNumber()) return ScriptError::BadArgumentType;
      std::int32_t x = a.payload, y = b.payload;
      bool r = op == tok::kGreater        ? x > y
               : op == tok::kLess         ? x < y
               : op == tok::kGreaterEqual ? x >= y
                                          : x <= y;
      a = Value::Logic(r);
      return ScriptError::None;
    }
    case tok::kJoin:
      if (!a.isText() || !b.isText()) return ScriptError::BadArgumentType;
      return applyTextOperator(op, a, b);
    default:
      host_.reportFatal(kProgramCodeLogic, errline::kUnknownOperator);
      return ScriptError::BadArgumentType;
  }
}

// @, = and the not-equal sign on two texts; both are read.
ScriptError Interpreter::applyTextOperator(std::uint16_t op, Value& a, const Value& b) {
  PString left, right;
  LW_TRY(strings_.take(a, left));
  LW_TRY(strings_.take(b, right));
  if (op == tok::kJoin) {
    if (!left.append(right.view())) return ScriptError::StringLengthTooBig;
    return strings_.make(left.view(), a);
  }
  bool equal = FoldEqual(left.view(), right.view());
  a = Value::Logic(op == tok::kEqual ? equal : !equal);
  return ScriptError::None;
}

ScriptError Interpreter::evaluateOperand(ScriptFrame& frame, int pos, VariableTable* locals,
                                         Value& out, int& used) {
  return quickOperand(frame, pos, locals, out, used);
}

ScriptError Interpreter::evaluateOtherOperand(ScriptFrame& frame, int pos, VariableTable* locals,
                                              Value& out, int& used) {
  const Token* tokens = frame.script->tokenData();
  const Token& t = tokens[pos];
  switch (t.code) {
    case tok::kOpenParen: {
      int n = 0;
      LW_TRY(evaluateExpression(frame, pos + 1, locals, out, n));
      if (tokens[pos + 1 + n].code != tok::kCloseParen) return ScriptError::ExpectedParen;
      used = n + 2;
      return ScriptError::None;
    }
    case tok::kString: used = 1; return strings_.make(frame.script->textOf(pos), out);
    case tok::kTrue:
    case tok::kFalse:
      out = Value::Logic(t.code == tok::kTrue);
      used = 1;
      return ScriptError::None;
    case tok::kNot:
    case tok::kMinus: {
      // Chains of unary operators recurse here without passing evaluateExpression.
      if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
      int n = 0;
      LW_TRY(evaluateOperand(frame, pos + 1, locals, out, n));
      if (t.code == tok::kNot) {
        if (!out.isLogic()) return ScriptError::BadArgumentType;
        out = Value::Logic(out.payload == 0);
      } else {
        if (!out.isNumber()) return ScriptError::BadArgumentType;
        out = Value::Number(Wrap(0u - U(out.payload)));
      }
      used = n + 1;
      return ScriptError::None;
    }
    case tok::kMe:
    case tok::kTarget:
      used = 1;
      return strings_.make(t.code == tok::kMe ? frame.me.view() : frame.target.view(), out);
    case tok::kName:  // followed by '(': a handler called as a function
      return runHandlerOnChain(&frame, frame, pos, locals, &out, used);
    default:
      if (tok::IsFunctionDispatch(t.code)) return dispatchFunction(frame, pos, locals, out, used);
      return ScriptError::BadArgumentType;
  }
}

ScriptError Interpreter::readArguments(ScriptFrame& frame, int pos, VariableTable* locals,
                                       std::span<Value> out, int& used) {
  const Token* tokens = frame.script->tokenData();
  int p = pos;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i > 0) {
      if (tokens[p].code != tok::kComma) return ScriptError::ExpectedComma;
      ++p;
    }
    int n = 0;
    LW_TRY(evaluateExpression(frame, p, locals, out[i], n));
    p += n;
  }
  used = p - pos;
  return ScriptError::None;
}

}  // namespace lw
