// RunConsoleLine: the programmer's one-line console. A typed line is compiled and run in a
// one-frame chain whose script is the line itself, chosen by its first token.

#include "script/console.h"

#include "script/compiled_script.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/text_functions.h"
#include "script/tokenizer.h"

namespace lw {
namespace {

constexpr std::string_view kTokenizationFailed = "tokenization error";

// Runs the line's statement or expression; `value` is left untyped when there is no value.
ScriptError RunLine(Interpreter& in, ScriptFrame& frame, Value& value) {
  std::span<Token> tokens = frame.script->tokens();
  std::uint16_t code = tokens[0].code;
  int used = 0;
  if (code >= tok::kFirstProperty && code <= tok::kLastProperty) {
    // A property is read when it can be, and written otherwise.
    Value read = value;
    if (in.dispatchFunction(frame, 0, nullptr, read, used) == ScriptError::None) {
      value = read;
      return ScriptError::None;
    }
    return in.dispatchCommand(frame, 0, nullptr, used);
  }
  if (tok::IsCommandDispatch(code)) return in.dispatchCommand(frame, 0, nullptr, used);
  if (tok::IsFunctionDispatch(code)) return in.dispatchFunction(frame, 0, nullptr, value, used);
  if (code == tok::kGlobal || code == tok::kDumpglobal) {
    return in.declare(frame, 1, in.globals(), code == tok::kDumpglobal, used);
  }
  if (code == tok::kName && tokens[1].code == tok::kEqual) {
    int index = 0;
    if (in.globals().find(frame.script->textOf(0), &tokens[0], index) == ScriptError::None) {
      Value v;
      LW_TRY(in.evaluateExpression(frame, 2, nullptr, v, used));
      return in.globals().set(index, v, in.strings());
    }
  }
  return in.evaluateExpression(frame, 0, nullptr, value, used);
}

}  // namespace

std::string RunConsoleLine(Interpreter& in, std::string_view line) {
  auto compiled = CompileScriptText(line);
  if (!compiled) return std::string(kTokenizationFailed);

  ScriptFrame frame = SystemFrame(compiled.value(), kMsgBoxMessageTitle);

  Value value = Value::None();
  ScriptError e = RunLine(in, frame, value);
  return DescribeOutcome(in, e, value.type == kTypeNone ? nullptr : &value);
}

std::string DescribeOutcome(Interpreter& in, ScriptError error, const Value* value) {
  if (error != ScriptError::None) return std::string(ScriptErrorMessage(CodeOf(error)));
  if (value == nullptr) return "OK";
  if (value->isLogic()) return value->payload != 0 ? "True" : "False";
  if (value->isText()) {
    PString text;
    if (ScriptError e = in.strings().take(*value, text); e != ScriptError::None) {
      return std::string(ScriptErrorMessage(CodeOf(e)));
    }
    std::string quoted(1, '"');
    quoted.append(text.view());
    quoted.push_back('"');
    return quoted;
  }
  if (value->isNumber()) return NumberToText(value->payload).str();
  return "OK";  // a call of an event handler that no script defines gives no value
}

}  // namespace lw
