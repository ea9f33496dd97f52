#include "script/builtin_table.h"

#include <cassert>

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

void BuiltinTable::put(BuiltinKind kind, std::uint16_t code, Slot::Invoke invoke, void* services) {
  Slot* slot = nullptr;
  switch (kind) {
    case BuiltinKind::kCommand: slot = &commands_.at(code - tok::kFirstCommand); break;
    case BuiltinKind::kFunction: slot = &functions_.at(code - tok::kFirstFunction); break;
    case BuiltinKind::kPropertyRead: slot = &reads_.at(code - tok::kFirstProperty); break;
    case BuiltinKind::kPropertyWrite: slot = &writes_.at(code - tok::kFirstProperty); break;
  }
  assert(!*slot && "two groups wire the same built-in");
  slot->invoke_ = invoke;
  slot->services_ = services;
}

const BuiltinSignature*& BuiltinTable::signatureSlot(BuiltinKind kind, std::uint16_t code) {
  switch (kind) {
    case BuiltinKind::kCommand: return commandSignatures_.at(code - tok::kFirstCommand);
    case BuiltinKind::kFunction: return functionSignatures_.at(code - tok::kFirstFunction);
    case BuiltinKind::kPropertyRead: return readSignatures_.at(code - tok::kFirstProperty);
    case BuiltinKind::kPropertyWrite: break;
  }
  return writeSignatures_.at(code - tok::kFirstProperty);
}

const BuiltinSignature* BuiltinTable::signature(BuiltinKind kind, std::uint16_t code) const {
  const auto in = [code](std::uint16_t first, std::uint16_t last) {
    return code >= first && code <= last;
  };
  switch (kind) {
    case BuiltinKind::kCommand:
      return in(tok::kFirstCommand, tok::kLastCommand)
                 ? commandSignatures_[code - tok::kFirstCommand]
                 : nullptr;
    case BuiltinKind::kFunction:
      return in(tok::kFirstFunction, tok::kLastFunction)
                 ? functionSignatures_[code - tok::kFirstFunction]
                 : nullptr;
    case BuiltinKind::kPropertyRead:
      return in(tok::kFirstProperty, tok::kLastProperty)
                 ? readSignatures_[code - tok::kFirstProperty]
                 : nullptr;
    case BuiltinKind::kPropertyWrite: break;
  }
  return in(tok::kFirstProperty, tok::kLastProperty) ? writeSignatures_[code - tok::kFirstProperty]
                                                     : nullptr;
}

BuiltinTable::Slot BuiltinTable::command(std::uint16_t code) const {
  if (code < tok::kFirstCommand || code > tok::kLastCommand) return {};
  return commands_[code - tok::kFirstCommand];
}

BuiltinTable::Slot BuiltinTable::function(std::uint16_t code) const {
  if (code < tok::kFirstFunction || code > tok::kLastFunction) return {};
  return functions_[code - tok::kFirstFunction];
}

BuiltinTable::Slot BuiltinTable::propertyRead(std::uint16_t code) const {
  if (code < tok::kFirstProperty || code > tok::kLastProperty) return {};
  return reads_[code - tok::kFirstProperty];
}

BuiltinTable::Slot BuiltinTable::propertyWrite(std::uint16_t code) const {
  if (code < tok::kFirstProperty || code > tok::kLastProperty) return {};
  return writes_[code - tok::kFirstProperty];
}

}  // namespace lw
