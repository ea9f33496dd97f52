#include "runtime/runtime_builtins.h"

#include "runtime/builtins_dialogs.h"
#include "runtime/builtins_input.h"
#include "runtime/builtins_message.h"
#include "runtime/builtins_palette.h"
#include "runtime/builtins_settings.h"
#include "runtime/plugins.h"
#include "runtime/runtime.h"
#include "script/interpreter.h"

namespace lw {

void WireRuntimeBuiltins(BuiltinTable& table) {
  // Each group of runtime built-ins adds its wiring call here.
  WireInputBuiltins(table);
  WireSettingsBuiltins(table);
  WireMessageBuiltins(table);
  WirePluginBuiltins(table);
  WireDialogBuiltins(table);
  WirePaletteBuiltins(table);
}

Runtime& RuntimeOf(BuiltinCall& call) {
  return static_cast<Runtime::Host&>(call.in.host()).runtime();
}

}  // namespace lw
