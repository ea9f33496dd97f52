// Motion: the walks of actors, the balls of props and the timed loops that send a handler call
// to an object, kept in three fixed tables of slots (a slot is free while inactive) and moved on
// one step by Step, which the display step runs before it composes a frame.
//
// Walk slot (16), fields in this order:
//   FIELD         TYPE      WHAT IT IS
//   active        bool      the slot is in use
//   paused        i16       pausewalk counter; the walk waits while it is above 0
//   target        i16       the angle the actor turns to first; -1 once it walks
//   turnOnly      bool      turntodeg: the walk ends when the actor faces the target
//   dx, dy, dz    3 x i32   a straight walk: start minus destination; a walk waiting for its
//                           set to open: the point of a custom destination
//   length        i32       a straight walk's length (at least 1)
//   start         block     angle, x, y, z, extra[0..1] of the actor when the walk began (a
//                           straight walk's angle is the bearing to the destination)
//   path          SetPath   the path a path walk follows; none for other walks
//   travelled     i32       how far along the walk the actor is
//   placed3d      bool      the walk moves the actor in the current set (else it waits for it)
//   actorIndex    size      the actor's last-found table index, tried first when looking it up
//   actor         text      the actor's name
//   destination   text      the star or path end walked to, or "custom"
//
// Ball slot (16):
//   active bool; paused i16; vx, vy, vz 3 x i16 (velocity a step, vz falls by 2 a step);
//   spare i16 (makeball's fourth number, kept); bounce bool; framesLeft i32; position block
//   (angle, x, y, z, x / 256, y / 256: the cell under the ball); propIndex size; prop text.
//
// Loop slot (32):
//   active bool; paused i16; kind u8 (1 actor, 2 prop, 3 scene, 4 flat); ticksLeft i32;
//   object text; handler text.
//
// Handlers that a step sends may start and stop slots, including the one being stepped, so each
// step reads what it needs before it sends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "objects/figure_table.h"
#include "objects/set_objects.h"
#include "objects/stage_objects.h"
#include "script/builtin_table.h"
#include "shell/error_report.h"

namespace lw {

inline constexpr std::size_t kWalkSlots = 16;
inline constexpr std::size_t kBallSlots = 16;
inline constexpr std::size_t kLoopSlots = 32;
inline constexpr char kCustomDestination[] = "custom";

// What a loop sends its handler call to; 0 names no kind.
enum class LoopKind : std::uint8_t { kUnknown = 0, kActor = 1, kProp = 2, kScene = 3, kFlat = 4 };

// The kind a script names ("actor", "prop", "scene", "flat", without case); kUnknown otherwise.
[[nodiscard]] LoopKind LoopKindNamed(std::string_view name);

struct WalkStart {
  std::int16_t angle = 0;
  std::int16_t x = 0, y = 0, z = 0;
  std::int16_t extra[2] = {0, 0};
};

struct WalkSlot {
  bool active = false;
  std::int16_t paused = 0;
  std::int16_t target = -1;
  bool turnOnly = false;
  std::int32_t dx = 0, dy = 0, dz = 0;
  std::int32_t length = 1;
  WalkStart start;
  std::optional<SetPath> path;
  std::int32_t travelled = 0;
  bool placed3d = false;
  std::size_t actorIndex = 0;
  std::string actor;
  std::string destination;
};

struct BallPosition {
  std::int16_t angle = 0;
  std::int16_t x = 0, y = 0, z = 0;
  std::int16_t cellX = 0, cellY = 0;
};

struct BallSlot {
  bool active = false;
  std::int16_t paused = 0;
  std::int16_t vx = 0, vy = 0, vz = 0;
  std::int16_t spare = 0;
  bool bounce = false;
  std::int32_t framesLeft = 0;
  BallPosition position;
  std::size_t propIndex = 0;
  std::string prop;
};

struct LoopSlot {
  bool active = false;
  std::int16_t paused = 0;
  LoopKind kind = LoopKind::kUnknown;
  std::int32_t ticksLeft = 0;
  std::string object;
  std::string handler;
};

// What makeball asks for.
struct BallRequest {
  std::int16_t vx = 0, vy = 0, vz = 0;
  std::int16_t spare = 0;
  bool bounce = false;
  std::int32_t frames = 0;
};

struct MotionParts {
  FigureTable& actors;
  FigureTable& props;
  SetObjects& set;
  StageObjects& stage;
  ErrorReporter& errors;
  const HitBox& player;  // the player's hit box, which balls hit as they hit actors
};

class Motion {
 public:
  // Installs the motion hooks of both figure tables, which must outlive the motion.
  explicit Motion(MotionParts parts);
  // Takes the hooks out of the tables again.
  ~Motion();
  Motion(const Motion&) = delete;
  Motion& operator=(const Motion&) = delete;

  // walktostar: NoSuchObject for an unknown actor or a destination that is no path, star or
  // custom point of the current set (when the actor is in it); TooManyWalks without a free slot.
  ScriptError StartWalk(std::string_view actor, std::string_view destination);
  // turntodeg: the actor turns to `angle` (mod 256) and its walk ends there.
  ScriptError StartTurn(std::string_view actor, std::int32_t angle);
  ScriptError StartBall(std::string_view prop, const BallRequest& request);
  ScriptError StartLoop(LoopKind kind, std::string_view object, std::string_view handler,
                        std::int32_t ticks);

  // Stop without a message; "all" names every slot (of that kind, for loops).
  void StopWalk(std::string_view actor);
  void StopBall(std::string_view prop);
  void StopLoop(LoopKind kind, std::string_view object);
  // The runtime stop: every slot is freed.
  void StopAll();

  // The slot of a name, if one is active.
  [[nodiscard]] const WalkSlot* walkOf(std::string_view actor) const;
  [[nodiscard]] const BallSlot* ballOf(std::string_view prop) const;
  [[nodiscard]] const LoopSlot* loopOf(LoopKind kind, std::string_view object) const;
  [[nodiscard]] int walkCount() const;
  [[nodiscard]] int ballCount() const;
  [[nodiscard]] int loopCount(LoopKind kind) const;
  [[nodiscard]] const std::array<WalkSlot, kWalkSlots>& walks() const { return walks_; }
  [[nodiscard]] const std::array<BallSlot, kBallSlots>& balls() const { return balls_; }
  [[nodiscard]] const std::array<LoopSlot, kLoopSlots>& loops() const { return loops_; }

  // The pause properties: true adds one to the counter, false takes one off (not below 0); a
  // name without a slot changes nothing.
  void PauseWalk(std::string_view actor, bool pause);
  void PauseBall(std::string_view prop, bool pause);
  void PauseLoop(LoopKind kind, std::string_view object, bool pause);

  // One motion step: each active walk, then each ball, then each loop, in slot order. The first
  // error a step gives ends the motion step with it.
  ScriptError Step(BuiltinCall& c);

 private:
  // The figure of a slot, looked up by name with its last index as the hint (which it updates).
  Figure* FindFigure(FigureTable& table, std::string_view name, std::size_t& index);
  WalkSlot* FreeWalkSlot();

  ScriptError WalkStep(BuiltinCall& c, std::size_t i);
  ScriptError TurnStep(BuiltinCall& c, WalkSlot& walk, Figure& actor);
  // Moves the actor along its path; true when the walk has ended (or its path ran out, which is
  // reported).
  bool PathStep(WalkSlot& walk, Figure& actor);
  // The actor stands on its destination: the walk's slot is freed and endwalk() sent.
  ScriptError EndWalk(BuiltinCall& c, WalkSlot& walk, Figure& actor);
  ScriptError BallStep(BuiltinCall& c, std::size_t i);
  ScriptError EndBall(BuiltinCall& c, BallSlot& ball, std::string_view why);
  ScriptError LoopStep(BuiltinCall& c, std::size_t i);

  MotionParts p_;
  std::array<WalkSlot, kWalkSlots> walks_{};
  std::array<BallSlot, kBallSlots> balls_{};
  std::array<LoopSlot, kLoopSlots> loops_{};
};

}  // namespace lw
