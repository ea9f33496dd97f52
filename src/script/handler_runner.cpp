// The handler runner: finds a handler along a script chain, binds its parameters and runs it.
//
// Caches kept in tokens of the running script (never in stored records):
//   `code` token value     distance in tokens to the next `code` token, -1 for none (0 unknown)
//   call name token aux    whether the name is an event handler name (1 no, 2 yes)
//   call '(' token aux     distance from the call's name to its closing ')' (0 unknown)

#include <limits>

#include "script/compiled_script.h"
#include "script/event_names.h"
#include "script/fold.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace lw {
namespace {

constexpr std::uint16_t kNotEventName = 1;
constexpr std::uint16_t kEventName = 2;

// The distance from a call's name token to its closing ')', counting nested parentheses; 0 when
// a line end or the end of the script comes first.
int CallLength(std::span<Token> tokens, int callPos) {
  Token& open = tokens[callPos + 1];
  if (open.code == tok::kOpenParen && open.aux != 0) return open.aux;
  int depth = 0;
  for (int p = callPos + 1;; ++p) {
    std::uint16_t code = tokens[p].code;
    if (code == tok::kLineEnd || code == tok::kEnd) return 0;
    if (code == tok::kOpenParen) ++depth;
    if (code == tok::kCloseParen && --depth < 1) {
      int length = p - callPos;
      if (open.code == tok::kOpenParen && length <= std::numeric_limits<std::uint16_t>::max()) {
        open.aux = static_cast<std::uint16_t>(length);
      }
      return length;
    }
  }
}

bool IsEventCall(CompiledScript& script, int callPos) {
  Token& name = script.tokens()[callPos];
  if (name.aux == 0) {
    bool event = name.code == tok::kName && IsEventHandlerName(script.textOf(callPos));
    name.aux = event ? kEventName : kNotEventName;
  }
  return name.aux == kEventName;
}

// The index of the `code` token after the one at `header`, or -1; cached in the token's value.
int NextHandler(CompiledScript& script, int header) {
  std::span<Token> tokens = script.tokens();
  Token& code = tokens[header];
  if (code.value == 0) {
    int p = header + 1;
    while (tokens[p].code != tok::kCode && tokens[p].code != tok::kEnd) ++p;
    code.value = tokens[p].code == tok::kCode ? p - header : -1;
  }
  return code.value < 0 ? -1 : header + code.value;
}

// Whether two name tokens name the same handler (fold-table equality).
bool SameName(const CompiledScript& a, int i, const CompiledScript& b, int j) {
  const NameKey& key = a.nameKey(i);
  if (!key.isLong()) return key == b.nameKey(j);
  return FoldEqual(a.textOf(i), b.textOf(j));
}

}  // namespace

ScriptError Interpreter::runHandlerOnChain(ScriptFrame* chain, ScriptFrame& caller, int callPos,
                                           VariableTable* callerLocals, Value* result,
                                           int& callLength) {
  if (stackRoom() < kMinStackRoom) return ScriptError::TooMuchRecursion;
  if (caller.script->tokens()[callPos].code != tok::kName) return ScriptError::BadArgumentType;
  int length = CallLength(caller.script->tokens(), callPos);
  if (length == 0) return ScriptError::ExpectedParen;
  callLength = length + 1;

  for (ScriptFrame* frame = chain;; ++frame) {
    ScriptError e = findAndRunHandler(*frame, caller, callPos, callerLocals, result);
    if (e == ScriptError::None) return e;
    if (e != ScriptError::NoSuchHandler) {
      frame->errorCode = e;
      recordError(*frame);
      return e;
    }
    if (!frame->last) continue;
    if (IsEventCall(*caller.script, callPos)) {
      if (result != nullptr) *result = Value::None();
      return ScriptError::None;
    }
    caller.errorCode = e;
    caller.statementPos = callPos;
    recordError(caller);
    return e;
  }
}

ScriptError Interpreter::findAndRunHandler(ScriptFrame& frame, ScriptFrame& caller, int callPos,
                                           VariableTable* callerLocals, Value* result) {
  if (const DecodedScript* decoded = frame.script->decoded(); decoded != nullptr && decodedRuns_) {
    return findAndRunDecoded(*decoded, frame, caller, callPos, callerLocals, result);
  }
  std::span<Token> tokens = frame.script->tokens();
  int header = 0;
  while (tokens[header].code != tok::kCode) {
    if (tokens[header].code == tok::kEnd) return ScriptError::NoSuchHandler;
    ++header;
  }

  std::unique_ptr<VariableTable> locals = takeLocals();
  ScriptError e = ScriptError::NoSuchHandler;
  while (header >= 0) {
    bool matched = false;
    frame.statementPos = header;
    e = bindAndRun(frame, header, caller, callPos, callerLocals, locals.get(), result, matched);
    if (matched) break;
    header = NextHandler(*frame.script, header);
    e = ScriptError::NoSuchHandler;
  }
  giveBackLocals(std::move(locals));
  return e;
}

// The same search over the decoded list of handlers: the first whose name matches the call is
// bound and run. As in the walk, the frame's statement is the last header tried.
ScriptError Interpreter::findAndRunDecoded(const DecodedScript& decoded, ScriptFrame& frame,
                                           ScriptFrame& caller, int callPos,
                                           VariableTable* callerLocals, Value* result) {
  const std::vector<DecodedHandler>& handlers = decoded.handlers();
  if (handlers.empty()) return ScriptError::NoSuchHandler;
  const NameKey& key = caller.script->nameKey(callPos);
  for (const DecodedHandler& handler : handlers) {
    const bool same = handler.match == DecodedHandler::kByKey
                          ? handler.key == key
                          : handler.match == DecodedHandler::kByText &&
                                FoldEqual(frame.script->textOf(handler.header + 1),
                                          caller.script->textOf(callPos));
    if (!same) continue;
    frame.statementPos = handler.header;
    std::unique_ptr<VariableTable> locals = takeLocals();
    ScriptError e = ScriptError::None;
    if (handler.body >= 0) {
      e = bindPlain(handler, frame, caller, callPos, callerLocals, locals.get(), result);
    } else {
      bool matched = false;
      e = bindAndRun(frame, handler.header, caller, callPos, callerLocals, locals.get(), result,
                     matched);
    }
    giveBackLocals(std::move(locals));
    return e;
  }
  frame.statementPos = handlers.back().header;
  return ScriptError::NoSuchHandler;
}

// bindAndRun for a handler whose header has the plain shape, which the decoder has checked:
// the same steps and errors, in the same order, without reading the header again.
ScriptError Interpreter::bindPlain(const DecodedHandler& handler, ScriptFrame& frame,
                                   ScriptFrame& caller, int callPos, VariableTable* callerLocals,
                                   VariableTable* locals, Value* result) {
  Token* tokens = frame.script->tokenData();
  const Token* call = caller.script->tokenData();
  int c = callPos + 1;
  if (call[c].code != tok::kOpenParen) return ScriptError::ExpectedParen;
  ++c;
  for (int i = 0, h = handler.header + 3; i < handler.parameters; ++i, h += 2) {
    if (i > 0) {
      if (call[c].code != tok::kComma) return ScriptError::ExpectedComma;
      ++c;
    }
    int index = 0;
    LW_TRY(locals->add(frame.script->nameKey(h), frame.script->textOf(h), &tokens[h], index));
    Value argument;
    int n = 0;
    LW_TRY(evaluateExpression(caller, c, callerLocals, argument, n));
    LW_TRY(locals->set(index, argument, strings_));
    c += n;
  }
  if (call[c].code != tok::kCloseParen) return ScriptError::ExpectedParen;
  // A new run: variables that runs before it found among their locals are not its own.
  VariableTable::ChangeLayout();
  return executeStatements(frame, handler.body, locals, result);
}

ScriptError Interpreter::bindAndRun(ScriptFrame& frame, int header, ScriptFrame& caller,
                                    int callPos, VariableTable* callerLocals, VariableTable* locals,
                                    Value* result, bool& matched) {
  std::span<Token> tokens = frame.script->tokens();
  std::span<Token> call = caller.script->tokens();
  int h = header + 1;
  if (tokens[h].code != tok::kName || !SameName(*frame.script, h, *caller.script, callPos)) {
    return ScriptError::None;
  }
  matched = true;
  ++h;
  int c = callPos + 1;
  if (tokens[h].code != tok::kOpenParen || call[c].code != tok::kOpenParen) {
    return ScriptError::ExpectedParen;
  }
  ++h;
  ++c;
  if (tokens[h].code != tok::kCloseParen) {
    while (true) {
      if (tokens[h].code != tok::kName) return ScriptError::BadArgumentType;
      int index = 0;
      LW_TRY(locals->add(frame.script->nameKey(h), frame.script->textOf(h), &tokens[h], index));
      Value argument;
      int n = 0;
      LW_TRY(evaluateExpression(caller, c, callerLocals, argument, n));
      LW_TRY(locals->set(index, argument, strings_));
      c += n;
      ++h;
      if (tokens[h].code == tok::kCloseParen) break;
      if (tokens[h].code != tok::kComma) return ScriptError::ExpectedParen;
      if (call[c].code != tok::kComma) return ScriptError::ExpectedComma;
      ++h;
      ++c;
    }
  }
  if (call[c].code != tok::kCloseParen) return ScriptError::ExpectedParen;
  ++h;
  while (tokens[h].code == tok::kLineEnd) ++h;
  // A new run: variables that runs before it found among their locals are not its own.
  VariableTable::ChangeLayout();
  return executeStatements(frame, h, locals, result);
}

}  // namespace lw
