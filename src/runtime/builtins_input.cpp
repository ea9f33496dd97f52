#include "runtime/builtins_input.h"

#include <string_view>

#include "resources/program_resources.h"
#include "script/fold.h"

namespace lw {
namespace {

constexpr std::string_view kArrowCursorText = "arrow";
constexpr std::string_view kWatchCursorText = "watch";

// The title's cursor held since start-up (a program resource, so it lives as long as the run).
const platform::CursorImage* HeldCursor() {
  return FindCursorResource(NumberedResourceName(kCursorType, kTitleCursorNumber));
}

// The mouse as a stage point; without a stage window, as the window system gives it.
Point StageMouse(InputServices& s) {
  const StageWindow* stage = s.stage();
  if (stage == nullptr || stage->window() == nullptr) return s.windows.GetMouse(nullptr);
  return stage->stageMouse();
}

ScriptError Logic(BuiltinCall& c, bool value) {
  *c.result = Value::Logic(value);
  return ScriptError::None;
}

// button(): the left mouse button is down now.
ScriptError Button(BuiltinCall& c, InputServices& s) { return Logic(c, s.windows.ButtonDown()); }

// stilldown(): the press goes on: the button is down and no release waits in the queue.
ScriptError StillDown(BuiltinCall& c, InputServices& s) {
  return Logic(c, s.windows.ButtonStillDown());
}

// mouse(): the mouse as a packed stage point.
ScriptError Mouse(BuiltinCall& c, InputServices& s) {
  *c.result = Value::Number(PackPoint(StageMouse(s)));
  return ScriptError::None;
}

// shiftkey(): the Shift key is down.
ScriptError ShiftKey(BuiltinCall& c, InputServices& s) { return Logic(c, s.windows.ShiftDown()); }

// commandkey(): the Control key is down.
ScriptError CommandKey(BuiltinCall& c, InputServices& s) {
  return Logic(c, s.windows.ControlDown());
}

// tick(): the time in ticks of 1/60 second (its 32 bits as a signed number).
ScriptError Tick(BuiltinCall& c, InputServices& s) {
  *c.result = Value::Number(static_cast<std::int32_t>(s.windows.TickCount()));
  return ScriptError::None;
}

// delay(n): waits n ticks while the window messages keep flowing; n below 1 does not wait.
ScriptError Delay(BuiltinCall& c, InputServices& s) {
  Value n;
  std::int32_t ticks = 0;
  LW_TRY(c.args(n));
  LW_TRY(BuiltinCall::number(n, ticks));
  if (ticks > 0) s.windows.WaitTicks(static_cast<std::uint32_t>(ticks));
  return ScriptError::None;
}

// flushevents(): drops every queued event.
ScriptError FlushEvents(BuiltinCall& /*c*/, InputServices& s) {
  s.windows.FlushEvents();
  return ScriptError::None;
}

// hidecursor(), showcursor(): one step down or up of the cursor's show count.
ScriptError HideCursor(BuiltinCall& /*c*/, InputServices& s) {
  s.windows.HideTitleCursor();
  return ScriptError::None;
}
ScriptError ShowCursor(BuiltinCall& /*c*/, InputServices& s) {
  s.windows.ShowTitleCursor();
  return ScriptError::None;
}

// The cursor that a cursor text names, or null when there is no such resource.
const platform::CursorImage* CursorNamed(std::string_view name) {
  if (FoldEqual(name, kWatchCursorText)) return HeldCursor();
  return FindCursorResource(NamedResourceName(kCursorType, name));
}

// cursor(c): makes the cursor that c names current.
ScriptError Cursor(BuiltinCall& c, InputServices& s) {
  Value v;
  LW_TRY(c.args(v));
  const platform::CursorImage* cursor = nullptr;
  if (v.isNumber()) {
    cursor = FindCursorResource(NumberedResourceName(kCursorType, v.payload));
  } else {
    PString name;
    LW_TRY(c.text(v, name));
    if (FoldEqual(name.view(), kArrowCursorText)) {
      s.windows.SetArrowCursor();
      return ScriptError::None;
    }
    cursor = CursorNamed(name.view());
  }
  if (cursor == nullptr) return ScriptError::ResourceNotFound;
  s.windows.SetTitleCursor(cursor);
  return ScriptError::None;
}

// quit(): shows the held cursor and asks the loop to stop after this pass.
ScriptError Quit(BuiltinCall& /*c*/, InputServices& s) {
  s.windows.SetTitleCursor(HeldCursor());
  s.windows.requestQuit();
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr ScriptError kType = ScriptError::BadArgumentType;

constexpr BuiltinEntry<InputServices> kInputBuiltins[] = {
    {"button", kFunction, Button, {"", "logic", {}, "Whether the left mouse button is down now."}},
    {"stilldown",
     kFunction,
     StillDown,
     {"",
      "logic",
      {},
      "Whether the press goes on: the left button is down and no release waits in the queue."}},
    {"mouse",
     kFunction,
     Mouse,
     {"",
      "point",
      {},
      "Where the mouse is, as a stage point (take it apart with pointx, pointy)."}},
    {"shiftkey", kFunction, ShiftKey, {"", "logic", {}, "Whether a Shift key is down."}},
    {"commandkey",
     kFunction,
     CommandKey,
     {"", "logic", {}, "Whether a Control key is down (it stands for the Command key)."}},
    {"tick",
     kFunction,
     Tick,
     {"", "number", {}, "The clock in ticks of 1/60 second; subtract two readings for a wait."}},
    {"delay",
     kCommand,
     Delay,
     {"n: number",
      "",
      {kType},
      "Waits n ticks (1/60 second each) while windows keep redrawing; n below 1 does not wait."}},
    {"flushevents",
     kCommand,
     FlushEvents,
     {"", "", {}, "Drops every waiting click and key, so that none made before now is handled."}},
    {"hidecursor",
     kCommand,
     HideCursor,
     {"", "", {}, "Hides the cursor; each hidecursor needs its own showcursor to undo it."}},
    {"showcursor",
     kCommand,
     ShowCursor,
     {"", "", {}, "Undoes one hidecursor; the cursor shows once every hidecursor is undone."}},
    {"cursor",
     kCommand,
     Cursor,
     {"c: number|text",
      "",
      {kType, ScriptError::ResourceNotFound},
      "Sets the cursor: n is resource CURSn, \"arrow\" the arrow, \"watch\" cursor 2002, t "
      "CURS.T."}},
    {"quit",
     kCommand,
     Quit,
     {"",
      "",
      {},
      "Ends the title once the running handler has finished, showing cursor 2002 meanwhile."}},
};

}  // namespace

void WireInputBuiltins(BuiltinTable& table, InputServices& services) {
  table.wire<kInputBuiltins>(services);
}
void DescribeInputBuiltins(BuiltinTable& catalog) { catalog.describe<kInputBuiltins>(); }

}  // namespace lw
