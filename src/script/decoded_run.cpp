// The engine over the pre-decoded form: the statement loop, where decoded statements run from
// their records and the others through the token walk's own statement code, and the decoded
// expressions, whose operands are evaluated in order and whose operators are then applied in
// the walk's order. Both engines step through the same statements, report the same positions,
// leave the same blocks and loops open, and keep the expression-stack fill the walk's wherever
// it can be seen: a nested expression starts from the fill the walk would have (operand j is
// evaluated with 2 x j entries held), and a failure leaves the fill where the walk leaves it.

#include "script/compiled_script.h"
#include "script/interpreter.h"
#include "script/next_statement.h"
#include "script/number_operators.h"
#include "script/script_host.h"

namespace lw {

namespace {

// Operand values, left uninitialised: each is written before it is read.
union Slots {
  Slots() {}
  Value values[DecodedScript::kMaxOperands];
};

}  // namespace

// Finds the variable of token `pos` again when the layout has changed since `place` was noted.
[[gnu::always_inline]] inline ScriptError Interpreter::notePlace(ScriptFrame& frame,
                                                                 VariablePlace& place, int pos,
                                                                 VariableTable* locals) {
  if (place.layout == VariableTable::Layout()) [[likely]]
    return ScriptError::None;
  if (place.local && locals != nullptr && place.index < locals->count() &&
      locals->keyAt(place.index) == frame.script->nameKey(static_cast<std::size_t>(pos))) {
    place = {VariableTable::Layout(), locals->valueAt(place.index), place.index, true};
    return ScriptError::None;
  }
  VariableTable* table = nullptr;
  int index = 0;
  LW_TRY(findVariable(frame, pos, locals, table, index));
  place = {VariableTable::Layout(), table->valueAt(index), index, table == locals};
  return ScriptError::None;
}

// A variable's value, from the place it was found at last while the layout is the same.
[[gnu::always_inline]] inline ScriptError Interpreter::decodedVariable(
    ScriptFrame& frame, VariablePlace& place, int pos, VariableTable* locals, Value& out) {
  LW_TRY(notePlace(frame, place, pos, locals));
  const Value& stored = *place.value;
  if (!stored.isText()) [[likely]] {
    out = Value::Of(stored.type, stored.payload);
    return ScriptError::None;
  }
  return (place.local ? locals : &globals_)->get(place.index, strings_, out);
}

// The value of a flat operand: a number or a variable.
[[gnu::always_inline]] inline ScriptError Interpreter::flatOperand(ScriptFrame& frame,
                                                                   const DecodedScript& decoded,
                                                                   const DecodedOperand& o,
                                                                   VariableTable* locals,
                                                                   Value& out) {
  if (o.kind == DecodedOperand::kNumber) {
    out = Value::Number(o.value);
    return ScriptError::None;
  }
  return decodedVariable(frame, decoded.place(o.cache), o.value, locals, out);
}

// The operators of a decoded expression applied to its operand values, in the walk's order;
// `count` operands from `base`.
[[gnu::always_inline]] inline ScriptError Interpreter::applySteps(const DecodedScript& decoded,
                                                                  const DecodedExpression& e,
                                                                  Value* values, int base) {
  const int count = e.operands;
  const DecodedStep* steps = decoded.steps(e);
  for (int s = 0; s + 1 < count; ++s) {
    const DecodedStep& step = steps[s];
    Value& left = values[step.left];
    if (ApplyToNumbers(step.op, left, values[step.right], left)) continue;
    const ScriptError error = applyOperator(step.op, left, values[step.right]);
    if (error != ScriptError::None) {
      // Every entry is held; past three operands the walk has dropped two per operator applied.
      exprCount_ = base + 2 * count - 1 - (count > 3 ? 2 * s : 0);
      return error;
    }
  }
  return ScriptError::None;
}

// An expression of numbers and variables only, inlined where statements evaluate one. Its
// operands cannot change the fill, which stays at `base` unless one fails; one to three
// operands, the common cases, go without the general loops.
[[gnu::always_inline]] inline ScriptError Interpreter::evaluateFlat(ScriptFrame& frame,
                                                                    const DecodedScript& decoded,
                                                                    const DecodedExpression& e,
                                                                    VariableTable* locals,
                                                                    Value& out, int base) {
  const DecodedOperand* operands = decoded.operands(e);
  if (e.operands == 1) return flatOperand(frame, decoded, operands[0], locals, out);
  if (e.operands == 2) {
    Value a;
    Value b;
    LW_TRY(flatOperand(frame, decoded, operands[0], locals, a));
    if (ScriptError error = flatOperand(frame, decoded, operands[1], locals, b);
        error != ScriptError::None) {
      exprCount_ = base + 2;
      return error;
    }
    const std::uint16_t op = decoded.steps(e)->op;
    if (ApplyToNumbers(op, a, b, out)) return ScriptError::None;
    if (ScriptError error = applyOperator(op, a, b); error != ScriptError::None) {
      exprCount_ = base + 3;
      return error;
    }
    out = a;
    return ScriptError::None;
  }
  if (e.operands == 3) {
    Value values[3];
    for (int j = 0; j < 3; ++j) {
      if (ScriptError error = flatOperand(frame, decoded, operands[j], locals, values[j]);
          error != ScriptError::None) {
        exprCount_ = base + 2 * j;
        return error;
      }
    }
    const DecodedStep* steps = decoded.steps(e);
    for (int s = 0; s < 2; ++s) {
      Value& left = values[steps[s].left];
      if (ApplyToNumbers(steps[s].op, left, values[steps[s].right], left)) continue;
      if (ScriptError error = applyOperator(steps[s].op, left, values[steps[s].right]);
          error != ScriptError::None) {
        exprCount_ = base + 5;
        return error;
      }
    }
    out = values[0];
    return ScriptError::None;
  }
  Slots slots;
  Value* values = slots.values;
  const int count = e.operands;
  for (int j = 0; j < count; ++j) {
    if (ScriptError error = flatOperand(frame, decoded, operands[j], locals, values[j]);
        error != ScriptError::None) {
      exprCount_ = base + 2 * j;
      return error;
    }
  }
  LW_TRY(applySteps(decoded, e, values, base));
  out = values[0];
  return ScriptError::None;
}

ScriptError Interpreter::evaluateDecoded(ScriptFrame& frame, const DecodedScript& decoded,
                                         const DecodedExpression& e, VariableTable* locals,
                                         Value& out, int base) {
  Slots slots;
  Value* values = slots.values;
  const DecodedOperand* operands = decoded.operands(e);
  const int count = e.operands;
  for (int j = 0; j < count; ++j) {
    const DecodedOperand& o = operands[j];
    if (o.kind == DecodedOperand::kNumber) {
      values[j] = Value::Number(o.value);
      continue;
    }
    const int fill = base + 2 * j;
    ScriptError error = ScriptError::None;
    if (o.kind == DecodedOperand::kVariable) {
      error = decodedVariable(frame, decoded.place(o.cache), o.value, locals, values[j]);
      if (error != ScriptError::None) exprCount_ = fill;
    } else {
      error = decodedOperand(frame, decoded, o, locals, values[j], fill);
    }
    if (error != ScriptError::None) return error;
  }
  LW_TRY(applySteps(decoded, e, values, base));
  out = values[0];
  exprCount_ = base;
  return ScriptError::None;
}

// The operands other than numbers and variables, evaluated with `fill` entries held; a failure
// leaves the fill there unless a nested expression has left its own.
ScriptError Interpreter::decodedOperand(ScriptFrame& frame, const DecodedScript& decoded,
                                        const DecodedOperand& o, VariableTable* locals, Value& out,
                                        int fill) {
  exprCount_ = fill;
  switch (o.kind) {
    case DecodedOperand::kNumber: out = Value::Number(o.value); return ScriptError::None;
    case DecodedOperand::kVariable:
      return decodedVariable(frame, decoded.place(o.cache), o.value, locals, out);
    case DecodedOperand::kString: return strings_.make(frame.script->textOf(o.value), out);
    case DecodedOperand::kLogic: out = Value::Logic(o.value != 0); return ScriptError::None;
    case DecodedOperand::kMe: return strings_.make(frame.me.view(), out);
    case DecodedOperand::kTarget: return strings_.make(frame.target.view(), out);
    case DecodedOperand::kParen:
      if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
      return evaluateDecoded(frame, decoded, decoded.expression(o.value), locals, out, fill);
    case DecodedOperand::kCall: {
      int used = 0;
      return runHandlerOnChain(&frame, frame, o.value, locals, &out, used);
    }
    case DecodedOperand::kUnary:
      if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
      LW_TRY(decodedOperand(frame, decoded, decoded.operand(o.value), locals, out, fill));
      if (o.op == tok::kNot) {
        if (!out.isLogic()) return ScriptError::BadArgumentType;
        out = Value::Logic(out.payload == 0);
      } else {
        if (!out.isNumber()) return ScriptError::BadArgumentType;
        out =
            Value::Number(static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(out.payload)));
      }
      return ScriptError::None;
  }
  return ScriptError::BadArgumentType;
}

// The expression at `pos`, whose decoded form is `index` (-1 for none), as evaluateExpression
// evaluates it.
[[gnu::always_inline]] inline ScriptError Interpreter::evaluateFrom(ScriptFrame& frame,
                                                                    const DecodedScript& decoded,
                                                                    std::int32_t index, int pos,
                                                                    VariableTable* locals,
                                                                    Value& out, int& used) {
  if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
  if (index >= 0) {
    // Flat expressions, the most common, are evaluated in the statement loop itself.
    const DecodedExpression& e = decoded.expression(index);
    if (e.flat && exprCount_ + e.depth < kExpressionStackSize) {
      LW_TRY(evaluateFlat(frame, decoded, e, locals, out, exprCount_));
      used = e.used;
      return ScriptError::None;
    }
  }
  return evaluateDecodedAt(frame, decoded, index, pos, locals, out, used);
}

// The same once the stack room is checked: the decoded form unless the run would overflow the
// stack (the walk reports that at its own point), else the walk.
ScriptError Interpreter::evaluateDecodedAt(ScriptFrame& frame, const DecodedScript& decoded,
                                           std::int32_t index, int pos, VariableTable* locals,
                                           Value& out, int& used) {
  if (index >= 0) {
    const DecodedExpression& e = decoded.expression(index);
    if (exprCount_ + e.depth < kExpressionStackSize) {
      if (e.flat) {
        LW_TRY(evaluateFlat(frame, decoded, e, locals, out, exprCount_));
      } else {
        LW_TRY(evaluateDecoded(frame, decoded, e, locals, out, exprCount_));
      }
      used = e.used;
      return ScriptError::None;
    }
  }
  return walkExpression(frame, pos, locals, out, used);
}

// endfor over a number variable, the common case, stepped in place: kBack goes to the body's
// first statement, kOut past the endfor; kOther leaves every other case, and every error, to
// runEndfor.
[[gnu::always_inline]] inline Interpreter::LoopStep Interpreter::stepNumberLoop(
    int& pos, VariableTable* locals, RunDepths& depths) {
  if (depths.fors < 1 || forCount_ < 1 || locals == nullptr) return LoopStep::kOther;
  const ForRecord& loop = forStack_[forCount_ - 1];
  if (loop.variable < 0 || loop.variable >= locals->count()) return LoopStep::kOther;
  Value& v = *locals->valueAt(loop.variable);
  if (!v.isNumber()) return LoopStep::kOther;
  v.payload = static_cast<std::int32_t>(static_cast<std::uint32_t>(v.payload) +
                                        static_cast<std::uint32_t>(loop.step));
  if (loop.step < 0 ? loop.end <= v.payload : loop.end >= v.payload) {
    pos = loop.bodyStatement;
    return LoopStep::kBack;
  }
  --forCount_;
  --depths.fors;
  ++pos;
  return LoopStep::kOut;
}

ScriptError Interpreter::runDecoded(ScriptFrame& frame, const DecodedScript& decoded, int pos,
                                    VariableTable* locals, Value* result) {
  RunDepths depths;
  frame.statementPos = pos;
  while (true) {
    const DecodedStatement* s = decoded.statementAt(pos);
    if (s == nullptr) {
      bool ended = false;
      const ScriptError e = walkStatement(frame, pos, locals, result, depths, ended);
      if (e != ScriptError::None || ended) return e;
    } else {
      switch (s->kind) {
        case DecodedStatement::kAssign: {
          // The target is found before the value is evaluated, as in the walk; a value that
          // ran script may have moved it, and is then stored through its table and index.
          VariablePlace& place = decoded.place(s->place);
          LW_TRY(notePlace(frame, place, pos, locals));
          const VariablePlace target = place;
          Value v;
          int used = 0;
          LW_TRY(evaluateFrom(frame, decoded, s->expression, pos + 2, locals, v, used));
          if (target.layout == VariableTable::Layout() && !v.isText() && !target.value->isText())
              [[likely]] {
            target.value->type = v.type;
            target.value->payload = v.payload;
          } else {
            VariableTable* table = target.local ? locals : &globals_;
            LW_TRY(table->set(target.index, v, strings_));
          }
          if (s->target >= 0) {
            pos = s->target;
            LW_TRY(enterStatement(frame, pos));
            continue;  // the next statement's start is known
          }
          pos += 2 + used;
          break;
        }
        case DecodedStatement::kIf:
        case DecodedStatement::kWhile: {
          Value condition;
          int used = 0;
          LW_TRY(evaluateFrom(frame, decoded, s->expression, pos + 1, locals, condition, used));
          if (!condition.isLogic()) return ScriptError::BadArgumentType;
          if (condition.payload == 0) {
            if (s->toElse) ++depths.ifs;
            pos = s->target;
          } else if (s->kind == DecodedStatement::kIf) {
            ++depths.ifs;
            pos += 1 + used;
          } else {
            if (whileCount_ + 1 >= kLoopStackSize) return ScriptError::ExpressionTooComplex;
            whileStack_[whileCount_++] = pos + 1;
            ++depths.whiles;
            pos += 1 + used;
          }
          break;
        }
        case DecodedStatement::kElse:
          LW_TRY(leaveBlock(depths.ifs, ScriptError::BadIfBalance));
          pos = s->target;
          break;
        case DecodedStatement::kEndif:
          LW_TRY(leaveBlock(depths.ifs, ScriptError::BadIfBalance));
          ++pos;
          break;
        case DecodedStatement::kEndwhile: LW_TRY(runEndwhile(frame, pos, locals, depths)); break;
        case DecodedStatement::kEndfor: {
          const LoopStep step = stepNumberLoop(pos, locals, depths);
          if (step == LoopStep::kBack) {
            LW_TRY(enterStatement(frame, pos));
            continue;  // the body's start is known: no line ends to step over
          }
          if (step == LoopStep::kOther) LW_TRY(runEndfor(pos, locals, depths));
          break;
        }
        case DecodedStatement::kReturn: {
          if (result == nullptr) return ScriptError::CommandsCantReturnValue;
          int used = 0;
          LW_TRY(evaluateFrom(frame, decoded, s->expression, pos + 1, locals, *result, used));
          popRunLoops(depths);
          return ScriptError::None;
        }
      }
    }
    LW_TRY(nextStatement(frame, pos));
  }
}

}  // namespace lw
