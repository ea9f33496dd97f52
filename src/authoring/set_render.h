// The pictures of a set's view: a small textured ray caster over a set map. Walls fill whole
// cells and stand 256 units high (z 0..256); floor and ceiling are flat colours. Each view column
// h casts one ray whose lateral/depth slope is (h - centre column) / focal length relative to the
// camera's heading, and walks the grid cell by cell until it enters a wall. The wall's rows come
// from the projection of scene_view.h with the hit point's perpendicular depth, so a point that
// ProjectPoint places on a wall edge lands on the row the renderer drew it on: a wall occupies
// the rows from its top edge's row down to, but not including, its bottom edge's row.
//
// Walls, floor and ceiling darken with depth through shade tables made from the title's palette:
// for each shade level and palette index, the index whose colour is nearest to the darkened one.
// All arithmetic is fixed by the inputs, so the same map and camera give the same picture on
// every run.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "authoring/set_map.h"
#include "common/expected.h"
#include "common/palette.h"
#include "media/scene_view.h"

namespace lw::authoring {

// An 8-bit wall texture: width x height palette indices, rows top to bottom. The top row shows at
// the top of the wall; the texture spans the wall face once.
struct Texture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;
};

using TextureSet = std::map<std::string, Texture>;

struct RenderOptions {
  Palette palette{};  // the title's colours, for the shade tables
  std::uint8_t floorColour = 0;
  std::uint8_t ceilingColour = 0;
  std::int32_t cameraSetBack = 0;   // K: the camera stands this far behind the player
  std::int32_t cameraHeight = 128;  // the camera's z, inside the walls: 1..255
};

// A picture of the view: kSceneViewWidth x kSceneViewHeight palette indices, rows top to bottom.
using ViewPicture = std::vector<std::uint8_t>;
using MovePictures = std::array<ViewPicture, kMoveSteps + 1>;

inline constexpr int kShadeLevels = 16;
inline constexpr std::int32_t kShadeDepthStep = 128;  // a shade level darker every half cell
inline constexpr std::int32_t kMaxTextureSide = 1024;
inline constexpr std::int32_t kMaxCameraSetBack = 1024;

class SetRenderer {
 public:
  // A renderer over a copy of the map and the textures its walls use. Fails when a wall's texture
  // is missing or malformed (a side outside 1..1024, or not width x height pixels), when the
  // camera's height or set-back is out of range, or when the map's cells do not fill its rows and
  // columns (1..127 each).
  static Expected<SetRenderer, std::string> Create(const SetMap& map, const TextureSet& textures,
                                                   const RenderOptions& options, const Trig& trig);

  // The view from `camera`.
  [[nodiscard]] ViewPicture RenderView(const Camera& camera) const;

  // The camera of picture `step` (0..4) of a move: the player at the start cell's centre, moved
  // toward the target by step x 64 units, or the view turned by step x 16 units (left turns
  // subtract), with the camera set back behind the player. Fails for a move that does not start
  // on an open cell facing east, south, west or north, that is not one cell forward or back into
  // an open cell or a quarter turn in place, or for a step outside 0..4.
  [[nodiscard]] Expected<Camera, std::string> MoveCamera(const SetMove& move, int step) const;

  // The five pictures of a move, steps 0..4.
  [[nodiscard]] Expected<MovePictures, std::string> RenderMove(const SetMove& move) const;

  // The shade table of `level` (0: the colours as they are, kShadeLevels - 1: the darkest).
  [[nodiscard]] const std::array<std::uint8_t, 256>& ShadeTable(int level) const;

 private:
  struct Hit;
  SetRenderer(const SetMap& map, const RenderOptions& options, const Trig& trig);
  [[nodiscard]] Hit CastRay(const Camera& camera, int column) const;
  void DrawColumn(ViewPicture& picture, int column, const Hit& hit) const;

  SetMap map_;
  RenderOptions options_;
  Trig trig_;
  std::vector<Texture> textures_;
  std::vector<int> cellTexture_;  // per cell: the index into textures_, -1 for open cells
  std::vector<std::array<std::uint8_t, 256>> shades_;
  std::array<std::uint8_t, kSceneViewHeight> backdrop_{};  // floor and ceiling, shaded by row
};

}  // namespace lw::authoring
