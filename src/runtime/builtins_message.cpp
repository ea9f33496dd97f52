#include "runtime/builtins_message.h"

namespace lw {
namespace {

// message(t): t, a text, becomes the message box's output line.
ScriptError Message(BuiltinCall& c, MessageServices& s) {
  Value t;
  PString text;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, text));
  s.messageBox.setOutput(text.view());
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr BuiltinEntry<MessageServices> kMessageBuiltins[] = {
    {"message",
     kCommand,
     Message,
     {"t: text",
      "",
      {ScriptError::BadArgumentType},
      "Writes t on the output line of the programmer's message box, replacing what was there."}},
};

}  // namespace

void WireMessageBuiltins(BuiltinTable& table, MessageServices& services) {
  table.wire<kMessageBuiltins>(services);
}
void DescribeMessageBuiltins(BuiltinTable& catalog) { catalog.describe<kMessageBuiltins>(); }

}  // namespace lw
