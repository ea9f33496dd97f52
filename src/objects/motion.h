// Motion: the walks of actors, the balls of props and the timed loops that send a handler call
// to an object, kept in three fixed tables of slots (a slot is free while inactive) and moved on
// one step by Step, which the display step runs before it composes a frame. The slots are laid
// out in motion_slots.h.
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
#include "objects/motion_slots.h"
#include "objects/set_objects.h"
#include "objects/stage_objects.h"
#include "script/builtin_table.h"
#include "shell/error_report.h"

namespace lw {

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

  // Saved games: the slots put back as they were saved.
  void Restore(const std::array<WalkSlot, kWalkSlots>& walks,
               const std::array<BallSlot, kBallSlots>& balls,
               const std::array<LoopSlot, kLoopSlots>& loops) {
    walks_ = walks;
    balls_ = balls;
    loops_ = loops;
  }

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
