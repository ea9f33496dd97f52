// The built-in commands, properties and functions, by token code. Each layer wires its own
// groups: a group is a constexpr table of entries and one services object, the part of the run
// that its handlers work with. A code with no handler answers "Bad name.".
//
//   ScriptError Delay(BuiltinCall& call, InputServices& services);
//   constexpr BuiltinEntry<InputServices> kInputBuiltins[] = {
//       {"delay", BuiltinKind::kCommand, Delay,
//        {"n: number", "", {ScriptError::BadArgumentType}, "Waits n ticks."}},
//   };
//   table.wire<kInputBuiltins>(services);  // services: an InputServices that outlives the table
//   catalog.describe<kInputBuiltins>();     // the signatures alone, for tools and the reference
//
// Every entry carries its signature (builtin_signature.h), checked while compiling.
//
// An entry finds its keyword's token code while compiling: a name that is not a keyword of the
// entry's kind (a misspelling, or a function wired as a command) does not compile, and neither
// does a handler that takes another group's services. The script layer's own groups need no
// services (the interpreter of the call is theirs already): their entries are BuiltinEntry<>
// and their handlers take the call alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "script/bounded_string.h"
#include "script/builtin_signature.h"
#include "script/error_codes.h"
#include "script/keywords.h"
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

// How a built-in is called: as a command statement, as a function operand, or as the read
// (operand) or the write (statement) of a property. Each kind has its band of keyword codes.
enum class BuiltinKind : std::uint8_t { kCommand, kFunction, kPropertyRead, kPropertyWrite };

// The token code of the built-in keyword `name` of kind `kind`. Compile time only: a name that is
// not in that kind's band stops the compilation at the throw below.
consteval std::uint16_t BuiltinCode(std::string_view name, BuiltinKind kind) {
  std::uint16_t code = kNotAKeyword;
  switch (kind) {
    case BuiltinKind::kCommand:
      code = KeywordCodeInBand(name, tok::kFirstCommand, tok::kLastCommand);
      break;
    case BuiltinKind::kFunction:
      code = KeywordCodeInBand(name, tok::kFirstFunction, tok::kLastFunction);
      break;
    case BuiltinKind::kPropertyRead:
    case BuiltinKind::kPropertyWrite:
      code = KeywordCodeInBand(name, tok::kFirstProperty, tok::kLastProperty);
      break;
  }
  if (code == kNotAKeyword) throw "no built-in keyword of this kind has this name";
  return code;
}

// The handler type of a group with services of type `Services`, or with none (void).
template <class Services>
struct BuiltinHandlerOf {
  using Type = ScriptError (*)(BuiltinCall&, Services&);
};
template <>
struct BuiltinHandlerOf<void> {
  using Type = ScriptError (*)(BuiltinCall&);
};

// Whether a built-in of this kind gives a value.
constexpr bool GivesResult(BuiltinKind kind) {
  return kind == BuiltinKind::kFunction || kind == BuiltinKind::kPropertyRead;
}

// One row of a group's table: a keyword, how it is called, its handler and its signature.
template <class GroupServices = void>
struct BuiltinEntry {
  using Services = GroupServices;
  using Handler = typename BuiltinHandlerOf<Services>::Type;

  consteval BuiltinEntry(std::string_view keyword, BuiltinKind how, Handler run,
                         BuiltinSignature sig)
      : name(keyword), kind(how), code(BuiltinCode(keyword, how)), handler(run), signature(sig) {
    if (!signature.wellFormed(GivesResult(how))) throw "the built-in's signature is malformed";
  }

  std::string_view name;
  BuiltinKind kind;
  std::uint16_t code;
  Handler handler;
  BuiltinSignature signature;
};

class BuiltinTable {
 public:
  // A wired built-in: its handler together with its group's services. Empty for a code that
  // names no wired built-in of the kind asked for.
  class Slot {
   public:
    explicit operator bool() const { return invoke_ != nullptr; }
    ScriptError operator()(BuiltinCall& call) const { return invoke_(call, services_); }

   private:
    friend class BuiltinTable;
    using Invoke = ScriptError (*)(BuiltinCall&, void*);
    Invoke invoke_ = nullptr;
    void* services_ = nullptr;
  };

  // Wires every entry of a group whose handlers take the call alone.
  template <const auto& kEntries>
  requires std::is_void_v<typename std::remove_cvref_t<decltype(kEntries[0])>::Services>
  void wire() { wireGroup<kEntries>(nullptr); }

  // Wires every entry of a group with its services, which must outlive the table.
  template <const auto& kEntries>
  void wire(typename std::remove_cvref_t<decltype(kEntries[0])>::Services& services) {
    wireGroup<kEntries>(&services);
  }

  // Records the signatures of a group without wiring it: a catalogue of the built-ins for the
  // tools that check scripts and print the reference, which run no built-in.
  template <const auto& kEntries>
  void describe() {
    for (const auto& entry : kEntries) signatureSlot(entry.kind, entry.code) = &entry.signature;
  }

  // The signature of the built-in of kind `kind` with token code `code`, wired or described;
  // null when no group has it.
  [[nodiscard]] const BuiltinSignature* signature(BuiltinKind kind, std::uint16_t code) const;

  [[nodiscard]] Slot command(std::uint16_t code) const;
  [[nodiscard]] Slot function(std::uint16_t code) const;
  [[nodiscard]] Slot propertyRead(std::uint16_t code) const;
  [[nodiscard]] Slot propertyWrite(std::uint16_t code) const;

 private:
  // Calls entry I of a group: the services pointer is always the one wired with that group, so
  // the cast restores the type it had.
  template <const auto& kEntries, std::size_t I>
  static ScriptError CallEntry(BuiltinCall& call, [[maybe_unused]] void* services) {
    using Services = typename std::remove_cvref_t<decltype(kEntries[I])>::Services;
    if constexpr (std::is_void_v<Services>) {
      return kEntries[I].handler(call);
    } else {
      return kEntries[I].handler(call, *static_cast<Services*>(services));
    }
  }

  // No keyword appears twice with the same kind in one group.
  template <const auto& kEntries>
  static consteval bool EachEntryDistinct() {
    for (std::size_t i = 0; i < std::size(kEntries); ++i) {
      for (std::size_t j = i + 1; j < std::size(kEntries); ++j) {
        if (kEntries[i].code == kEntries[j].code && kEntries[i].kind == kEntries[j].kind) {
          return false;
        }
      }
    }
    return true;
  }

  template <const auto& kEntries>
  void wireGroup(void* services) {
    static_assert(EachEntryDistinct<kEntries>(), "a built-in is listed twice in its group");
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (put(kEntries[I].kind, kEntries[I].code, &CallEntry<kEntries, I>, services), ...);
    }
    (std::make_index_sequence<std::size(kEntries)>());
    describe<kEntries>();
  }

  // The signature place of a kind and code inside its band.
  const BuiltinSignature*& signatureSlot(BuiltinKind kind, std::uint16_t code);

  // Stores one slot; a code is wired by one group only.
  void put(BuiltinKind kind, std::uint16_t code, Slot::Invoke invoke, void* services);

  static constexpr int kCommands = tok::kLastCommand - tok::kFirstCommand + 1;
  static constexpr int kProperties = tok::kLastProperty - tok::kFirstProperty + 1;
  static constexpr int kFunctions = tok::kLastFunction - tok::kFirstFunction + 1;

  std::array<Slot, kCommands> commands_{};
  std::array<Slot, kProperties> reads_{};
  std::array<Slot, kProperties> writes_{};
  std::array<Slot, kFunctions> functions_{};
  std::array<const BuiltinSignature*, kCommands> commandSignatures_{};
  std::array<const BuiltinSignature*, kProperties> readSignatures_{};
  std::array<const BuiltinSignature*, kProperties> writeSignatures_{};
  std::array<const BuiltinSignature*, kFunctions> functionSignatures_{};
};

// The built-ins of the script language itself: the text and variable functions, and
// sendtoboot, sendtobootfx and bootscript.
void WireTextBuiltins(BuiltinTable& table);
void WireBootBuiltins(BuiltinTable& table);
// random, the point and direction functions, sqrt, and the machine description.
void WireMathBuiltins(BuiltinTable& table);
// The signatures of each of those groups alone, and of all three.
void DescribeTextBuiltins(BuiltinTable& catalog);
void DescribeBootBuiltins(BuiltinTable& catalog);
void DescribeMathBuiltins(BuiltinTable& catalog);
void DescribeScriptBuiltins(BuiltinTable& catalog);

}  // namespace lw
