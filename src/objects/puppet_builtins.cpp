#include "objects/puppet_builtins.h"

#include <array>

#include "objects/builtin_arguments.h"
#include "script/interpreter.h"

namespace lw {
namespace {

constexpr char kNone[] = "None";

ScriptError NeedOpen(const PuppetObjects& s) {
  return s.isOpen() ? ScriptError::None : ScriptError::PuppetAlreadyOpen;
}
// Speaking and the conversation wait need the puppet shown as well.
ScriptError NeedShown(const PuppetObjects& s) {
  return s.isVisible() ? ScriptError::None : ScriptError::PuppetAlreadyOpen;
}

ScriptError NeedLogic(const Value& v) {
  return v.isLogic() ? ScriptError::None : ScriptError::BadArgumentType;
}

// A puppetparam selector, 1..8, as an index 0..7.
ScriptError ParamIndex(const Value& v, std::size_t& index) {
  std::int32_t n = 0;
  LW_TRY(BuiltinCall::number(v, n));
  if (n < 1 || n > static_cast<std::int32_t>(kPuppetParams)) return ScriptError::BadArgumentType;
  index = static_cast<std::size_t>(n - 1);
  return ScriptError::None;
}

ScriptError OpenPuppetFile(BuiltinCall& c, PuppetObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v));
  PString name;
  LW_TRY(c.text(v, name));
  return s.OpenPuppetFile(c, name.view());
}

ScriptError ClosePuppetFile(BuiltinCall& c, PuppetObjects& s) { return s.ClosePuppetFile(c); }

ScriptError PuppetBevel(BuiltinCall& c, PuppetObjects& s) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  std::int32_t number = 0;
  LW_TRY(BuiltinCall::number(v[1], number));
  LW_TRY(NeedOpen(s));
  PString text;
  LW_TRY(c.text(v[0], text));
  return s.AddBevel(text.view(), number);
}

ScriptError PuppetClear(BuiltinCall&, PuppetObjects& s) {
  LW_TRY(NeedOpen(s));
  s.ClearBevels();
  return ScriptError::None;
}

ScriptError CountBevels(BuiltinCall& c, PuppetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(static_cast<std::int32_t>(s.bevelCount()));
  return ScriptError::None;
}

ScriptError PuppetScramble(BuiltinCall&, PuppetObjects& s) {
  LW_TRY(NeedOpen(s));
  s.ScrambleBevels();
  return ScriptError::None;
}

ScriptError PuppetSpeak(BuiltinCall& c, PuppetObjects& s) {
  PString text;
  LW_TRY(TextArgument(c, text));
  LW_TRY(NeedShown(s));
  s.Speak(text.view());
  return ScriptError::None;
}

ScriptError PuppetSubtitle(BuiltinCall& c, PuppetObjects& s) {
  PString text;
  LW_TRY(TextArgument(c, text));
  s.ShowSubtitle(text.view());
  return ScriptError::None;
}

ScriptError PuppetEvent(BuiltinCall& c, PuppetObjects& s) {
  std::int32_t timeout = 0;
  LW_TRY(NumberArgument(c, timeout));
  LW_TRY(NeedShown(s));
  *c.result = Value::Number(s.WaitForChoice(timeout));
  return ScriptError::None;
}

ScriptError PuppetGrab(BuiltinCall& c, PuppetObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedLogic(v));
  s.setGrab(v.payload != 0);
  return ScriptError::None;
}

ScriptError PuppetVisibleRead(BuiltinCall& c, PuppetObjects& s) {
  *c.result = Value::Logic(s.isVisible());
  return ScriptError::None;
}

ScriptError PuppetVisibleWrite(BuiltinCall& c, PuppetObjects& s) {
  Value v;
  bool shown = false;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::logic(v, shown));
  LW_TRY(NeedOpen(s));
  s.SetVisible(shown);
  return ScriptError::None;
}

ScriptError PuppetBaseRead(BuiltinCall& c, PuppetObjects& s) { return c.returnText(s.base()); }

ScriptError PuppetBaseWrite(BuiltinCall& c, PuppetObjects& s) {
  PString text;
  LW_TRY(TextArgument(c, text));
  if (text.view().size() > kMaxBaseName) return ScriptError::StringLengthTooBig;
  s.setBase(text.view());
  return ScriptError::None;
}

ScriptError PuppetParamRead(BuiltinCall& c, PuppetObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  std::size_t index = 0;
  LW_TRY(ParamIndex(v, index));
  *c.result = Value::Number(s.param(index));
  return ScriptError::None;
}

ScriptError PuppetParamWrite(BuiltinCall& c, PuppetObjects& s) {
  std::array<Value, 2> v;
  LW_TRY(c.args(v));
  std::size_t index = 0;
  LW_TRY(ParamIndex(v[0], index));
  std::int32_t value = 0;
  LW_TRY(BuiltinCall::number(v[1], value));
  s.setParam(index, value);
  return ScriptError::None;
}

ScriptError CountPuppets(BuiltinCall& c, PuppetObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(static_cast<std::int32_t>(s.puppets().size()));
  return ScriptError::None;
}

ScriptError IndexToPuppet(BuiltinCall& c, PuppetObjects& s) {
  std::int32_t n = 0;
  LW_TRY(NumberArgument(c, n));
  LW_TRY(NeedOpen(s));
  if (n < 1 || static_cast<std::size_t>(n) > s.puppets().size()) return ScriptError::NoSuchObject;
  return c.returnText(s.puppets()[static_cast<std::size_t>(n - 1)].name);
}

ScriptError CurrentPuppet(BuiltinCall& c, PuppetObjects& s) {
  return c.returnText(s.isOpen() ? std::string_view(s.fileName()) : kNone);
}

ScriptError PuppetScript(BuiltinCall& c, PuppetObjects& s) {
  PString name;
  LW_TRY(TextArgument(c, name));
  LW_TRY(NeedOpen(s));
  if (!s.findPuppet(name.view())) return ScriptError::NoSuchObject;
  c.in.resultText.clear();
  return ScriptError::None;
}

ScriptError SendToPuppet(BuiltinCall& c, PuppetObjects& s) { return s.SendToPuppet(c, nullptr); }
ScriptError SendToPuppetFx(BuiltinCall& c, PuppetObjects& s) { return s.SendToPuppet(c, c.result); }

using enum BuiltinKind;

constexpr ScriptError kClosed = ScriptError::PuppetAlreadyOpen;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoObject = ScriptError::NoSuchObject;

constexpr BuiltinEntry<PuppetObjects> kPuppetBuiltins[] = {
    {"openpuppetfile",
     kCommand,
     OpenPuppetFile,
     {"file: text",
      "",
      {kClosed, kType, ScriptError::MustUse83Filenames, ScriptError::CantFindFile,
       ScriptError::WrongTypeOfFile, ScriptError::ResourceNotFound},
      "Opens a puppet file: the puppet covers the stage, and its first puppet hears "
      "openpuppet()."}},
    {"closepuppetfile",
     kCommand,
     ClosePuppetFile,
     {"",
      "",
      {kClosed},
      "Sends closepuppet(), then closes the puppet file and gives the stage back."}},
    {"puppetbevel",
     kCommand,
     PuppetBevel,
     {"text: text, number: number",
      "",
      {kClosed, kType, ScriptError::PuppetBevelFull},
      "Adds a reply choice; puppetevent gives its number when the player clicks it."}},
    {"puppetclear", kCommand, PuppetClear, {"", "", {kClosed}, "Empties the reply choices."}},
    {"countbevels",
     kFunction,
     CountBevels,
     {"", "number", {kClosed}, "The number of reply choices listed."}},
    {"puppetscramble",
     kCommand,
     PuppetScramble,
     {"", "", {kClosed}, "Shuffles the reply choices."}},
    {"puppetspeak",
     kCommand,
     PuppetSpeak,
     {"line: text",
      "",
      {kClosed, kType},
      "Speaks the line with that name or subtitle, the mouth moving with the voice; any other text "
      "shows as a subtitle for a while."}},
    {"puppetsubtitle",
     kCommand,
     PuppetSubtitle,
     {"text: text", "", {kType}, "Shows the text as a subtitle at once."}},
    {"puppetevent",
     kFunction,
     PuppetEvent,
     {"timeout: number",
      "number",
      {kClosed, kType},
      "Shows the reply choices and waits: the number of the one clicked, -1 when the player "
      "quits, -2 after timeout ticks (a negative timeout waits for ever)."}},
    {"puppetgrab",
     kCommand,
     PuppetGrab,
     {"grab: logic",
      "",
      {kType},
      "When true, puppets opened from now on take the scene view as their background."}},
    {"puppetvisible",
     kPropertyRead,
     PuppetVisibleRead,
     {"", "logic", {}, "Whether a puppet file is open and shown."}},
    {"puppetvisible",
     kPropertyWrite,
     PuppetVisibleWrite,
     {"shown: logic", "", {kType, kClosed}, "Shows the puppet, or gives the stage back."}},
    {"puppetbase", kPropertyRead, PuppetBaseRead, {"", "text", {}, "The base line's name."}},
    {"puppetbase",
     kPropertyWrite,
     PuppetBaseWrite,
     {"line: text",
      "",
      {kType, ScriptError::StringLengthTooBig},
      "Names the line whose first picture the puppet shows between lines (the first line when "
      "empty)."}},
    {"puppetparam",
     kPropertyRead,
     PuppetParamRead,
     {"n: number", "number", {kType}, "Display setting n (1..8)."}},
    {"puppetparam",
     kPropertyWrite,
     PuppetParamWrite,
     {"n: number, value: number",
      "",
      {kType},
      "Sets display setting n: 1 and 2 the colours taken from the screen when grabbing, 3 and 4 "
      "the bevel text and clicked colours, 5 and 6 the text font and size, 7 subtitles on, 8 idle "
      "lines off."}},
    {"countpuppets",
     kFunction,
     CountPuppets,
     {"", "number", {kClosed}, "The number of puppets in the puppet file."}},
    {"indextopuppet",
     kFunction,
     IndexToPuppet,
     {"n: number", "text", {kClosed, kNoObject, kType}, "The name of puppet n, counted from 1."}},
    {"currentpuppet",
     kFunction,
     CurrentPuppet,
     {"", "text", {}, "The puppet file's name, \"None\" when none is open."}},
    {"puppetscript",
     kCommand,
     PuppetScript,
     {"puppet: text",
      "",
      {kClosed, kNoObject, kType},
      "Checks that the puppet exists and empties the result text."}},
    {"sendtopuppet",
     kCommand,
     SendToPuppet,
     {"puppet: text, call: call",
      "",
      {kClosed, kNoObject, ScriptError::ExpectedComma, ScriptError::NoSuchHandler},
      "Runs a handler of the puppet's script."}},
    {"sendtopuppetfx",
     kFunction,
     SendToPuppetFx,
     {"puppet: text, call: call",
      "any",
      {kClosed, kNoObject, ScriptError::ExpectedComma, ScriptError::NoSuchHandler},
      "Runs a handler of the puppet's script as a function and gives what it returns."}},
};

}  // namespace

void WirePuppetBuiltins(BuiltinTable& table, PuppetObjects& puppet) {
  table.wire<kPuppetBuiltins>(puppet);
}
void DescribePuppetBuiltins(BuiltinTable& catalog) { catalog.describe<kPuppetBuiltins>(); }

}  // namespace lw
