#include "script/builtin_table.h"

#include "script/interpreter.h"

namespace lw {

ScriptError BuiltinCall::args(std::span<Value> out) {
  return in.readArguments(frame, pos, locals, out, used);
}

ScriptError BuiltinCall::number(const Value& v, std::int32_t& out) {
  if (!v.isNumber()) return ScriptError::BadArgumentType;
  out = v.payload;
  return ScriptError::None;
}

ScriptError BuiltinCall::logic(const Value& v, bool& out) {
  if (!v.isLogic()) return ScriptError::BadArgumentType;
  out = v.payload != 0;
  return ScriptError::None;
}

ScriptError BuiltinCall::text(const Value& v, PString& out) { return in.strings().take(v, out); }

ScriptError BuiltinCall::returnText(std::string_view text) {
  return in.strings().make(text, *result);
}

void BuiltinTable::setCommand(std::uint16_t code, BuiltinFn fn) {
  commands_.at(code - tok::kFirstCommand) = fn;
}

void BuiltinTable::setFunction(std::uint16_t code, BuiltinFn fn) {
  functions_.at(code - tok::kFirstFunction) = fn;
}

void BuiltinTable::setProperty(std::uint16_t code, BuiltinFn read, BuiltinFn write) {
  reads_.at(code - tok::kFirstProperty) = read;
  writes_.at(code - tok::kFirstProperty) = write;
}

BuiltinFn BuiltinTable::command(std::uint16_t code) const {
  if (code < tok::kFirstCommand || code > tok::kLastCommand) return nullptr;
  return commands_[code - tok::kFirstCommand];
}

BuiltinFn BuiltinTable::function(std::uint16_t code) const {
  if (code < tok::kFirstFunction || code > tok::kLastFunction) return nullptr;
  return functions_[code - tok::kFirstFunction];
}

BuiltinFn BuiltinTable::propertyRead(std::uint16_t code) const {
  if (code < tok::kFirstProperty || code > tok::kLastProperty) return nullptr;
  return reads_[code - tok::kFirstProperty];
}

BuiltinFn BuiltinTable::propertyWrite(std::uint16_t code) const {
  if (code < tok::kFirstProperty || code > tok::kLastProperty) return nullptr;
  return writes_[code - tok::kFirstProperty];
}

}  // namespace lw
