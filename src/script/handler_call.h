// Handler calls that the runtime itself makes: a one-line call text such as keydown("a") or
// idle(), compiled and run against the system script (record 1 of the boot file) in a frame of
// the system's own, whose object name is "System" and whose message title is "Boot Message: ".
#pragma once

#include <string_view>

#include "script/compiled_script.h"
#include "script/error_codes.h"
#include "script/script_frame.h"
#include "script/value.h"

namespace lw {

class Interpreter;
class ScriptHost;

// A frame of the system's own over `script`: me and target "System", the message title given
// (a boot message's unless said), the last frame of its chain.
[[nodiscard]] ScriptFrame SystemFrame(CompiledScript& script,
                                      std::string_view title = kBootMessageTitle);

// Holds the system script for one run: one acquire on construction, one release on
// destruction. script() is null when the host has no system script.
class SystemScriptHold {
 public:
  explicit SystemScriptHold(ScriptHost& host);
  ~SystemScriptHold();
  SystemScriptHold(const SystemScriptHold&) = delete;
  SystemScriptHold& operator=(const SystemScriptHold&) = delete;

  [[nodiscard]] CompiledScript* script() const { return script_; }

 private:
  ScriptHost& host_;
  CompiledScript* script_;
};

// Runs the compiled call `call` (a handler call starting at its first token) on the one-frame
// chain of `system`; a null `system` stands for a system script without handlers, so that the
// event handlers still answer without error. With `result` the call is a function call.
ScriptError RunCallOnSystemScript(Interpreter& in, CompiledScript* system, CompiledScript& call,
                                  Value* result);

// A handler call text compiled once, for the calls the runtime makes on every pass (boot(),
// idle(), menustate()): each run reuses the tokens, decoded, with the caches the interpreter
// keeps in them. The text must compile.
class FixedHandlerCall {
 public:
  explicit FixedHandlerCall(std::string_view text);

  [[nodiscard]] std::string_view text() const { return text_; }
  // Runs the call against the host's system script as RunHandlerCall does.
  ScriptError run(Interpreter& in, ScriptHost& host);

 private:
  std::string_view text_;
  CompiledScript call_;
};

// Compiles `text` (Mac Roman, a command call) and runs it against the host's system script,
// held for this one call. A text that does not compile gives TokenizationError without running
// anything and without setting the error-pending flag; a failing handler sets the flag as every
// failed run does. Does not begin a pass.
ScriptError RunHandlerCall(Interpreter& in, ScriptHost& host, std::string_view text);

}  // namespace lw
