// The slots of motion: the walks of actors, the balls of props and the timed loops, each table
// a fixed number of slots, a slot free while inactive (motion.h moves them; saved games write
// them).
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
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "objects/set_file.h"

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

}  // namespace lw
