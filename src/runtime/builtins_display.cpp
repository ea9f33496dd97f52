#include "runtime/builtins_display.h"

#include <algorithm>

#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::int32_t kShortestEffect = 1;
constexpr std::int32_t kLongestEffect = 1000;

// The motion step, then the display step: the walks, balls and loops move on (a failing end
// message ends it there); a puppet that shows takes the step (its resting picture, paced as a
// frame); otherwise the frame counter rises by one, then a move of the player under way takes
// its next step (which composes the frame), or else a frame is composed (either waits out the
// frame interval).
ScriptError DisplayStep(BuiltinCall& c, DisplayServices& s) {
  LW_TRY(s.motion.Step(c));
  if (s.puppet.isVisible()) {
    s.puppet.DisplayStep();
    return ScriptError::None;
  }
  ++s.settings.frameCounter;
  if (s.set.moving()) return s.set.ViewUpdateStep(c);
  s.compositor.ComposeFrame();
  return ScriptError::None;
}

ScriptError ForceUpdate(BuiltinCall& c, DisplayServices& s) { return DisplayStep(c, s); }

// visualeffect(effect, n): the effect is its keyword as written, not an expression. The whole
// screen is composed without being shown, then the effect reveals the stage over n ticks
// (1..1000).
ScriptError VisualEffect(BuiltinCall& c, DisplayServices& s) {
  const Token* tokens = c.frame.script->tokenData();
  const std::uint16_t code = tokens[c.pos].code;
  if (code < tok::kFirstEffect || code > tok::kLastEffect) return ScriptError::BadArgumentType;
  if (tokens[c.pos + 1].code != tok::kComma) return ScriptError::ExpectedComma;
  Value n;
  int used = 0;
  LW_TRY(c.in.evaluateExpression(c.frame, c.pos + 2, c.locals, n, used));
  c.used = 2 + used;
  std::int32_t duration = 0;
  LW_TRY(BuiltinCall::number(n, duration));
  s.compositor.RequestRedraw(RedrawLevel::kScreen);
  s.compositor.RaiseSuppress();
  const ScriptError stepped = DisplayStep(c, s);
  s.compositor.LowerSuppress();
  LW_TRY(stepped);
  s.reveal(static_cast<ScriptEffect>(code - tok::kFirstEffect),
           std::clamp(duration, kShortestEffect, kLongestEffect));
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr BuiltinEntry<DisplayServices> kDisplayBuiltins[] = {
    {"forceupdate",
     kCommand,
     ForceUpdate,
     {"",
      "",
      {},
      "Moves the title one frame on: walks, balls and loops take a step, frame() rises by one "
      "and the changed parts of the screen are drawn, at most one frame every 3 ticks."}},
    {"visualeffect",
     kCommand,
     VisualEffect,
     {"e: effect, n: number",
      "",
      {ScriptError::BadArgumentType, ScriptError::ExpectedComma},
      "Moves the title one frame on as forceupdate does, then shows the new picture of the stage "
      "by the effect e over about n ticks (1 to 1000): barn doors, irises, scrolls, venetian "
      "blinds, wipes, or plain at once."}},
};

}  // namespace

void WireDisplayBuiltins(BuiltinTable& table, DisplayServices& services) {
  table.wire<kDisplayBuiltins>(services);
}
void DescribeDisplayBuiltins(BuiltinTable& catalog) { catalog.describe<kDisplayBuiltins>(); }

}  // namespace lw
