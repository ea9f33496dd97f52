#include "objects/stage_builtins.h"

#include <array>
#include <vector>

#include "common/geometry.h"
#include "objects/object_names.h"

namespace lw {
namespace {

ScriptError NeedOpen(const StageObjects& s) {
  return s.isOpen() ? ScriptError::None : ScriptError::StageLibOpenClose;
}

// Reads a flat name argument (BadArgumentType for any other type) and finds the flat.
ScriptError FlatOf(BuiltinCall& c, const StageObjects& s, const Value& v, std::size_t& flat) {
  PString name;
  LW_TRY(c.text(v, name));
  const auto found = s.findFlat(name.view());
  if (!found) return ScriptError::NoSuchObject;
  flat = *found;
  return ScriptError::None;
}

// The one argument of a built-in that names a flat of the open stage, found.
ScriptError FlatArgument(BuiltinCall& c, const StageObjects& s, std::size_t& flat) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  return FlatOf(c, s, v, flat);
}

// Reads a flat and a button name (both checked as texts first) and finds the button.
ScriptError ButtonOf(BuiltinCall& c, StageObjects& s, const Value& flatName,
                     const Value& buttonName, ButtonEntry& out) {
  LW_TRY(NeedText(flatName));
  LW_TRY(NeedText(buttonName));
  std::size_t flat = 0;
  LW_TRY(FlatOf(c, s, flatName, flat));
  PString name;
  LW_TRY(c.text(buttonName, name));
  std::vector<ButtonEntry> buttons;
  LW_TRY(s.LoadButtons(flat, buttons));
  for (const ButtonEntry& button : buttons) {
    if (SameObjectName(button.name, name.view())) {
      out = button;
      return ScriptError::None;
    }
  }
  return ScriptError::NoSuchObject;
}

// A 1-based index argument, checked against the count.
ScriptError IndexOf(const Value& v, std::size_t count, std::size_t& index) {
  std::int32_t n = 0;
  LW_TRY(BuiltinCall::number(v, n));
  if (n < 1 || static_cast<std::size_t>(n) > count) return ScriptError::NoSuchObject;
  index = static_cast<std::size_t>(n - 1);
  return ScriptError::None;
}

// openstagefile(file): opens a stage file.
ScriptError OpenStageFile(BuiltinCall& c, StageObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v));
  PString name;
  LW_TRY(c.text(v, name));
  return s.OpenStageFile(c, name.view());
}

// closestagefile(): closes the open stage.
ScriptError CloseStageFile(BuiltinCall& c, StageObjects& s) { return s.CloseStageFile(c); }

// gotoflat(flat): shows the flat named, or numbered from 1.
ScriptError GotoFlat(BuiltinCall& c, StageObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  if (v.isNumber()) return s.GotoFlat(c, v.payload);
  LW_TRY(NeedText(v));
  std::size_t flat = 0;
  LW_TRY(FlatOf(c, s, v, flat));
  return s.GotoFlat(c, static_cast<std::int64_t>(flat) + 1);
}

// stagescript(): the stage exists; the result text empty.
ScriptError StageScript(BuiltinCall& c, StageObjects& s) {
  LW_TRY(NeedOpen(s));
  c.in.resultText.clear();
  return ScriptError::None;
}

// flatscript(flat): the flat exists; the result text empty.
ScriptError FlatScript(BuiltinCall& c, StageObjects& s) {
  std::size_t flat = 0;
  LW_TRY(FlatArgument(c, s, flat));
  c.in.resultText.clear();
  return ScriptError::None;
}

// buttonscript(flat, button): the button exists; the result text empty.
ScriptError ButtonScript(BuiltinCall& c, StageObjects& s) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  ButtonEntry button;
  LW_TRY(ButtonOf(c, s, v[0], v[1], button));
  c.in.resultText.clear();
  return ScriptError::None;
}

ScriptError SendToStage(BuiltinCall& c, StageObjects& s) { return s.SendToStage(c, nullptr); }
ScriptError SendToStageFx(BuiltinCall& c, StageObjects& s) { return s.SendToStage(c, c.result); }
ScriptError SendToFlat(BuiltinCall& c, StageObjects& s) { return s.SendToFlat(c, nullptr); }
ScriptError SendToFlatFx(BuiltinCall& c, StageObjects& s) { return s.SendToFlat(c, c.result); }
ScriptError SendToButton(BuiltinCall& c, StageObjects& s) { return s.SendToButton(c, nullptr); }
ScriptError SendToButtonFx(BuiltinCall& c, StageObjects& s) { return s.SendToButton(c, c.result); }

// stagevisible read: whether an open stage shows.
ScriptError StageVisibleRead(BuiltinCall& c, StageObjects& s) {
  *c.result = Value::Logic(s.isVisible());
  return ScriptError::None;
}

// stagevisible(shown) written.
ScriptError StageVisibleWrite(BuiltinCall& c, StageObjects& s) {
  Value v;
  bool shown = false;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::logic(v, shown));
  LW_TRY(NeedOpen(s));
  s.SetVisible(shown);
  return ScriptError::None;
}

// countflats(): the number of flats.
ScriptError CountFlats(BuiltinCall& c, StageObjects& s) {
  LW_TRY(NeedOpen(s));
  *c.result = Value::Number(static_cast<std::int32_t>(s.flatCount()));
  return ScriptError::None;
}

// indextoflat(n): the name of flat n.
ScriptError IndexToFlat(BuiltinCall& c, StageObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  std::size_t flat = 0;
  LW_TRY(IndexOf(v, s.flatCount(), flat));
  return c.returnText(s.flat(flat).name);
}

// flattoindex(flat): the 1-based index of the flat, 0 for none.
ScriptError FlatToIndex(BuiltinCall& c, StageObjects& s) {
  Value v;
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  LW_TRY(NeedText(v));
  PString name;
  LW_TRY(c.text(v, name));
  const auto flat = s.findFlat(name.view());
  *c.result = Value::Number(flat ? static_cast<std::int32_t>(*flat) + 1 : 0);
  return ScriptError::None;
}

// currentflat(): the current flat's name, "none" without a stage.
ScriptError CurrentFlat(BuiltinCall& c, StageObjects& s) {
  return c.returnText(s.isOpen() ? std::string_view(s.flat(s.currentFlat()).name) : "none");
}

// currentstage(): the stage's name, "None" without a stage.
ScriptError CurrentStage(BuiltinCall& c, StageObjects& s) {
  return c.returnText(s.isOpen() ? std::string_view(s.name()) : "None");
}

// countbuttons(flat): the number of the flat's buttons.
ScriptError CountButtons(BuiltinCall& c, StageObjects& s) {
  std::size_t flat = 0;
  LW_TRY(FlatArgument(c, s, flat));
  std::vector<ButtonEntry> buttons;
  LW_TRY(s.LoadButtons(flat, buttons));
  *c.result = Value::Number(static_cast<std::int32_t>(buttons.size()));
  return ScriptError::None;
}

// indextobutton(flat, n): the name of the flat's button n.
ScriptError IndexToButton(BuiltinCall& c, StageObjects& s) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedNumber(v[1]));
  std::size_t flat = 0;
  LW_TRY(FlatOf(c, s, v[0], flat));
  std::vector<ButtonEntry> buttons;
  LW_TRY(s.LoadButtons(flat, buttons));
  std::size_t button = 0;
  LW_TRY(IndexOf(v[1], buttons.size(), button));
  return c.returnText(buttons[button].name);
}

// pointinstage(p): the stage is open and shown, and p lies on it.
ScriptError PointInStage(BuiltinCall& c, StageObjects& s) {
  Value v;
  std::int32_t packed = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v, packed));
  *c.result = Value::Logic(s.shows(UnpackPoint(packed)));
  return ScriptError::None;
}

// pointinbutton(flat, button, p): p lies in the button, shown or not.
ScriptError PointInButton(BuiltinCall& c, StageObjects& s) {
  Value v[3];
  std::int32_t packed = 0;
  LW_TRY(c.args(v));
  LW_TRY(NeedOpen(s));
  LW_TRY(NeedNumber(v[2]));
  LW_TRY(BuiltinCall::number(v[2], packed));
  ButtonEntry button;
  LW_TRY(ButtonOf(c, s, v[0], v[1], button));
  *c.result = Value::Logic(button.rect.contains(UnpackPoint(packed)));
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr ScriptError kClosed = ScriptError::StageLibOpenClose;
constexpr ScriptError kNoObject = ScriptError::NoSuchObject;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kComma = ScriptError::ExpectedComma;
constexpr ScriptError kNoHandler = ScriptError::NoSuchHandler;

constexpr BuiltinEntry<StageObjects> kStageBuiltins[] = {
    {"openstagefile",
     kCommand,
     OpenStageFile,
     {"file: text",
      "",
      {kClosed, kType, ScriptError::MustUse83Filenames, ScriptError::CantFindFile,
       ScriptError::WrongTypeOfFile, ScriptError::ResourceNotFound},
      "Opens a stage file, shows its first flat and sends openstage() and openflat()."}},
    {"closestagefile",
     kCommand,
     CloseStageFile,
     {"", "", {kClosed}, "Sends closestage() and closeflat(), then closes the stage."}},
    {"gotoflat",
     kCommand,
     GotoFlat,
     {"flat: number|text",
      "",
      {kClosed, kNoObject, kType},
      "Sends closeflat(), shows the flat named or numbered from 1 (kept within the flats), then "
      "sends openflat()."}},
    {"stagescript",
     kCommand,
     StageScript,
     {"", "", {kClosed}, "Checks that a stage is open and empties the result text."}},
    {"flatscript",
     kCommand,
     FlatScript,
     {"flat: text",
      "",
      {kClosed, kNoObject, kType},
      "Checks that the flat exists and empties the result text."}},
    {"buttonscript",
     kCommand,
     ButtonScript,
     {"flat: text, button: text",
      "",
      {kClosed, kNoObject, kType},
      "Checks that the button of the flat exists and empties the result text."}},
    {"sendtostage",
     kCommand,
     SendToStage,
     {"call: call", "", {kClosed, kNoHandler}, "Runs a handler of the stage script."}},
    {"sendtostagefx",
     kFunction,
     SendToStageFx,
     {"call: call",
      "any",
      {kClosed, kNoHandler, ScriptError::FunctionsMustReturnValue},
      "Runs a handler of the stage script as a function and gives what it returns."}},
    {"sendtoflat",
     kCommand,
     SendToFlat,
     {"flat: text, call: call",
      "",
      {kClosed, kNoObject, kComma, kNoHandler},
      "Runs a handler of the flat's script, else of the stage script."}},
    {"sendtoflatfx",
     kFunction,
     SendToFlatFx,
     {"flat: text, call: call",
      "any",
      {kClosed, kNoObject, kComma, kNoHandler},
      "Runs a handler of the flat's chain as a function and gives what it returns."}},
    {"sendtobutton",
     kCommand,
     SendToButton,
     {"flat: text, button: text, call: call",
      "",
      {kClosed, kNoObject, kComma, kNoHandler},
      "Runs a handler of the button's script, else of its flat's, else of the stage script."}},
    {"sendtobuttonfx",
     kFunction,
     SendToButtonFx,
     {"flat: text, button: text, call: call",
      "any",
      {kClosed, kNoObject, kComma, kNoHandler},
      "Runs a handler of the button's chain as a function and gives what it returns."}},
    {"stagevisible",
     kPropertyRead,
     StageVisibleRead,
     {"", "logic", {}, "Whether a stage is open and shown."}},
    {"stagevisible",
     kPropertyWrite,
     StageVisibleWrite,
     {"shown: logic",
      "",
      {kType, kClosed},
      "Shows the current flat on the stage, or clears the stage to colour 0."}},
    {"countflats", kFunction, CountFlats, {"", "number", {kClosed}, "The number of flats."}},
    {"indextoflat",
     kFunction,
     IndexToFlat,
     {"n: number", "text", {kClosed, kNoObject, kType}, "The name of flat n, counted from 1."}},
    {"flattoindex",
     kFunction,
     FlatToIndex,
     {"flat: text",
      "number",
      {kClosed, kType},
      "The number of the flat, counted from 1; 0 when no flat has the name."}},
    {"currentflat",
     kFunction,
     CurrentFlat,
     {"", "text", {}, "The name of the flat shown, \"none\" when no stage is open."}},
    {"currentstage",
     kFunction,
     CurrentStage,
     {"", "text", {}, "The name of the stage, \"None\" when no stage is open."}},
    {"countbuttons",
     kFunction,
     CountButtons,
     {"flat: text", "number", {kClosed, kNoObject, kType}, "The number of the flat's buttons."}},
    {"indextobutton",
     kFunction,
     IndexToButton,
     {"flat: text, n: number",
      "text",
      {kClosed, kNoObject, kType},
      "The name of the flat's button n, counted from 1."}},
    {"pointinstage",
     kFunction,
     PointInStage,
     {"p: point", "logic", {kType}, "Whether a stage is open and shown and p lies on it."}},
    {"pointinbutton",
     kFunction,
     PointInButton,
     {"flat: text, button: text, p: point",
      "logic",
      {kClosed, kNoObject, kType},
      "Whether p lies in the button's rectangle, whether or not its flat is shown."}},
};

}  // namespace

void WireStageBuiltins(BuiltinTable& table, StageObjects& stage) {
  table.wire<kStageBuiltins>(stage);
}
void DescribeStageBuiltins(BuiltinTable& catalog) { catalog.describe<kStageBuiltins>(); }

}  // namespace lw
