#include "runtime/runtime_builtins.h"

#include "runtime/runtime.h"
#include "script/interpreter.h"

namespace lw {

void WireRuntimeBuiltins(BuiltinTable& table) {
  // Each group of runtime built-ins adds its wiring call here.
  (void)table;
}

Runtime& RuntimeOf(BuiltinCall& call) {
  return static_cast<Runtime::Host&>(call.in.host()).runtime();
}

}  // namespace lw
