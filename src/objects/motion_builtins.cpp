#include "objects/motion_builtins.h"

#include <string_view>

#include "common/geometry.h"
#include "objects/builtin_arguments.h"

#include "objects/object_names.h"
#include "script/interpreter.h"

namespace lw {
namespace {

constexpr std::size_t kLongestName = 15;

// A text, then a number.
ScriptError TextAndNumber(BuiltinCall& c, PString& text, std::int32_t& n) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(BuiltinCall::number(v[1], n));
  return c.text(v[0], text);
}

// A text, then a logic value: the writes of the pause properties.
ScriptError TextAndLogic(BuiltinCall& c, PString& text, bool& on) {
  Value v[2];
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(BuiltinCall::logic(v[1], on));
  return c.text(v[0], text);
}

// Two texts: a loop kind and an object name.
ScriptError KindAndObject(BuiltinCall& c, LoopKind& kind, PString& object) {
  Value v[2];
  PString kindName;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(c.text(v[0], kindName));
  LW_TRY(c.text(v[1], object));
  kind = LoopKindNamed(kindName.view());
  return kind == LoopKind::kUnknown ? ScriptError::NoSuchObject : ScriptError::None;
}

ScriptError KindArgument(BuiltinCall& c, LoopKind& kind) {
  PString name;
  LW_TRY(TextArgument(c, name));
  kind = LoopKindNamed(name.view());
  return kind == LoopKind::kUnknown ? ScriptError::NoSuchObject : ScriptError::None;
}

ScriptError ReturnLogic(BuiltinCall& c, bool on) {
  *c.result = Value::Logic(on);
  return ScriptError::None;
}
ScriptError ReturnNumber(BuiltinCall& c, int n) {
  *c.result = Value::Number(n);
  return ScriptError::None;
}

// The name of the n-th (from 1) active slot that `named` gives a name for, in slot order.
template <class Slots, class Named>
ScriptError IndexToSlot(BuiltinCall& c, const Slots& slots, std::int32_t n, int count,
                        Named named) {
  if (n < 1 || n > count) return ScriptError::NoSuchObject;
  for (const auto& slot : slots) {
    const std::string* name = named(slot);
    if (name != nullptr && --n == 0) return c.returnText(*name);
  }
  return c.returnText("unknown");
}

ScriptError WalkToStar(BuiltinCall& c, Motion& m) {
  Value v[2];
  PString actor;
  PString destination;
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  LW_TRY(c.text(v[0], actor));
  LW_TRY(c.text(v[1], destination));
  if (destination.view().size() > kLongestName) return ScriptError::StringLengthTooBig;
  return m.StartWalk(actor.view(), destination.view());
}

ScriptError TurnToDeg(BuiltinCall& c, Motion& m) {
  PString actor;
  std::int32_t angle = 0;
  LW_TRY(TextAndNumber(c, actor, angle));
  return m.StartTurn(actor.view(), angle);
}

ScriptError StopWalk(BuiltinCall& c, Motion& m) {
  PString actor;
  LW_TRY(TextArgument(c, actor));
  m.StopWalk(actor.view());
  return ScriptError::None;
}

ScriptError StopBall(BuiltinCall& c, Motion& m) {
  PString prop;
  LW_TRY(TextArgument(c, prop));
  m.StopBall(prop.view());
  return ScriptError::None;
}

ScriptError MakeLoop(BuiltinCall& c, Motion& m) {
  Value v[4];
  LW_TRY(c.args(v));
  for (std::size_t i = 0; i < 3; ++i) LW_TRY(NeedText(v[i]));
  std::int32_t ticks = 0;
  LW_TRY(BuiltinCall::number(v[3], ticks));
  PString kind;
  PString object;
  PString handler;
  LW_TRY(c.text(v[0], kind));
  LW_TRY(c.text(v[1], object));
  LW_TRY(c.text(v[2], handler));
  const LoopKind k = LoopKindNamed(kind.view());
  if (k == LoopKind::kUnknown) return ScriptError::NoSuchObject;
  if (object.view().size() > kLongestName || handler.view().size() > kLongestName) {
    return ScriptError::StringLengthTooBig;
  }
  return m.StartLoop(k, object.view(), handler.view(), ticks);
}

ScriptError StopLoop(BuiltinCall& c, Motion& m) {
  LoopKind kind = LoopKind::kUnknown;
  PString object;
  LW_TRY(KindAndObject(c, kind, object));
  m.StopLoop(kind, object.view());
  return ScriptError::None;
}

ScriptError IsWalk(BuiltinCall& c, Motion& m) {
  PString actor;
  LW_TRY(TextArgument(c, actor));
  return ReturnLogic(c, m.walkOf(actor.view()) != nullptr);
}
ScriptError IsBall(BuiltinCall& c, Motion& m) {
  PString prop;
  LW_TRY(TextArgument(c, prop));
  return ReturnLogic(c, m.ballOf(prop.view()) != nullptr);
}
ScriptError IsLoop(BuiltinCall& c, Motion& m) {
  LoopKind kind = LoopKind::kUnknown;
  PString object;
  LW_TRY(KindAndObject(c, kind, object));
  return ReturnLogic(c, m.loopOf(kind, object.view()) != nullptr);
}

ScriptError CountWalks(BuiltinCall& c, Motion& m) { return ReturnNumber(c, m.walkCount()); }
ScriptError CountBalls(BuiltinCall& c, Motion& m) { return ReturnNumber(c, m.ballCount()); }
ScriptError CountLoops(BuiltinCall& c, Motion& m) {
  LoopKind kind = LoopKind::kUnknown;
  LW_TRY(KindArgument(c, kind));
  return ReturnNumber(c, m.loopCount(kind));
}

ScriptError IndexToWalk(BuiltinCall& c, Motion& m) {
  Value v;
  std::int32_t n = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v, n));
  return IndexToSlot(c, m.walks(), n, m.walkCount(),
                     [](const WalkSlot& w) { return w.active ? &w.actor : nullptr; });
}
ScriptError IndexToBall(BuiltinCall& c, Motion& m) {
  Value v;
  std::int32_t n = 0;
  LW_TRY(c.args(v));
  LW_TRY(BuiltinCall::number(v, n));
  return IndexToSlot(c, m.balls(), n, m.ballCount(),
                     [](const BallSlot& b) { return b.active ? &b.prop : nullptr; });
}
ScriptError IndexToLoop(BuiltinCall& c, Motion& m) {
  PString kindName;
  std::int32_t n = 0;
  LW_TRY(TextAndNumber(c, kindName, n));
  const LoopKind kind = LoopKindNamed(kindName.view());
  if (kind == LoopKind::kUnknown) return ScriptError::NoSuchObject;
  return IndexToSlot(c, m.loops(), n, m.loopCount(kind), [kind](const LoopSlot& l) {
    return l.active && l.kind == kind ? &l.object : nullptr;
  });
}

ScriptError WalkDest(BuiltinCall& c, Motion& m) {
  PString actor;
  LW_TRY(TextArgument(c, actor));
  const WalkSlot* walk = m.walkOf(actor.view());
  return c.returnText(walk != nullptr ? std::string_view(walk->destination) : "none");
}

ScriptError PauseWalkRead(BuiltinCall& c, Motion& m) {
  PString actor;
  LW_TRY(TextArgument(c, actor));
  const WalkSlot* walk = m.walkOf(actor.view());
  return ReturnLogic(c, walk != nullptr && walk->paused > 0);
}
ScriptError PauseWalkWrite(BuiltinCall& c, Motion& m) {
  PString actor;
  bool pause = false;
  LW_TRY(TextAndLogic(c, actor, pause));
  m.PauseWalk(actor.view(), pause);
  return ScriptError::None;
}
ScriptError PauseBallRead(BuiltinCall& c, Motion& m) {
  PString prop;
  LW_TRY(TextArgument(c, prop));
  const BallSlot* ball = m.ballOf(prop.view());
  return ReturnLogic(c, ball != nullptr && ball->paused > 0);
}
ScriptError PauseBallWrite(BuiltinCall& c, Motion& m) {
  PString prop;
  bool pause = false;
  LW_TRY(TextAndLogic(c, prop, pause));
  m.PauseBall(prop.view(), pause);
  return ScriptError::None;
}
ScriptError PauseLoopRead(BuiltinCall& c, Motion& m) {
  LoopKind kind = LoopKind::kUnknown;
  PString object;
  LW_TRY(KindAndObject(c, kind, object));
  const LoopSlot* loop = m.loopOf(kind, object.view());
  return ReturnLogic(c, loop != nullptr && loop->paused > 0);
}
ScriptError PauseLoopWrite(BuiltinCall& c, Motion& m) {
  Value v[3];
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  LW_TRY(NeedText(v[1]));
  bool pause = false;
  LW_TRY(BuiltinCall::logic(v[2], pause));
  PString kindName;
  PString object;
  LW_TRY(c.text(v[0], kindName));
  LW_TRY(c.text(v[1], object));
  const LoopKind kind = LoopKindNamed(kindName.view());
  if (kind == LoopKind::kUnknown) return ScriptError::NoSuchObject;
  m.PauseLoop(kind, object.view(), pause);
  return ScriptError::None;
}

// makeball prop, vx, vy, vz, spare, bounce, frames: a missing comma after vz is ExpectedComma.
ScriptError MakeBall(BuiltinCall& c, Motion& m) {
  Value v[7];
  LW_TRY(c.args(v));
  LW_TRY(NeedText(v[0]));
  std::int32_t numbers[5] = {};
  for (std::size_t i = 0; i < 4; ++i) LW_TRY(BuiltinCall::number(v[i + 1], numbers[i]));
  BallRequest request;
  LW_TRY(BuiltinCall::logic(v[5], request.bounce));
  LW_TRY(BuiltinCall::number(v[6], numbers[4]));
  request.vx = Wrap16(numbers[0]);
  request.vy = Wrap16(numbers[1]);
  request.vz = Wrap16(numbers[2]);
  request.spare = Wrap16(numbers[3]);
  request.frames = numbers[4];
  PString prop;
  LW_TRY(c.text(v[0], prop));
  return m.StartBall(prop.view(), request);
}

using enum BuiltinKind;
constexpr ScriptError kType = ScriptError::BadArgumentType;
constexpr ScriptError kNoSuch = ScriptError::NoSuchObject;
constexpr ScriptError kTooLong = ScriptError::StringLengthTooBig;

constexpr BuiltinEntry<Motion> kMotionBuiltins[] = {
    {"walktostar",
     kCommand,
     WalkToStar,
     {"actor: text, destination: text",
      "",
      {kType, kNoSuch, kTooLong, ScriptError::TooManyWalks},
      "The actor turns toward the destination (a star, the end of a path from its star, or a "
      "point \"x, y, z\"), walks there and gets endturn() and endwalk(); outside the current set "
      "it is put there when its set opens."}},
    {"turntodeg",
     kCommand,
     TurnToDeg,
     {"actor: text, angle: number",
      "",
      {kType, kNoSuch, ScriptError::TooManyWalks},
      "The actor turns to the angle (256 a turn), then gets endturn()."}},
    {"stopwalk",
     kCommand,
     StopWalk,
     {"actor: text", "", {kType}, "Stops the actor's walk (\"all\": every walk) quietly."}},
    {"makeball",
     kCommand,
     MakeBall,
     {"prop: text, vx: number, vy: number, vz: number, spare: number, bounce: logic, "
      "frames: number",
      "",
      {kType, kNoSuch, ScriptError::ExpectedComma, ScriptError::TooManyBalls},
      "Throws the prop from where it stands at (vx, vy, vz) a step, falling 2 a step; it "
      "bounces off the ground and walls when bounce is true, else stops there, and stops at "
      "an actor or the player with a hit box, or after the frames; then endball(what)."}},
    {"stopball",
     kCommand,
     StopBall,
     {"prop: text", "", {kType}, "Stops the prop's ball (\"all\": every ball) quietly."}},
    {"makeloop",
     kCommand,
     MakeLoop,
     {"kind: text, object: text, handler: text, ticks: number",
      "",
      {kType, kNoSuch, kTooLong, ScriptError::TooManyLoops},
      "After the ticks (motion steps) runs handler() in the object's script; kind is \"actor\", "
      "\"prop\", \"scene\" or \"flat\"."}},
    {"stoploop",
     kCommand,
     StopLoop,
     {"kind: text, object: text",
      "",
      {kType, kNoSuch},
      "Stops the object's loop (\"all\": every loop of the kind) quietly."}},
    {"iswalk",
     kFunction,
     IsWalk,
     {"actor: text", "logic", {kType}, "Whether the actor walks or turns."}},
    {"isball", kFunction, IsBall, {"prop: text", "logic", {kType}, "Whether the prop flies."}},
    {"isloop",
     kFunction,
     IsLoop,
     {"kind: text, object: text", "logic", {kType, kNoSuch}, "Whether the object has a loop."}},
    {"countwalks", kFunction, CountWalks, {"", "number", {}, "The number of walks under way."}},
    {"countballs", kFunction, CountBalls, {"", "number", {}, "The number of balls in flight."}},
    {"countloops",
     kFunction,
     CountLoops,
     {"kind: text", "number", {kType, kNoSuch}, "The number of loops of the kind."}},
    {"indextowalk",
     kFunction,
     IndexToWalk,
     {"n: number", "text", {kType, kNoSuch}, "The actor of walk n, counted from 1."}},
    {"indextoball",
     kFunction,
     IndexToBall,
     {"n: number", "text", {kType, kNoSuch}, "The prop of ball n, counted from 1."}},
    {"indextoloop",
     kFunction,
     IndexToLoop,
     {"kind: text, n: number",
      "text",
      {kType, kNoSuch},
      "The object of loop n of the kind, counted from 1."}},
    {"walkdest",
     kFunction,
     WalkDest,
     {"actor: text",
      "text",
      {kType},
      "Where the actor's walk goes: a star, \"custom\", or \"none\" without a walk."}},
    {"pausewalk",
     kPropertyRead,
     PauseWalkRead,
     {"actor: text", "logic", {kType}, "Whether the actor's walk is paused."}},
    {"pausewalk",
     kPropertyWrite,
     PauseWalkWrite,
     {"actor: text, pause: logic",
      "",
      {kType},
      "Pauses the walk (\"all\": every walk) once more, or once less."}},
    {"pauseball",
     kPropertyRead,
     PauseBallRead,
     {"prop: text", "logic", {kType}, "Whether the prop's ball is paused."}},
    {"pauseball",
     kPropertyWrite,
     PauseBallWrite,
     {"prop: text, pause: logic",
      "",
      {kType},
      "Pauses the ball (\"all\": every ball) once more, or once less."}},
    {"pauseloop",
     kPropertyRead,
     PauseLoopRead,
     {"kind: text, object: text", "logic", {kType, kNoSuch}, "Whether the loop is paused."}},
    {"pauseloop",
     kPropertyWrite,
     PauseLoopWrite,
     {"kind: text, object: text, pause: logic",
      "",
      {kType, kNoSuch},
      "Pauses the loop (\"all\": every loop of the kind) once more, or once less."}},
};

}  // namespace

void WireMotionBuiltins(BuiltinTable& table, Motion& motion) {
  table.wire<kMotionBuiltins>(motion);
}
void DescribeMotionBuiltins(BuiltinTable& catalog) { catalog.describe<kMotionBuiltins>(); }

}  // namespace lw
