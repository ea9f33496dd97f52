// Statements: the statement loop of a handler run and the block statements.
//
// There is no parse tree: each statement is recognised by its first token every time it runs,
// and blocks that are not taken are skipped by a forward scan that counts nesting. A scan that
// succeeds is remembered in the auxiliary word of the token it started from (the distance to
// the token found), so a loop or branch scans once per script copy.

#include <algorithm>
#include <limits>

#include "script/compiled_script.h"
#include "script/fold.h"
#include "script/interpreter.h"
#include "script/next_statement.h"
#include "script/script_host.h"

namespace lw {

namespace {

// Finds, from `pos`, the first `close` (or `alsoStop`, when not 0) at nesting 0, counting
// nested `open`/`close` pairs. `endcode` gives `atEndcode`; the end of the script gives
// ExpectedReturn. The result is cached in `anchor`'s auxiliary word as a distance from
// `anchorPos`.
ScriptError SkipForward(std::span<Token> tokens, int anchorPos, int pos, std::uint16_t open,
                        std::uint16_t close, std::uint16_t alsoStop, ScriptError atEndcode,
                        int& found) {
  Token& anchor = tokens[anchorPos];
  if (anchor.aux != 0) {
    found = anchorPos + anchor.aux;
    return ScriptError::None;
  }
  int depth = 0;
  for (int p = pos;; ++p) {
    std::uint16_t code = tokens[p].code;
    if (code == tok::kEnd) return ScriptError::ExpectedReturn;
    if (code == tok::kEndcode) return atEndcode;
    if (code == open) {
      ++depth;
    } else if (depth == 0 && (code == close || (alsoStop != 0 && code == alsoStop))) {
      found = p;
      if (p - anchorPos <= std::numeric_limits<std::uint16_t>::max()) {
        anchor.aux = static_cast<std::uint16_t>(p - anchorPos);
      }
      return ScriptError::None;
    } else if (code == close) {
      --depth;
    }
  }
}

// The position of the next line end (or end token) at or after `pos`.
int EndOfLine(std::span<const Token> tokens, int pos) {
  while (tokens[pos].code != tok::kLineEnd && tokens[pos].code != tok::kEnd) ++pos;
  return pos;
}

}  // namespace

ScriptError Interpreter::executeStatements(ScriptFrame& frame, int pos, VariableTable* locals,
                                           Value* result) {
  if (const DecodedScript* decoded = frame.script->decoded(); decoded != nullptr && decodedRuns_) {
    return runDecoded(frame, *decoded, pos, locals, result);
  }
  RunDepths depths;
  frame.statementPos = pos;
  while (true) {
    bool ended = false;
    const ScriptError e = walkStatement(frame, pos, locals, result, depths, ended);
    if (e != ScriptError::None || ended) return e;
    LW_TRY(nextStatement(frame, pos));
  }
}

ScriptError Interpreter::walkStatement(ScriptFrame& frame, int& pos, VariableTable* locals,
                                       Value* result, RunDepths& depths, bool& ended) {
  std::span<Token> tokens = frame.script->tokens();
  switch (tokens[pos].code) {
    case tok::kGlobal:
    case tok::kDumpglobal:
    case tok::kLocal:
    case tok::kDumplocal: {
      std::uint16_t code = tokens[pos].code;
      bool global = code == tok::kGlobal || code == tok::kDumpglobal;
      if (!global && locals == nullptr) return ScriptError::NoSuchVariable;
      int used = 0;
      LW_TRY(declare(frame, pos + 1, global ? globals_ : *locals,
                     code == tok::kDumpglobal || code == tok::kDumplocal, used));
      pos += 1 + used;
      return ScriptError::None;
    }
    case tok::kIf: return runIf(frame, pos, locals, depths);
    case tok::kElse:  // the end of a branch that ran: skip to after the matching endif
      LW_TRY(leaveBlock(depths.ifs, ScriptError::BadIfBalance));
      LW_TRY(SkipForward(tokens, pos, pos + 1, tok::kIf, tok::kEndif, 0, ScriptError::BadIfBalance,
                         pos));
      ++pos;
      return ScriptError::None;
    case tok::kEndif:
      LW_TRY(leaveBlock(depths.ifs, ScriptError::BadIfBalance));
      ++pos;
      return ScriptError::None;
    case tok::kSwitch: return runSwitch(frame, pos, locals, depths);
    case tok::kCase:  // the end of a case that ran: no fall-through into the next
      LW_TRY(leaveBlock(depths.switches, ScriptError::BadSwitchBalance));
      LW_TRY(SkipForward(tokens, pos, pos + 1, tok::kSwitch, tok::kEndswitch, 0,
                         ScriptError::BadSwitchBalance, pos));
      ++pos;
      return ScriptError::None;
    case tok::kEndswitch:
      LW_TRY(leaveBlock(depths.switches, ScriptError::BadSwitchBalance));
      ++pos;
      return ScriptError::None;
    case tok::kFor: return runFor(frame, pos, locals, depths);
    case tok::kEndfor: return runEndfor(pos, locals, depths);
    case tok::kWhile: return runWhile(frame, pos, locals, depths);
    case tok::kEndwhile: return runEndwhile(frame, pos, locals, depths);
    case tok::kReturn: {
      ended = true;
      if (result == nullptr) return ScriptError::CommandsCantReturnValue;
      int used = 0;
      LW_TRY(evaluateExpression(frame, pos + 1, locals, *result, used));
      popRunLoops(depths);
      return ScriptError::None;
    }
    case tok::kExitcode:
      ended = true;
      popRunLoops(depths);
      return result != nullptr ? ScriptError::FunctionsMustReturnValue : ScriptError::None;
    case tok::kPasscode:
      ended = true;
      popRunLoops(depths);
      return result != nullptr ? ScriptError::FunctionsMustReturnValue : ScriptError::NoSuchHandler;
    case tok::kEndcode:
      ended = true;
      if (depths.ifs != 0) return ScriptError::BadIfBalance;
      if (depths.fors != 0) return ScriptError::BadForBalance;
      if (depths.whiles != 0) return ScriptError::ExpectedEndwhile;
      if (depths.switches != 0) return ScriptError::BadSwitchBalance;
      return result != nullptr ? ScriptError::FunctionsMustReturnValue : ScriptError::None;
    case tok::kName:
      if (tokens[pos + 1].code == tok::kOpenParen) {
        int used = 0;
        LW_TRY(runHandlerOnChain(&frame, frame, pos, locals, nullptr, used));
        pos += used;
        return ScriptError::None;
      }
      return runAssignment(frame, pos, locals);
    default: {
      if (!tok::IsCommandDispatch(tokens[pos].code)) return ScriptError::BadArgumentType;
      int used = 0;
      LW_TRY(dispatchCommand(frame, pos, locals, used));
      pos += used;
      return ScriptError::None;
    }
  }
}

void Interpreter::popRunLoops(const RunDepths& depths) {
  forCount_ = std::max(0, forCount_ - depths.fors);
  whileCount_ = std::max(0, whileCount_ - depths.whiles);
}

ScriptError Interpreter::runAssignment(ScriptFrame& frame, int& pos, VariableTable* locals) {
  VariableTable* table = nullptr;
  int index = 0;
  LW_TRY(findVariable(frame, pos, locals, table, index));
  if (frame.script->tokens()[pos + 1].code != tok::kEqual) return ScriptError::ExpectedEqualSign;
  Value v;
  int used = 0;
  LW_TRY(evaluateExpression(frame, pos + 2, locals, v, used));
  LW_TRY(table->set(index, v, strings_));
  pos += 2 + used;
  return ScriptError::None;
}

// Evaluates the condition of an if or a while, which must be a logic value.
ScriptError Interpreter::evaluateCondition(ScriptFrame& frame, int pos, VariableTable* locals,
                                           bool& holds, int& used) {
  Value condition;
  LW_TRY(evaluateExpression(frame, pos, locals, condition, used));
  if (!condition.isLogic()) return ScriptError::BadArgumentType;
  holds = condition.payload != 0;
  return ScriptError::None;
}

// if condition: runs the lines after it when true; else jumps past the matching `else` (and
// runs what follows it) or to after the matching `endif`.
ScriptError Interpreter::runIf(ScriptFrame& frame, int& pos, VariableTable* locals,
                               RunDepths& depths) {
  std::span<Token> tokens = frame.script->tokens();
  bool holds = false;
  int used = 0;
  LW_TRY(evaluateCondition(frame, pos + 1, locals, holds, used));
  if (holds) {
    ++depths.ifs;
    pos += 1 + used;
    return ScriptError::None;
  }
  int found = 0;
  LW_TRY(SkipForward(tokens, pos, pos + 1 + used, tok::kIf, tok::kEndif, tok::kElse,
                     ScriptError::BadIfBalance, found));
  if (tokens[found].code == tok::kElse) ++depths.ifs;
  pos = found + 1;
  return ScriptError::None;
}

// switch value: runs the lines after the first `case` whose value matches (and after any
// `case` lines directly below it), or continues after `endswitch`.
ScriptError Interpreter::runSwitch(ScriptFrame& frame, int& pos, VariableTable* locals,
                                   RunDepths& depths) {
  std::span<Token> tokens = frame.script->tokens();
  Value subject;
  int used = 0;
  LW_TRY(evaluateExpression(frame, pos + 1, locals, subject, used));
  if (!subject.isNumber() && !subject.isText()) return ScriptError::BadArgumentType;
  PString subjectText;
  if (subject.isText()) LW_TRY(strings_.take(subject, subjectText));

  int p = pos + 1 + used;
  int depth = 0;
  for (;; ++p) {
    std::uint16_t code = tokens[p].code;
    if (code == tok::kEnd) return ScriptError::ExpectedReturn;
    if (code == tok::kEndcode) return ScriptError::BadSwitchBalance;
    if (code == tok::kSwitch) {
      ++depth;
    } else if (code == tok::kEndswitch) {
      if (depth == 0) {
        pos = p + 1;
        return ScriptError::None;
      }
      --depth;
    } else if (code == tok::kCase && depth == 0) {
      Value candidate;
      LW_TRY(evaluateExpression(frame, p + 1, locals, candidate, used));
      if (candidate.type != subject.type) return ScriptError::BadArgumentType;
      bool match = false;
      if (candidate.isNumber()) {
        match = candidate.payload == subject.payload;
      } else {
        PString text;
        LW_TRY(strings_.take(candidate, text));
        match = FoldEqual(text.view(), subjectText.view());
      }
      p += used;  // the loop's ++p steps past the case expression's last token
      if (match) break;
    }
  }
  // Case lines directly below the matching one share its body.
  int q = p + 1;
  while (true) {
    int next = q;
    while (tokens[next].code == tok::kLineEnd) ++next;
    if (next == q || tokens[next].code != tok::kCase) break;
    q = EndOfLine(tokens, next);
  }
  ++depths.switches;
  pos = q;
  return ScriptError::None;
}

// for name = a to b [step s]: a loop over a local number variable.
ScriptError Interpreter::runFor(ScriptFrame& frame, int& pos, VariableTable* locals,
                                RunDepths& depths) {
  std::span<Token> tokens = frame.script->tokens();
  int p = pos + 1;
  if (tokens[p].code != tok::kName) return ScriptError::BadArgumentType;
  if (locals == nullptr) return ScriptError::NoSuchVariable;
  int index = 0;
  LW_TRY(locals->add(frame.script->nameKey(p), frame.script->textOf(p), &tokens[p], index));
  if (tokens[++p].code != tok::kEqual) return ScriptError::ExpectedEqualSign;
  Value start, end, step = Value::Number(1);
  int used = 0;
  LW_TRY(evaluateExpression(frame, ++p, locals, start, used));
  if (!start.isNumber()) return ScriptError::BadArgumentType;
  LW_TRY(locals->set(index, start, strings_));
  p += used;
  if (tokens[p].code != tok::kTo) return ScriptError::ExpectedTo;
  LW_TRY(evaluateExpression(frame, ++p, locals, end, used));
  if (!end.isNumber()) return ScriptError::BadArgumentType;
  p += used;
  if (tokens[p].code == tok::kStep) {
    LW_TRY(evaluateExpression(frame, ++p, locals, step, used));
    if (!step.isNumber()) return ScriptError::BadArgumentType;
    p += used;
  }

  if ((step.payload > 0 && end.payload < start.payload) ||
      (step.payload < 0 && end.payload > start.payload)) {
    int found = 0;
    LW_TRY(
        SkipForward(tokens, pos, p, tok::kFor, tok::kEndfor, 0, ScriptError::BadForBalance, found));
    pos = found + 1;
    return ScriptError::None;
  }
  // The push that fills the last record fails: at most 19 loops are active.
  if (forCount_ + 1 >= kLoopStackSize) return ScriptError::ExpressionTooComplex;
  int first = p;  // the body's first statement, past the header's line end
  while (tokens[first].code == tok::kLineEnd) ++first;
  forStack_[forCount_++] = {static_cast<std::int16_t>(index), end.payload, step.payload, p, first};
  ++depths.fors;
  pos = p;
  return ScriptError::None;
}

// endfor: steps the innermost loop's variable and goes back to its body while it is in range.
ScriptError Interpreter::runEndfor(int& pos, VariableTable* locals, RunDepths& depths) {
  if (depths.fors < 1 || forCount_ < 1 || locals == nullptr) return ScriptError::BadForBalance;
  const ForRecord& loop = forStack_[forCount_ - 1];
  Value v;
  LW_TRY(locals->get(loop.variable, strings_, v));
  if (!v.isNumber()) return ScriptError::BadArgumentType;
  v = Value::Number(static_cast<std::int32_t>(static_cast<std::uint32_t>(v.payload) +
                                              static_cast<std::uint32_t>(loop.step)));
  LW_TRY(locals->set(loop.variable, v, strings_));
  bool goOn = loop.step < 0 ? loop.end <= v.payload : loop.end >= v.payload;
  if (goOn) {
    pos = loop.body;
  } else {
    --forCount_;
    --depths.fors;
    ++pos;
  }
  return ScriptError::None;
}

// while condition: runs the lines below while the condition holds.
ScriptError Interpreter::runWhile(ScriptFrame& frame, int& pos, VariableTable* locals,
                                  RunDepths& depths) {
  std::span<Token> tokens = frame.script->tokens();
  bool holds = false;
  int used = 0;
  LW_TRY(evaluateCondition(frame, pos + 1, locals, holds, used));
  if (holds) {
    if (whileCount_ + 1 >= kLoopStackSize) return ScriptError::ExpressionTooComplex;
    whileStack_[whileCount_++] = pos + 1;
    ++depths.whiles;
    pos += 1 + used;
    return ScriptError::None;
  }
  int found = 0;
  LW_TRY(SkipForward(tokens, pos, pos + 1 + used, tok::kWhile, tok::kEndwhile, 0,
                     ScriptError::ExpectedEndwhile, found));
  pos = found + 1;
  return ScriptError::None;
}

// endwhile: evaluates the innermost loop's condition again and goes back while it holds.
ScriptError Interpreter::runEndwhile(ScriptFrame& frame, int& pos, VariableTable* locals,
                                     RunDepths& depths) {
  if (depths.whiles < 1 || whileCount_ < 1) return ScriptError::ExpectedEndwhile;
  int conditionPos = whileStack_[whileCount_ - 1];
  bool holds = false;
  int used = 0;
  LW_TRY(evaluateCondition(frame, conditionPos, locals, holds, used));
  if (holds) {
    pos = conditionPos + used;
  } else {
    --whileCount_;
    --depths.whiles;
    ++pos;
  }
  return ScriptError::None;
}

}  // namespace lw
