// The scene view of a set: the 512 x 264 first-person view at the top of the stage, its camera and
// the projection of set points into it. The runtime places the camera and projects actors with
// these; titlekit renders a set's view pictures with the same numbers, so that what it draws and
// what the runtime places in front of it agree.
//
// World units: a set cell is 256 x 256, x grows with the column and y with the row, z is height.
// Directions run 0..255 a turn, 0 facing +x (east), 64 +y (south). Sines and cosines come from
// the program's tables (16384 standing for 1).
//
// Projection (ProjectPoint), camera at (cx, cy, cz) facing a, with C = cos a and S = sin a:
//   dx = x - cx, dy = y - cy, dz = z - cz
//   depth   = (C dx + S dy) / 16384            below 1: behind the camera, nothing else computed
//   lateral = (C dy - S dx) / 16384
//   h = lateral x F / depth + centre column,  v = horizon row - dz x F / depth
// (integer division toward zero throughout).
//
// The camera stands K units (the set's camera set-back) behind the player along the view:
//   camera x = player x - K x C / 16384,  camera y = player y - K x S / 16384
#pragma once

#include <cstdint>

#include "common/direction.h"
#include "common/geometry.h"

namespace lw {

inline constexpr int kSceneViewWidth = 512;
inline constexpr int kSceneViewHeight = 264;
// The projection constants of every set: a focal length of half the view's width gives a view
// 90 degrees wide; the horizon and centre are the view's middle.
inline constexpr std::int32_t kFocalLength = 256;
inline constexpr std::int32_t kViewCentreColumn = kSceneViewWidth / 2;
inline constexpr std::int32_t kHorizonRow = kSceneViewHeight / 2;
inline constexpr std::int32_t kCellSize = 256;
inline constexpr std::int32_t kMoveStepUnits = 64;  // a move's animation steps a quarter cell
inline constexpr std::int32_t kTurnStepUnits = 16;  // and a quarter of a quarter turn
inline constexpr int kMoveSteps = 4;                // pictures 0..4 of a move

struct Camera {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  int angle = 0;  // 0..255
};

struct ProjectedPoint {
  std::int32_t h = 0;      // view column
  std::int32_t v = 0;      // view row
  std::int32_t depth = 0;  // below 1: behind the camera, h and v not computed
};

// The sine and cosine of a direction from the program's tables.
struct Trig {
  const TrigTable& sine;
  const TrigTable& cosine;
  [[nodiscard]] std::int32_t sin(int angle) const { return sine[WrapDirection(angle)]; }
  [[nodiscard]] std::int32_t cos(int angle) const { return cosine[WrapDirection(angle)]; }
};

[[nodiscard]] ProjectedPoint ProjectPoint(const Trig& trig, const Camera& camera, std::int32_t x,
                                          std::int32_t y, std::int32_t z);

// The camera of a player standing at (x, y) facing `angle`, `setBack` units behind, at `height`.
[[nodiscard]] Camera CameraBehind(const Trig& trig, std::int32_t x, std::int32_t y, int angle,
                                  std::int32_t setBack, std::int32_t height);

// The centre of the cell at (row, column).
[[nodiscard]] constexpr std::int32_t CellCentre(std::int32_t index) {
  return index * kCellSize + kCellSize / 2;
}

}  // namespace lw
