// Runs handler calls through both of the interpreter's engines (the pre-decoded form and the
// token walk), each in an interpreter of its own over its own copy of the script, and describes
// what a title could observe afterwards: the outcome, the statements run, the error context,
// the stack fills and every global. The differential test and fuzz target compare the two
// descriptions; no gtest here, so that the fuzz target can use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/compiled_script.h"
#include "script/console.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/tokenizer.h"

namespace lw::testing {

// A host that counts the statements run (the interpreter asks for Escape before each one when
// keyaborts is set) and ends a run after a budget of them, and that notes fatal reports.
class CountingHost : public ScriptHost {
 public:
  explicit CountingHost(int budget) : budget_(budget) {}
  bool escapeDown() override { return ++statements > budget_; }
  void reportFatal(std::int16_t code, std::int16_t line) override {
    fatals += std::to_string(code) + "/" + std::to_string(line) + " ";
  }
  CompiledScript* acquireSystemScript() override { return system; }

  int statements = 0;
  std::string fatals;
  CompiledScript* system = nullptr;

 private:
  int budget_;
};

// The value as a trace shows it: a number, true/false, a quoted text, or none.
inline std::string DescribeValue(Interpreter& in, const Value& v) {
  if (v.isNumber()) return std::to_string(v.payload);
  if (v.isLogic()) return v.payload != 0 ? "true" : "false";
  if (v.isText()) {
    PString text;
    if (in.strings().take(v, text) != ScriptError::None) return "<lost text>";
    return "\"" + std::string(text.view()) + "\"";
  }
  return "none";
}

// Everything observable after a run, in one line.
inline std::string DescribeState(Interpreter& in, const CountingHost& host,
                                 const CompiledScript& script) {
  std::string state = "statements " + std::to_string(host.statements) + "; fills " +
                      std::to_string(in.expressionDepth()) + "/" + std::to_string(in.forDepth()) +
                      "/" + std::to_string(in.whileDepth());
  if (in.errorPending()) {
    const ScriptFrame& context = in.errorContext();
    state += "; error " + std::to_string(static_cast<int>(context.errorCode)) + " at " +
             std::to_string(context.statementPos) + (context.script == &script ? " in script" : "");
  }
  state += "; globals";
  VariableTable& globals = in.globals();
  for (int i = 0; i < globals.count(); ++i) {
    Value v;
    state += " " + std::string(globals.nameAt(i)) + "=";
    state += globals.get(i, in.strings(), v) == ScriptError::None ? DescribeValue(in, v) : "?";
  }
  if (!host.fatals.empty()) state += "; fatal " + host.fatals;
  return state;
}

// Runs `callText` against a copy of `script`, decoded and run from its decoded form, or run by
// the token walk; gives the outcome and the state after it. The statement budget also bounds
// recursion, and must keep it well short of the machine stack's end: there the two engines,
// whose frames differ in size, would stop at different depths with "Too much recursion.".
inline std::string ObservedRun(const CompiledScript& script, std::string_view callText,
                               bool asFunction, bool decoded, int statementBudget = 500) {
  CompiledScript copy = script;
  if (decoded) copy.decode();
  CountingHost host(statementBudget);
  host.system = &copy;
  Interpreter in(host);
  in.setDecodedRuns(decoded);
  in.keyaborts = true;
  auto call = CompileScriptText(callText);
  if (!call) return "call does not compile";
  ScriptFrame frame;
  frame.script = &copy;
  frame.me = Name15::truncated("Me");
  frame.target = Name15::truncated("Target");
  ScriptFrame caller;
  caller.script = &call.value();
  in.beginPass();
  Value result;
  int length = 0;
  const ScriptError error =
      in.runHandlerOnChain(&frame, caller, 0, nullptr, asFunction ? &result : nullptr, length);
  return DescribeOutcome(in, error, asFunction ? &result : nullptr) + "; " +
         DescribeState(in, host, copy);
}

}  // namespace lw::testing
