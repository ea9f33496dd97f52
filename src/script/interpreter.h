// The interpreter: runs compiled scripts straight from their token arrays. It owns the state
// that all runs share: the string library, the globals, the expression stack, the loop stacks,
// the error-pending flag with its error context, and the settings kept for scripts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "script/bounded_string.h"
#include "script/builtin_table.h"
#include "script/compiled_script.h"
#include "script/decoded_script.h"
#include "script/error_codes.h"
#include "script/random_generator.h"
#include "script/script_error_report.h"
#include "script/script_frame.h"
#include "script/stack_room.h"
#include "script/string_library.h"
#include "script/value.h"
#include "script/variable_table.h"

namespace lw {

class ScriptHost;

class Interpreter {
 public:
  static constexpr int kExpressionStackSize = 40;
  static constexpr int kLoopStackSize = 20;
  static constexpr int kMinStackRoom = 2048;

  explicit Interpreter(ScriptHost& host);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // The start of a main-loop pass: frees every string slot, empties the expression and loop
  // stacks and clears the error-pending flag.
  void beginPass();

  // Runs the handler call whose name token is at `callPos` in the caller's script along the
  // chain that starts at `chain` (frames up to the one with `last` set). With `result` it is a
  // function call. `callLength` receives the call's tokens from its name to its ')'.
  ScriptError runHandlerOnChain(ScriptFrame* chain, ScriptFrame& caller, int callPos,
                                VariableTable* callerLocals, Value* result, int& callLength);

  // Looks the call up in one frame's script and runs it; NoSuchHandler when it has none.
  ScriptError findAndRunHandler(ScriptFrame& frame, ScriptFrame& caller, int callPos,
                                VariableTable* callerLocals, Value* result);

  // Runs statements from `pos` until the handler ends.
  ScriptError executeStatements(ScriptFrame& frame, int pos, VariableTable* locals, Value* result);

  ScriptError evaluateExpression(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                                 int& used);
  ScriptError evaluateOperand(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                              int& used);

  // Evaluates out.size() expressions separated by commas (ExpectedComma when one is missing).
  ScriptError readArguments(ScriptFrame& frame, int pos, VariableTable* locals,
                            std::span<Value> out, int& used);

  // The command dispatcher (commands and property writes) and the function dispatcher
  // (functions and property reads), for the keyword token at `pos`. `used` counts the whole
  // call from the keyword to its ')'.
  ScriptError dispatchCommand(ScriptFrame& frame, int pos, VariableTable* locals, int& used);
  ScriptError dispatchFunction(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                               int& used);

  // `global`/`local`/`dumpglobal`/`dumplocal` with the name list starting at `pos`.
  ScriptError declare(ScriptFrame& frame, int pos, VariableTable& table, bool remove, int& used);

  // Records a failure of `frame` as the pass's error context when none is pending yet, and
  // then tells the error listener.
  void recordError(const ScriptFrame& frame);

  // Hears each failure that recordError latches, once, with what a report shows; set by the
  // interpreter's owner (empty: failures are only latched).
  using ErrorListener = std::function<void(const ScriptErrorReport&)>;
  void setErrorListener(ErrorListener listener) { errorListener_ = std::move(listener); }

  // Bytes of machine stack left, after pumping window messages when a few ms have passed.
  // Inlined: every expression and handler run asks.
  [[gnu::always_inline]] int stackRoom() {
    if (pumpCountdown_-- == 0) pumpWhenDue();
    const std::ptrdiff_t room = stackGauge_.room();
    return room > INT32_MAX ? INT32_MAX : static_cast<int>(room);
  }

  // Whether scripts run from their pre-decoded form where they have one (the default), or by
  // walking their tokens only. Both give the same results; the walk is the reference that the
  // differential checks compare against.
  void setDecodedRuns(bool on) { decodedRuns_ = on; }
  [[nodiscard]] bool decodedRuns() const { return decodedRuns_; }

  // Looks the variable named by token `pos` up in the locals, then the globals.
  ScriptError findVariable(ScriptFrame& frame, int pos, VariableTable* locals,
                           VariableTable*& table, int& index) {
    Token* token = &frame.script->tokenData()[pos];
    const NameKey& key = frame.script->nameKey(pos);
    if (locals != nullptr && locals->find(key, token, index) == ScriptError::None) {
      table = locals;
      return ScriptError::None;
    }
    table = &globals_;
    return globals_.find(key, token, index);
  }

  StringLibrary& strings() { return strings_; }
  VariableTable& globals() { return globals_; }
  BuiltinTable& builtins() { return builtins_; }
  ScriptHost& host() { return host_; }
  StackGauge& stackGauge() { return stackGauge_; }
  // The random numbers of `random`; seeded with 0 until the owner seeds them.
  RandomGenerator& random() { return random_; }

  [[nodiscard]] bool errorPending() const { return errorPending_; }
  [[nodiscard]] const ScriptFrame& errorContext() const { return errorContext_; }

  // Settings kept for scripts.
  PString resultText;
  bool keyaborts = false;

  // Stack fill, for tests and diagnostics.
  [[nodiscard]] int expressionDepth() const { return exprCount_; }
  [[nodiscard]] int forDepth() const { return forCount_; }
  [[nodiscard]] int whileDepth() const { return whileCount_; }

 private:
  struct ForRecord {
    std::int16_t variable;  // index in the run's locals table
    std::int32_t end;
    std::int32_t step;
    std::int32_t body;           // the token after the for header
    std::int32_t bodyStatement;  // the first statement of the body, when `body` is a line end
  };
  // The blocks that one handler run has open.
  struct RunDepths {
    int ifs = 0;
    int switches = 0;
    int whiles = 0;
    int fors = 0;
  };
  // Counts one block of a kind as left; `balanceError` when the run has none open.
  static ScriptError leaveBlock(int& depth, ScriptError balanceError) {
    if (depth < 1) return balanceError;
    --depth;
    return ScriptError::None;
  }

  // Statements (statements.cpp): one statement of the token walk, which `ended` the run when
  // it was a return or the handler's end, and the step to the next statement.
  ScriptError walkStatement(ScriptFrame& frame, int& pos, VariableTable* locals, Value* result,
                            RunDepths& depths, bool& ended);
  ScriptError nextStatement(ScriptFrame& frame, int& pos);
  ScriptError evaluateCondition(ScriptFrame& frame, int pos, VariableTable* locals, bool& holds,
                                int& used);
  ScriptError runIf(ScriptFrame& frame, int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runSwitch(ScriptFrame& frame, int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runFor(ScriptFrame& frame, int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runEndfor(int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runWhile(ScriptFrame& frame, int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runEndwhile(ScriptFrame& frame, int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError runAssignment(ScriptFrame& frame, int& pos, VariableTable* locals);
  void popRunLoops(const RunDepths& depths);

  ScriptError callBuiltin(BuiltinTable::Slot builtin, ScriptFrame& frame, int pos,
                          VariableTable* locals, Value* result, int& used);

  // Expressions (expressions.cpp).
  ScriptError push(const Value& v);
  ScriptError reduce(int base, unsigned levels);
  ScriptError apply(std::uint16_t op, const Value& a, const Value& b, Value& result);
  ScriptError applyOperator(std::uint16_t op, Value& a, const Value& b);
  ScriptError applyTextOperator(std::uint16_t op, Value& a, const Value& b);
  ScriptError quickOperand(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                           int& used);
  ScriptError evaluateOtherOperand(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                                   int& used);

  ScriptError walkExpression(ScriptFrame& frame, int pos, VariableTable* locals, Value& out,
                             int& used);

  // The engine over a pre-decoded script (decoded_run.cpp).
  ScriptError runDecoded(ScriptFrame& frame, const DecodedScript& decoded, int pos,
                         VariableTable* locals, Value* result);
  ScriptError evaluateFrom(ScriptFrame& frame, const DecodedScript& decoded, std::int32_t index,
                           int pos, VariableTable* locals, Value& out, int& used);
  ScriptError evaluateDecodedAt(ScriptFrame& frame, const DecodedScript& decoded,
                                std::int32_t index, int pos, VariableTable* locals, Value& out,
                                int& used);
  ScriptError evaluateFlat(ScriptFrame& frame, const DecodedScript& decoded,
                           const DecodedExpression& e, VariableTable* locals, Value& out, int base);
  ScriptError applySteps(const DecodedScript& decoded, const DecodedExpression& e, Value* values,
                         int base);

  // Pre-decoded expressions (decoded_run.cpp), evaluated with `base` entries of the
  // expression stack in use.
  ScriptError evaluateDecoded(ScriptFrame& frame, const DecodedScript& decoded,
                              const DecodedExpression& e, VariableTable* locals, Value& out,
                              int base);
  ScriptError decodedVariable(ScriptFrame& frame, VariablePlace& place, int pos,
                              VariableTable* locals, Value& out);
  ScriptError notePlace(ScriptFrame& frame, VariablePlace& place, int pos, VariableTable* locals);
  ScriptError flatOperand(ScriptFrame& frame, const DecodedScript& decoded, const DecodedOperand& o,
                          VariableTable* locals, Value& out);
  enum class LoopStep { kOther, kBack, kOut };
  LoopStep stepNumberLoop(int& pos, VariableTable* locals, RunDepths& depths);
  ScriptError enterStatement(ScriptFrame& frame, int pos);
  ScriptError decodedOperand(ScriptFrame& frame, const DecodedScript& decoded,
                             const DecodedOperand& o, VariableTable* locals, Value& out, int fill);

  // Handlers (handler_runner.cpp).
  ScriptError bindAndRun(ScriptFrame& frame, int header, ScriptFrame& caller, int callPos,
                         VariableTable* callerLocals, VariableTable* locals, Value* result,
                         bool& matched);
  ScriptError bindPlain(const DecodedHandler& handler, ScriptFrame& frame, ScriptFrame& caller,
                        int callPos, VariableTable* callerLocals, VariableTable* locals,
                        Value* result);
  ScriptError findAndRunDecoded(const DecodedScript& decoded, ScriptFrame& frame,
                                ScriptFrame& caller, int callPos, VariableTable* callerLocals,
                                Value* result);
  std::unique_ptr<VariableTable> takeLocals();
  // Reads the clock every kPumpCheckEvery stack checks and pumps messages when it is time.
  void pumpWhenDue();
  void giveBackLocals(std::unique_ptr<VariableTable> table);

  ScriptHost& host_;
  StringLibrary strings_;
  VariableTable globals_;
  BuiltinTable builtins_;
  StackGauge stackGauge_;
  RandomGenerator random_;

  std::array<Value, kExpressionStackSize> exprStack_{};
  int exprCount_ = 0;
  std::array<ForRecord, kLoopStackSize> forStack_{};
  int forCount_ = 0;
  std::array<std::int32_t, kLoopStackSize> whileStack_{};
  int whileCount_ = 0;

  bool decodedRuns_ = true;
  bool errorPending_ = false;
  ScriptFrame errorContext_;
  ErrorListener errorListener_;

  std::vector<std::unique_ptr<VariableTable>> spareLocals_;  // reused by handler runs

  std::uint32_t pumpCountdown_ = 0;  // stackRoom calls until the clock is read again
  std::int64_t lastPumpNs_ = 0;
};

}  // namespace lw
