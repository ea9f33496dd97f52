// Fuzzes the interpreter with arbitrary bytes taken as a stored compiled script. A block that
// loads is run: the first handler it defines is called with up to three arguments, as a
// function or a command. Runs end by themselves: Escape counts as pressed after a bounded
// number of statements, and recursion ends with "Too much recursion.".
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "first_handler_call.h"
#include "script/compiled_script.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/tokenizer.h"

namespace {

constexpr int kStatementBudget = 2000;

class FuzzHost : public lw::ScriptHost {
 public:
  bool escapeDown() override { return ++checks > kStatementBudget; }
  void reportFatal(std::int16_t, std::int16_t) override {}
  lw::CompiledScript* acquireSystemScript() override { return system; }

  int checks = 0;
  lw::CompiledScript* system = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  auto loaded = lw::CompiledScript::FromBytes(std::span(data + 1, size - 1));
  if (!loaded) return 0;

  FuzzHost host;
  host.system = &loaded.value();
  lw::Interpreter in(host);
  in.keyaborts = true;

  auto call = lw::CompileScriptText(CallOfFirstHandler(*loaded, mode % 4));
  if (!call) return 0;
  lw::ScriptFrame frame;
  frame.script = &loaded.value();
  lw::ScriptFrame caller;
  caller.script = &call.value();
  lw::Value result;
  int length = 0;
  const bool asFunction = (mode & 4) != 0;
  (void)in.runHandlerOnChain(&frame, caller, 0, nullptr, asFunction ? &result : nullptr, length);
  return 0;
}
