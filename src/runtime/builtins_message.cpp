#include "runtime/builtins_message.h"

#include "runtime/message_box_window.h"
#include "runtime/runtime.h"
#include "script/keywords.h"

namespace lw {
namespace {

// message(t): t, a text, becomes the message box's output line.
ScriptError Message(BuiltinCall& c) {
  Value t;
  PString text;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, text));
  RuntimeOf(c).messageBox().setOutput(text.view());
  return ScriptError::None;
}

}  // namespace

void WireMessageBuiltins(BuiltinTable& table) {
  table.setCommand(LookUpKeyword("message"), Message);
}

}  // namespace lw
