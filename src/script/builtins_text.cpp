// Built-ins that convert and take apart texts, and that reach variables by name. Argument types
// are checked before any text argument is read, so a type error frees no slot.

#include "script/builtin_table.h"
#include "script/interpreter.h"
#include "script/text_functions.h"

namespace lw {
namespace {

// numtostring(n): the decimal digits of n.
ScriptError NumToString(BuiltinCall& c) {
  Value n;
  LW_TRY(c.args(n));
  LW_TRY(NeedNumber(n));
  return c.returnText(NumberToText(n.payload).view());
}

// stringtonum(t): the number at the start of t, 0 when there is none.
ScriptError StringToNum(BuiltinCall& c) {
  Value t;
  PString text;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, text));
  *c.result = Value::Number(TextToNumber(text.view()));
  return ScriptError::None;
}

// stringlength(t): the number of characters of t.
ScriptError StringLength(BuiltinCall& c) {
  Value t;
  PString text;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, text));
  *c.result = Value::Number(static_cast<std::int32_t>(text.size()));
  return ScriptError::None;
}

// substring(t, p): the 1-based position of p in t, or -1.
ScriptError Substring(BuiltinCall& c) {
  Value v[2];
  PString text, part;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(c.text(v[0], text));
  LW_TRY(c.text(v[1], part));
  *c.result = Value::Number(FindSubstring(text.view(), part.view()));
  return ScriptError::None;
}

// findword(t, d, n): word n of t cut at separator d.
ScriptError FindWordBuiltin(BuiltinCall& c) {
  Value v[3];
  PString text, sep;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(NeedNumber(v[2]));
  LW_TRY(c.text(v[0], text));
  LW_TRY(c.text(v[1], sep));
  return c.returnText(FindWord(text.view(), sep.view(), v[2].payload).view());
}

// putword(t, d, n, w): t with word n replaced by w.
ScriptError PutWordBuiltin(BuiltinCall& c) {
  Value v[4];
  PString text, sep, word, out;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(NeedNumber(v[2]));
  LW_TRY(NeedText(v[3]));
  LW_TRY(c.text(v[0], text));
  LW_TRY(c.text(v[1], sep));
  LW_TRY(c.text(v[3], word));
  if (!PutWord(text.view(), sep.view(), v[2].payload, word.view(), out)) {
    return ScriptError::StringLengthTooBig;
  }
  return c.returnText(out.view());
}

// Finds the variable named by a text value: the current locals first, then the globals.
ScriptError VariableByName(BuiltinCall& c, const Value& name, VariableTable*& table, int& index) {
  PString text;
  LW_TRY(c.text(name, text));
  if (c.locals != nullptr && c.locals->find(text.view(), nullptr, index) == ScriptError::None) {
    table = c.locals;
    return ScriptError::None;
  }
  table = &c.in.globals();
  return table->find(text.view(), nullptr, index);
}

// variable(name): the value of the named variable.
ScriptError VariableRead(BuiltinCall& c) {
  Value name;
  LW_TRY(c.args(name));
  LW_TRY(NeedText(name));
  VariableTable* table = nullptr;
  int index = 0;
  LW_TRY(VariableByName(c, name, table, index));
  return table->get(index, c.in.strings(), *c.result);
}

// variable(name, value): stores into the named variable; creates none.
ScriptError VariableWrite(BuiltinCall& c) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  VariableTable* table = nullptr;
  int index = 0;
  LW_TRY(VariableByName(c, v[0], table, index));
  return table->set(index, v[1], c.in.strings());
}

// countglobals(): the number of globals.
ScriptError CountGlobals(BuiltinCall& c) {
  *c.result = Value::Number(c.in.globals().count());
  return ScriptError::None;
}

// indextoglobal(n): the name of global n, counting from 1 in table order.
ScriptError IndexToGlobal(BuiltinCall& c) {
  Value n;
  LW_TRY(c.args(n));
  LW_TRY(NeedNumber(n));
  if (n.payload < 1 || n.payload > c.in.globals().count()) return ScriptError::NoSuchObject;
  return c.in.globals().name(n.payload - 1, c.in.strings(), *c.result);
}

// type(x): "logic", "text", "number" or "unknown". A text argument is not read.
ScriptError TypeOf(BuiltinCall& c) {
  Value x;
  LW_TRY(c.args(x));
  std::string_view name = x.isLogic()    ? "logic"
                          : x.isText()   ? "text"
                          : x.isNumber() ? "number"
                                         : "unknown";
  return c.returnText(name);
}

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoSlot = ScriptError::StringLibraryExhausted;

constexpr BuiltinEntry<> kTextBuiltins[] = {
    {"numtostring",
     kFunction,
     NumToString,
     {"n: number", "text", {kType, kNoSlot}, "The decimal digits of n, with a - when negative."}},
    {"stringtonum",
     kFunction,
     StringToNum,
     {"t: text",
      "number",
      {kType},
      "The number written at the start of t after any blanks (0 when there is none)."}},
    {"stringlength",
     kFunction,
     StringLength,
     {"t: text", "number", {kType}, "The number of characters of t (0..255)."}},
    {"substring",
     kFunction,
     Substring,
     {"t: text, p: text",
      "number",
      {kType},
      "Where p first occurs in t, counting from 1, case ignored; -1 when it does not."}},
    {"findword",
     kFunction,
     FindWordBuiltin,
     {"t: text, d: text, n: number",
      "text",
      {kType, kNoSlot},
      "Word n of t cut at separator d (character n when d is empty); empty when there is none."}},
    {"putword",
     kFunction,
     PutWordBuiltin,
     {"t: text, d: text, n: number, w: text",
      "text",
      {kType, ScriptError::StringLengthTooBig, kNoSlot},
      "t with word n (cut at separator d) replaced by w; empty when t has fewer words."}},
    {"countglobals", kFunction, CountGlobals, {"", "number", {}, "The number of globals."}},
    {"indextoglobal",
     kFunction,
     IndexToGlobal,
     {"n: number",
      "text",
      {kType, ScriptError::NoSuchObject, kNoSlot},
      "The name of global n, counting from 1 in the order they were declared."}},
    {"type",
     kFunction,
     TypeOf,
     {"x: any", "text", {kNoSlot}, "The type of x: \"logic\", \"text\" or \"number\"."}},
    {"variable",
     kPropertyRead,
     VariableRead,
     {"name: text",
      "any",
      {kType, ScriptError::NoSuchVariable, kNoSlot},
      "The value of the local, else the global, with that name."}},
    {"variable",
     kPropertyWrite,
     VariableWrite,
     {"name: text, value: any",
      "",
      {kType, ScriptError::NoSuchVariable},
      "Stores value into the local, else the global, with that name; makes no variable."}},
};

}  // namespace

void WireTextBuiltins(BuiltinTable& table) { table.wire<kTextBuiltins>(); }
void DescribeTextBuiltins(BuiltinTable& catalog) { catalog.describe<kTextBuiltins>(); }

void DescribeScriptBuiltins(BuiltinTable& catalog) {
  DescribeTextBuiltins(catalog);
  DescribeBootBuiltins(catalog);
  DescribeMathBuiltins(catalog);
}

}  // namespace lw
