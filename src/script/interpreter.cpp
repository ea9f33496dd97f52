#include "script/interpreter.h"

#include <chrono>

#include "script/compiled_script.h"
#include "script/script_host.h"

namespace lw {
namespace {

// Window messages are dispatched from stackRoom at most this often, and the clock is read only
// every kPumpCheckEvery calls, so the check stays cheap on the interpreter's hot path.
constexpr std::int64_t kPumpIntervalNs = 4'000'000;
constexpr std::uint32_t kPumpCheckEvery = 256;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

Interpreter::Interpreter(ScriptHost& host) : host_(host), strings_(host) {
  WireTextBuiltins(builtins_);
  WireBootBuiltins(builtins_);
  WireMathBuiltins(builtins_);
}

Interpreter::~Interpreter() = default;

void Interpreter::beginPass() {
  strings_.reset();
  exprCount_ = 0;
  forCount_ = 0;
  whileCount_ = 0;
  errorPending_ = false;
}

void Interpreter::recordError(const ScriptFrame& frame) {
  if (frame.errorCode != ScriptError::None && !errorPending_) {
    errorContext_ = frame;
    errorPending_ = true;
    // The report is made here, while the frame's script is still held by its run.
    if (errorListener_) errorListener_(MakeScriptErrorReport(frame, host_));
  }
}

void Interpreter::pumpWhenDue() {
  pumpCountdown_ = kPumpCheckEvery;
  std::int64_t now = NowNs();
  if (now - lastPumpNs_ >= kPumpIntervalNs) {
    lastPumpNs_ = now;
    host_.pumpMessages();
  }
}

std::unique_ptr<VariableTable> Interpreter::takeLocals() {
  if (spareLocals_.empty()) return std::make_unique<VariableTable>();
  std::unique_ptr<VariableTable> table = std::move(spareLocals_.back());
  spareLocals_.pop_back();
  return table;
}

void Interpreter::giveBackLocals(std::unique_ptr<VariableTable> table) {
  table->clear();
  spareLocals_.push_back(std::move(table));
}

ScriptError Interpreter::declare(ScriptFrame& frame, int pos, VariableTable& table, bool remove,
                                 int& used) {
  std::span<Token> tokens = frame.script->tokens();
  int p = pos;
  while (true) {
    if (tokens[p].code != tok::kName) return ScriptError::BadArgumentType;
    std::string_view name = frame.script->textOf(p);
    if (remove) {
      LW_TRY(table.remove(name));
    } else {
      int index = 0;
      LW_TRY(table.add(name, &tokens[p], index));
    }
    ++p;
    if (tokens[p].code != tok::kComma) break;
    ++p;
  }
  used = p - pos;
  return ScriptError::None;
}

ScriptError Interpreter::dispatchCommand(ScriptFrame& frame, int pos, VariableTable* locals,
                                         int& used) {
  std::uint16_t code = frame.script->tokenData()[pos].code;
  BuiltinTable::Slot builtin = builtins_.command(code);
  if (!builtin) builtin = builtins_.propertyWrite(code);
  return callBuiltin(builtin, frame, pos, locals, nullptr, used);
}

ScriptError Interpreter::dispatchFunction(ScriptFrame& frame, int pos, VariableTable* locals,
                                          Value& out, int& used) {
  std::uint16_t code = frame.script->tokenData()[pos].code;
  BuiltinTable::Slot builtin = builtins_.function(code);
  if (!builtin) builtin = builtins_.propertyRead(code);
  return callBuiltin(builtin, frame, pos, locals, &out, used);
}

// The calling convention of every built-in: the keyword, '(', the arguments that the built-in
// reads itself, and ')'.
ScriptError Interpreter::callBuiltin(BuiltinTable::Slot builtin, ScriptFrame& frame, int pos,
                                     VariableTable* locals, Value* result, int& used) {
  if (!builtin) return ScriptError::BadName;
  const Token* tokens = frame.script->tokenData();
  if (tokens[pos + 1].code != tok::kOpenParen) return ScriptError::ExpectedParen;
  BuiltinCall call{*this, frame, locals, pos + 2, result};
  LW_TRY(builtin(call));
  if (tokens[call.pos + call.used].code != tok::kCloseParen) return ScriptError::ExpectedParen;
  used = call.pos + call.used + 1 - pos;
  return ScriptError::None;
}

}  // namespace lw
