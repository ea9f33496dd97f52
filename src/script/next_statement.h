// The step from the end of one statement to the start of the next, shared by the token walk and
// the pre-decoded engine's statement loops, where it runs once per statement.
#pragma once

#include "script/compiled_script.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace lw {

// The start of the statement at `pos`: it becomes the frame's statement, and a key abort is
// looked for.
[[gnu::always_inline]] inline ScriptError Interpreter::enterStatement(ScriptFrame& frame, int pos) {
  frame.statementPos = pos;
  if (keyaborts && host_.escapeDown()) return ScriptError::ProgrammerKeyboardAbort;
  return ScriptError::None;
}

// Past the line end that must follow a statement (and any blank lines), to the next one.
[[gnu::always_inline]] inline ScriptError Interpreter::nextStatement(ScriptFrame& frame, int& pos) {
  const Token* tokens = frame.script->tokenData();
  if (tokens[pos].code != tok::kLineEnd) return ScriptError::ExpectedReturn;
  while (tokens[pos].code == tok::kLineEnd) ++pos;
  return enterStatement(frame, pos);
}

}  // namespace lw
