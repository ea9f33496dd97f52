// The built-in commands, properties and functions, by token code. The script layer wires its
// own; the layers above wire theirs at start-up. A code with no handler answers "Bad name.".
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "script/bounded_string.h"
#include "script/error_codes.h"
#include "script/token.h"
#include "script/value.h"

namespace lw {

class Interpreter;
class VariableTable;
struct ScriptFrame;

// One call of a built-in: where its arguments start, and where a function puts its value.
struct BuiltinCall {
  Interpreter& in;
  ScriptFrame& frame;
  VariableTable* locals;
  int pos;        // the first token after '('
  Value* result;  // functions and property reads only
  int used = 0;   // tokens the arguments used, set by the built-in

  // Evaluates the argument expressions separated by commas and counts their tokens in `used`.
  ScriptError args(std::span<Value> out);
  ScriptError args(Value& a) { return args(std::span<Value>(&a, 1)); }

  // Reads one already evaluated argument as a given type (BadArgumentType otherwise).
  static ScriptError number(const Value& v, std::int32_t& out);
  static ScriptError logic(const Value& v, bool& out);
  ScriptError text(const Value& v, PString& out);

  // The result as a new text value; StringLibraryExhausted when no slot is free.
  ScriptError returnText(std::string_view text);
};

// BadArgumentType unless an evaluated argument is a text (or a number). Built-ins that take
// several texts check them all before reading any, since reading a text frees its slot.
[[nodiscard]] inline ScriptError NeedText(const Value& v) {
  return v.isText() ? ScriptError::None : ScriptError::BadArgumentType;
}
[[nodiscard]] inline ScriptError NeedNumber(const Value& v) {
  return v.isNumber() ? ScriptError::None : ScriptError::BadArgumentType;
}

using BuiltinFn = ScriptError (*)(BuiltinCall&);

class BuiltinTable {
 public:
  void setCommand(std::uint16_t code, BuiltinFn fn);
  void setFunction(std::uint16_t code, BuiltinFn fn);
  void setProperty(std::uint16_t code, BuiltinFn read, BuiltinFn write);

  // The handler of a code, or null when the code names no wired built-in of that kind.
  [[nodiscard]] BuiltinFn command(std::uint16_t code) const;
  [[nodiscard]] BuiltinFn function(std::uint16_t code) const;
  [[nodiscard]] BuiltinFn propertyRead(std::uint16_t code) const;
  [[nodiscard]] BuiltinFn propertyWrite(std::uint16_t code) const;

 private:
  static constexpr int kCommands = tok::kLastCommand - tok::kFirstCommand + 1;
  static constexpr int kProperties = tok::kLastProperty - tok::kFirstProperty + 1;
  static constexpr int kFunctions = tok::kLastFunction - tok::kFirstFunction + 1;

  std::array<BuiltinFn, kCommands> commands_{};
  std::array<BuiltinFn, kProperties> reads_{};
  std::array<BuiltinFn, kProperties> writes_{};
  std::array<BuiltinFn, kFunctions> functions_{};
};

// The built-ins of the script language itself: the text and variable functions, and
// sendtoboot, sendtobootfx and bootscript.
void WireTextBuiltins(BuiltinTable& table);
void WireBootBuiltins(BuiltinTable& table);
// random, the point and direction functions, sqrt, and the machine description.
void WireMathBuiltins(BuiltinTable& table);

}  // namespace lw
