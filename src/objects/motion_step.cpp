// The motion step: each walk, ball and loop moved on once, and the messages that tell the
// figures and objects that theirs ended (endturn(), endwalk(), endball("why"), a loop's handler).
#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/direction.h"
#include "common/geometry.h"
#include "objects/motion.h"
#include "objects/object_error_lines.h"

namespace lw {
namespace {

constexpr char kEndTurn[] = "\", endturn()";
constexpr char kEndWalk[] = "\", endwalk()";
constexpr int kHalfTurn = kDirectionSteps / 2;
constexpr int kCellShift = 8;      // a cell is 256 units wide
constexpr int kHalfCell = 128;     // a cell boundary is at (old + new + 1) x 128
constexpr std::int16_t kFall = 2;  // what a ball's vz loses each step
constexpr std::int16_t kLowestBounce = 3;

// One turning step from `current` toward `target` by at most `step` units, the shorter way
// round a circle of 256 units, stopping exactly on the target. The script math built-in
// TurnTowards works on a 255-unit circle; an actor's turn wraps with its 8-bit angle instead. At
// exactly half a turn apart it turns backward when the target is the larger angle.
std::int16_t TurnToward(std::int16_t current, std::int16_t target, int step) {
  const int from = WrapDirection(current);
  const int to = WrapDirection(target);
  const int forward = WrapDirection(to - from);
  if (forward == 0) return static_cast<std::int16_t>(to);
  const bool goForward = forward < kHalfTurn || (forward == kHalfTurn && to < from);
  const int distance = goForward ? forward : kDirectionSteps - forward;
  const int move = std::min(distance, step);
  return static_cast<std::int16_t>(WrapDirection(from + (goForward ? move : -move)));
}

// The point `part` / `whole` of the way from a to b (whole > 0), rounded toward a.
std::int16_t Between(std::int32_t a, std::int32_t b, std::int64_t part, std::int64_t whole) {
  return Wrap16(a + (static_cast<std::int64_t>(b - a) * part) / whole);
}

// Whether two coordinates lie on the same side beyond the extent centre +- half.
bool BothBeyond(std::int32_t a, std::int32_t b, std::int32_t centre, std::int32_t half) {
  const std::int32_t low = centre - half;
  const std::int32_t high = centre + half;
  return (a < low && b < low) || (a > high && b > high);
}

// Whether a ball moving from `from` to `to` passes through the hit box around (x, y, z).
bool Hits(const BallPosition& from, const BallPosition& to, SetPoint centre, HitBox box) {
  if (box.vertical < 1 || box.horizontal < 1) return false;
  return !(BothBeyond(from.z, to.z, centre.z, box.vertical) ||
           BothBeyond(from.x, to.x, centre.x, box.horizontal) ||
           BothBeyond(from.y, to.y, centre.y, box.horizontal));
}

// A ball that entered a solid cell (a building, or a cell with no scene) along one axis goes back
// onto the boundary it crossed, and its velocity along that axis turns back, halved.
void Rebound(std::int16_t& coordinate, std::int16_t& cell, std::int16_t oldCell,
             std::int16_t& velocity) {
  if (cell == oldCell) return;
  coordinate = Wrap16((static_cast<std::int32_t>(oldCell) + cell + 1) * kHalfCell);
  cell = static_cast<std::int16_t>(coordinate >> kCellShift);
  velocity = Wrap16(-(velocity / 2));
}

void PlaceProp(Figure& prop, const BallPosition& at) {
  prop.deg = at.angle;
  prop.x = at.x;
  prop.y = at.y;
  prop.z = at.z;
  prop.extra[0] = at.cellX;
  prop.extra[1] = at.cellY;
}

}  // namespace

ScriptError Motion::Step(BuiltinCall& c) {
  for (std::size_t i = 0; i < walks_.size(); ++i) {
    if (walks_[i].active && walks_[i].paused == 0) LW_TRY(WalkStep(c, i));
  }
  for (std::size_t i = 0; i < balls_.size(); ++i) {
    if (balls_[i].active && balls_[i].paused == 0) LW_TRY(BallStep(c, i));
  }
  for (std::size_t i = 0; i < loops_.size(); ++i) {
    if (loops_[i].active && loops_[i].paused == 0) LW_TRY(LoopStep(c, i));
  }
  return ScriptError::None;
}

ScriptError Motion::WalkStep(BuiltinCall& c, std::size_t i) {
  WalkSlot& walk = walks_[i];
  Figure* actor = FindFigure(p_.actors, walk.actor, walk.actorIndex);
  if (actor == nullptr) {
    walk = WalkSlot{};
    return ScriptError::None;
  }
  if (walk.target >= 0) return TurnStep(c, walk, *actor);
  if (!walk.placed3d) {
    // The walk jumps to its end once the actor's set is open, when the set has the destination.
    if (!InCurrentSet(p_.set, *actor)) return ScriptError::None;
    const auto to = walk.destination == kCustomDestination
                        ? std::optional<SetPoint>(SetPoint{walk.dx, walk.dy, walk.dz})
                        : p_.set.FindStar(walk.destination);
    if (!to) return ScriptError::None;
    actor->x = Wrap16(to->x);
    actor->y = Wrap16(to->y);
    actor->z = Wrap16(to->z);
    return EndWalk(c, walk, *actor);
  }
  if (walk.path) {
    return PathStep(walk, *actor) ? EndWalk(c, walk, *actor) : ScriptError::None;
  }
  walk.travelled = std::clamp(walk.travelled + actor->speed, 0, walk.length);
  actor->x = Between(walk.start.x, walk.start.x - walk.dx, walk.travelled, walk.length);
  actor->y = Between(walk.start.y, walk.start.y - walk.dy, walk.travelled, walk.length);
  actor->z = Between(walk.start.z, walk.start.z - walk.dz, walk.travelled, walk.length);
  return walk.travelled < walk.length ? ScriptError::None : EndWalk(c, walk, *actor);
}

ScriptError Motion::TurnStep(BuiltinCall& c, WalkSlot& walk, Figure& actor) {
  if (walk.placed3d) {
    actor.x = walk.start.x;
    actor.y = walk.start.y;
    actor.z = walk.start.z;
  }
  // A turning step below 1 would never arrive.
  actor.deg = TurnToward(actor.deg, walk.target, std::max<int>(1, actor.turn));
  if (actor.deg != walk.target) return ScriptError::None;
  const std::string name = walk.actor;
  if (walk.turnOnly) {
    walk = WalkSlot{};
  } else {
    walk.target = -1;
  }
  return p_.actors.SendFigureEvent(c.in, name, kEndTurn);
}

bool Motion::PathStep(WalkSlot& walk, Figure& actor) {
  const std::vector<PathPoint>& points = walk.path->points;
  walk.travelled = std::max(0, walk.travelled + actor.speed);
  if (walk.path->totalLength <= static_cast<std::uint32_t>(walk.travelled)) {
    const PathPoint& last = points[points.size() - 1];
    const PathPoint& before = points[points.size() - 2];
    actor.x = last.x;
    actor.y = last.y;
    actor.z = last.z;
    actor.deg = static_cast<std::int16_t>(DirectionOf(last.x - before.x, last.y - before.y));
    return true;
  }
  std::int32_t remaining = walk.travelled;
  std::size_t segment = 1;
  while (remaining > points[segment].length) {
    remaining -= points[segment].length;
    if (++segment == points.size()) {
      // The total length claims more than the segments hold.
      p_.errors.ReportError(kObjectProgramCode, errline::kPathOverrun);
      return true;
    }
  }
  const PathPoint& from = points[segment - 1];
  const PathPoint& to = points[segment];
  const std::int32_t length = to.length;
  if (length > 0) {
    actor.x = Between(from.x, to.x, remaining, length);
    actor.y = Between(from.y, to.y, remaining, length);
    actor.z = Between(from.z, to.z, remaining, length);
  } else {
    actor.x = from.x;
    actor.y = from.y;
    actor.z = from.z;
  }
  actor.deg = static_cast<std::int16_t>(DirectionOf(to.x - from.x, to.y - from.y));
  return false;
}

ScriptError Motion::EndWalk(BuiltinCall& c, WalkSlot& walk, Figure& actor) {
  actor.star = walk.destination;
  const std::string name = walk.actor;
  walk = WalkSlot{};
  return p_.actors.SendFigureEvent(c.in, name, kEndWalk);
}

ScriptError Motion::BallStep(BuiltinCall& c, std::size_t i) {
  BallSlot& ball = balls_[i];
  Figure* prop = FindFigure(p_.props, ball.prop, ball.propIndex);
  if (prop == nullptr) {
    ball = BallSlot{};
    return ScriptError::None;
  }
  if (ball.framesLeft <= 0) return EndBall(c, ball, "frames");
  --ball.framesLeft;
  const BallPosition old = ball.position;
  BallPosition& at = ball.position;
  at.x = Wrap16(at.x + ball.vx);
  at.y = Wrap16(at.y + ball.vy);
  at.z = Wrap16(at.z + ball.vz);
  at.cellX = static_cast<std::int16_t>(at.x >> kCellShift);
  at.cellY = static_cast<std::int16_t>(at.y >> kCellShift);
  ball.vz = Wrap16(ball.vz - kFall);
  const bool building = p_.set.isSolidCell(at.cellY, at.cellX);
  if (ball.bounce) {
    if (at.z < 1) {
      at.z = 0;
      const auto half = static_cast<std::int16_t>(ball.vz / 2);
      ball.vz = std::abs(half) < kLowestBounce ? std::int16_t{0} : Wrap16(-half);
    }
    if (building) {
      Rebound(at.x, at.cellX, old.cellX, ball.vx);
      Rebound(at.y, at.cellY, old.cellY, ball.vy);
    }
  } else if (at.z < 1 || building) {
    PlaceProp(*prop, at);
    return EndBall(c, ball, "building");
  }
  for (std::size_t a = 0; a < p_.actors.count(); ++a) {
    const Figure& actor = p_.actors.at(a);
    if (actor.hitV < 1 || actor.hitH < 1 || !actor.visible || !actor.is3d) continue;
    if (!InCurrentSet(p_.set, actor)) continue;
    if (Hits(old, at, SetPoint{actor.x, actor.y, actor.z}, HitBox{actor.hitV, actor.hitH})) {
      const std::string hit = actor.name;
      PlaceProp(*prop, at);
      return EndBall(c, ball, hit);
    }
  }
  if (p_.set.isOpen() && Hits(old, at, p_.set.player(), p_.player)) {
    PlaceProp(*prop, at);
    return EndBall(c, ball, "player");
  }
  PlaceProp(*prop, at);
  return ScriptError::None;
}

ScriptError Motion::EndBall(BuiltinCall& c, BallSlot& ball, std::string_view why) {
  const std::string name = ball.prop;
  ball = BallSlot{};
  return p_.props.SendFigureEvent(c.in, name, "\", endball(\"" + std::string(why) + "\")");
}

ScriptError Motion::LoopStep(BuiltinCall& c, std::size_t i) {
  LoopSlot& loop = loops_[i];
  if (loop.ticksLeft > 1) {
    --loop.ticksLeft;
    return ScriptError::None;
  }
  const LoopKind kind = loop.kind;
  const std::string object = loop.object;
  const std::string stored = "\", " + loop.handler + "()";
  loop = LoopSlot{};
  switch (kind) {
    case LoopKind::kActor: return p_.actors.SendFigureEvent(c.in, object, stored);
    case LoopKind::kProp: return p_.props.SendFigureEvent(c.in, object, stored);
    case LoopKind::kScene:
      return SendMessageText(
          c.in, ObjectKind::kScene, QuotedNameMessage(object, stored),
          [this](BuiltinCall& call) { return p_.set.SendToScene(call, nullptr); });
    case LoopKind::kFlat:
      return SendMessageText(
          c.in, ObjectKind::kFlat, QuotedNameMessage(object, stored),
          [this](BuiltinCall& call) { return p_.stage.SendToFlat(call, nullptr); });
    case LoopKind::kUnknown: break;
  }
  return ScriptError::None;
}

}  // namespace lw
