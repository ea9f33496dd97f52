// The slot tables of motion: starting, stopping, pausing and finding walks, balls and loops.
#include "objects/motion.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/direction.h"
#include "objects/object_names.h"

namespace lw {
namespace {

constexpr std::string_view kAll = "all";
constexpr char kWalkOnPath[] = "walkonpath";
constexpr char kWalkToStar[] = "walktostar";
constexpr char kWalkNoData[] = "walknodata";

constexpr std::array<std::string_view, 4> kLoopKindNames = {"actor", "prop", "scene", "flat"};

bool NamesAll(std::string_view name) { return SameObjectName(name, kAll); }

WalkStart StartOf(const Figure& f) {
  return WalkStart{f.deg, f.x, f.y, f.z, {f.extra[0], f.extra[1]}};
}

// A pause counter moved one up (true) or one down, not below 0.
void Pause(std::int16_t& counter, bool pause) {
  if (pause) {
    if (counter < std::numeric_limits<std::int16_t>::max()) ++counter;
  } else if (counter > 0) {
    --counter;
  }
}

template <class Slots, class Matches>
void PauseSlots(Slots& slots, bool pause, Matches matches) {
  for (auto& slot : slots) {
    if (slot.active && matches(slot)) Pause(slot.paused, pause);
  }
}

}  // namespace

LoopKind LoopKindNamed(std::string_view name) {
  for (std::size_t i = 0; i < kLoopKindNames.size(); ++i) {
    if (SameObjectName(kLoopKindNames[i], name)) return static_cast<LoopKind>(i + 1);
  }
  return LoopKind::kUnknown;
}

Motion::Motion(MotionParts parts) : p_(parts) {
  p_.actors.setMotionHooks(FigureMotionHooks{[this](std::string_view name) { StopWalk(name); },
                                             [this](std::string_view name) {
                                               StopWalk(name);
                                               StopLoop(LoopKind::kActor, name);
                                             }});
  p_.props.setMotionHooks(FigureMotionHooks{[this](std::string_view name) { StopBall(name); },
                                            [this](std::string_view name) {
                                              StopBall(name);
                                              StopLoop(LoopKind::kProp, name);
                                            }});
}

Motion::~Motion() {
  p_.actors.setMotionHooks({});
  p_.props.setMotionHooks({});
}

Figure* Motion::FindFigure(FigureTable& table, std::string_view name, std::size_t& index) {
  const auto found = table.Find(name, index);
  if (!found) return nullptr;
  index = *found;
  return &table.at(*found);
}

WalkSlot* Motion::FreeWalkSlot() {
  for (WalkSlot& w : walks_) {
    if (!w.active) return &w;
  }
  return nullptr;
}

ScriptError Motion::StartWalk(std::string_view actorName, std::string_view destination) {
  const auto found = p_.actors.Find(actorName);
  if (!found) return ScriptError::NoSuchObject;
  StopWalk(p_.actors.at(*found).name);
  WalkSlot* slot = FreeWalkSlot();
  if (slot == nullptr) return ScriptError::TooManyWalks;
  Figure& actor = p_.actors.at(*found);
  WalkSlot walk;
  walk.active = true;
  walk.actorIndex = *found;
  walk.actor = actor.name;
  walk.destination = std::string(destination);
  walk.start = StartOf(actor);
  const auto custom = ParseCustomDestination(destination);
  if (!InCurrentSet(p_.set, actor)) {
    // The walk waits for the actor's set to open; a custom point is kept for then.
    walk.target = static_cast<std::int16_t>(WrapDirection(actor.deg));
    if (custom) {
      walk.destination = kCustomDestination;
      walk.dx = custom->x;
      walk.dy = custom->y;
      walk.dz = custom->z;
    }
    actor.star = kWalkNoData;
    *slot = std::move(walk);
    return ScriptError::None;
  }
  auto path = p_.set.FindPath(actor.star, destination, SameObjectName(actor.star, "resume"));
  if (path && path->points.size() >= 2) {
    const PathPoint& a = path->points[0];
    const PathPoint& b = path->points[1];
    walk.target = static_cast<std::int16_t>(DirectionOf(b.x - a.x, b.y - a.y));
    walk.path = std::move(path);
    walk.placed3d = true;
    actor.star = kWalkOnPath;
    *slot = std::move(walk);
    return ScriptError::None;
  }
  std::optional<SetPoint> to = custom;
  if (custom) {
    walk.destination = kCustomDestination;
  } else {
    to = p_.set.FindStar(destination);
  }
  if (!to) return ScriptError::NoSuchObject;
  walk.target = static_cast<std::int16_t>(DirectionOf(to->x - actor.x, to->y - actor.y));
  walk.start.angle = walk.target;
  walk.dx = actor.x - to->x;
  walk.dy = actor.y - to->y;
  walk.dz = actor.z - to->z;
  const auto squares = static_cast<std::uint64_t>(static_cast<std::int64_t>(walk.dx) * walk.dx +
                                                  static_cast<std::int64_t>(walk.dy) * walk.dy +
                                                  static_cast<std::int64_t>(walk.dz) * walk.dz);
  walk.length = std::max<std::int32_t>(1, static_cast<std::int32_t>(IntegerSqrt(squares)));
  walk.placed3d = true;
  actor.star = kWalkToStar;
  *slot = std::move(walk);
  return ScriptError::None;
}

ScriptError Motion::StartTurn(std::string_view actorName, std::int32_t angle) {
  const auto found = p_.actors.Find(actorName);
  if (!found) return ScriptError::NoSuchObject;
  StopWalk(p_.actors.at(*found).name);
  WalkSlot* slot = FreeWalkSlot();
  if (slot == nullptr) return ScriptError::TooManyWalks;
  const Figure& actor = p_.actors.at(*found);
  WalkSlot walk;
  walk.active = true;
  walk.target = static_cast<std::int16_t>(WrapDirection(angle));
  walk.turnOnly = true;
  walk.start = StartOf(actor);
  walk.placed3d = InCurrentSet(p_.set, actor);
  walk.actorIndex = *found;
  walk.actor = actor.name;
  walk.destination = actor.star;
  *slot = std::move(walk);
  return ScriptError::None;
}

ScriptError Motion::StartBall(std::string_view propName, const BallRequest& request) {
  const auto found = p_.props.Find(propName);
  if (!found) return ScriptError::NoSuchObject;
  StopBall(p_.props.at(*found).name);
  const auto free = std::ranges::find_if(balls_, [](const BallSlot& b) { return !b.active; });
  if (free == balls_.end()) return ScriptError::TooManyBalls;
  const Figure& prop = p_.props.at(*found);
  BallSlot ball;
  ball.active = true;
  ball.vx = request.vx;
  ball.vy = request.vy;
  ball.vz = request.vz;
  ball.spare = request.spare;
  ball.bounce = request.bounce;
  ball.framesLeft = request.frames;
  ball.position = BallPosition{prop.deg,
                               prop.x,
                               prop.y,
                               prop.z,
                               static_cast<std::int16_t>(prop.x >> 8),
                               static_cast<std::int16_t>(prop.y >> 8)};
  ball.propIndex = *found;
  ball.prop = prop.name;
  *free = std::move(ball);
  return ScriptError::None;
}

ScriptError Motion::StartLoop(LoopKind kind, std::string_view object, std::string_view handler,
                              std::int32_t ticks) {
  if (kind == LoopKind::kUnknown) return ScriptError::NoSuchObject;
  StopLoop(kind, object);
  const auto free = std::ranges::find_if(loops_, [](const LoopSlot& l) { return !l.active; });
  if (free == loops_.end()) return ScriptError::TooManyLoops;
  *free = LoopSlot{true, 0, kind, ticks, std::string(object), std::string(handler)};
  return ScriptError::None;
}

void Motion::StopWalk(std::string_view actor) {
  for (WalkSlot& w : walks_) {
    if (w.active && (NamesAll(actor) || SameObjectName(w.actor, actor))) w = WalkSlot{};
  }
}

void Motion::StopBall(std::string_view prop) {
  for (BallSlot& b : balls_) {
    if (b.active && (NamesAll(prop) || SameObjectName(b.prop, prop))) b = BallSlot{};
  }
}

void Motion::StopLoop(LoopKind kind, std::string_view object) {
  for (LoopSlot& l : loops_) {
    if (l.active && l.kind == kind && (NamesAll(object) || SameObjectName(l.object, object))) {
      l = LoopSlot{};
    }
  }
}

void Motion::StopAll() {
  walks_.fill(WalkSlot{});
  balls_.fill(BallSlot{});
  loops_.fill(LoopSlot{});
}

const WalkSlot* Motion::walkOf(std::string_view actor) const {
  const auto it = std::ranges::find_if(
      walks_, [&](const WalkSlot& w) { return w.active && SameObjectName(w.actor, actor); });
  return it == walks_.end() ? nullptr : &*it;
}

const BallSlot* Motion::ballOf(std::string_view prop) const {
  const auto it = std::ranges::find_if(
      balls_, [&](const BallSlot& b) { return b.active && SameObjectName(b.prop, prop); });
  return it == balls_.end() ? nullptr : &*it;
}

const LoopSlot* Motion::loopOf(LoopKind kind, std::string_view object) const {
  const auto it = std::ranges::find_if(loops_, [&](const LoopSlot& l) {
    return l.active && l.kind == kind && SameObjectName(l.object, object);
  });
  return it == loops_.end() ? nullptr : &*it;
}

int Motion::walkCount() const {
  return static_cast<int>(std::ranges::count_if(walks_, [](const auto& w) { return w.active; }));
}

int Motion::ballCount() const {
  return static_cast<int>(std::ranges::count_if(balls_, [](const auto& b) { return b.active; }));
}

int Motion::loopCount(LoopKind kind) const {
  return static_cast<int>(std::ranges::count_if(
      loops_, [kind](const LoopSlot& l) { return l.active && l.kind == kind; }));
}

void Motion::PauseWalk(std::string_view actor, bool pause) {
  PauseSlots(walks_, pause,
             [&](const WalkSlot& w) { return NamesAll(actor) || SameObjectName(w.actor, actor); });
}

void Motion::PauseBall(std::string_view prop, bool pause) {
  PauseSlots(balls_, pause,
             [&](const BallSlot& b) { return NamesAll(prop) || SameObjectName(b.prop, prop); });
}

void Motion::PauseLoop(LoopKind kind, std::string_view object, bool pause) {
  PauseSlots(loops_, pause, [&](const LoopSlot& l) {
    return l.kind == kind && (NamesAll(object) || SameObjectName(l.object, object));
  });
}

}  // namespace lw
