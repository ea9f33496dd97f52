#include "script/handler_call.h"

#include <optional>
#include <utility>

#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/tokenizer.h"

namespace lw {

ScriptFrame SystemFrame(CompiledScript& script, std::string_view title) {
  ScriptFrame frame;
  frame.last = true;
  frame.script = &script;
  frame.me = Name15::truncated(kSystemName);
  frame.target = frame.me;
  frame.title = Title17::truncated(title);
  return frame;
}

SystemScriptHold::SystemScriptHold(ScriptHost& host)
    : host_(host), script_(host.acquireSystemScript()) {}

SystemScriptHold::~SystemScriptHold() { host_.releaseSystemScript(script_); }

ScriptError RunCallOnSystemScript(Interpreter& in, CompiledScript* system, CompiledScript& call,
                                  Value* result) {
  std::optional<CompiledScript> empty;  // stands in for a missing system script
  ScriptFrame chain = SystemFrame(system != nullptr ? *system : empty.emplace());
  ScriptFrame caller = SystemFrame(call);
  int callLength = 0;
  return in.runHandlerOnChain(&chain, caller, 0, nullptr, result, callLength);
}

FixedHandlerCall::FixedHandlerCall(std::string_view text)
    : text_(text), call_(std::move(CompileScriptText(text).value())) {
  call_.decode();
}

ScriptError FixedHandlerCall::run(Interpreter& in, ScriptHost& host) {
  SystemScriptHold hold(host);
  return RunCallOnSystemScript(in, hold.script(), call_, nullptr);
}

ScriptError RunHandlerCall(Interpreter& in, ScriptHost& host, std::string_view text) {
  auto call = CompileScriptText(text);
  if (!call) return ScriptError::TokenizationError;
  SystemScriptHold hold(host);
  return RunCallOnSystemScript(in, hold.script(), *call, nullptr);
}

}  // namespace lw
