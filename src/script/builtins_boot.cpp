// Built-ins that reach the system script: sendtoboot, sendtobootfx and bootscript.

#include <optional>

#include "script/builtin_table.h"
#include "script/compiled_script.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace lw {
namespace {

// Runs the handler call written at the call's first argument on a one-frame chain for the
// system script; the sender's frame and locals evaluate its arguments.
ScriptError SendToBoot(BuiltinCall& c, Value* result) {
  if (c.frame.script->tokens()[c.pos].code != tok::kName) return ScriptError::BadArgumentType;
  ScriptHost& host = c.in.host();
  CompiledScript* system = host.acquireSystemScript();
  std::optional<CompiledScript> empty;  // stands in for a missing system script
  ScriptFrame boot = SystemFrame(system != nullptr ? *system : empty.emplace());
  ScriptError e = c.in.runHandlerOnChain(&boot, c.frame, c.pos, c.locals, result, c.used);
  host.releaseSystemScript(system);
  return e;
}

// sendtoboot(call): runs a handler of the system script as a command.
ScriptError SendToBootCommand(BuiltinCall& c) { return SendToBoot(c, nullptr); }

// sendtobootfx(call): runs a handler of the system script as a function; yields its value.
ScriptError SendToBootFunction(BuiltinCall& c) { return SendToBoot(c, c.result); }

// bootscript(): empties the result text.
ScriptError BootScript(BuiltinCall& c) {
  c.in.resultText.clear();
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr BuiltinEntry<> kBootBuiltins[] = {
    {"sendtoboot",
     kCommand,
     SendToBootCommand,
     {"call: call",
      "",
      {ScriptError::NoSuchHandler, ScriptError::CommandsCantReturnValue},
      "Runs a handler of the system script as a command: sendtoboot(hello(1))."}},
    {"sendtobootfx",
     kFunction,
     SendToBootFunction,
     {"call: call",
      "any",
      {ScriptError::NoSuchHandler, ScriptError::FunctionsMustReturnValue},
      "Runs a handler of the system script as a function and gives what it returns."}},
    {"bootscript", kCommand, BootScript, {"", "", {}, "Empties the result text."}},
};

}  // namespace

void WireBootBuiltins(BuiltinTable& table) { table.wire<kBootBuiltins>(); }
void DescribeBootBuiltins(BuiltinTable& catalog) { catalog.describe<kBootBuiltins>(); }

}  // namespace lw
