// Where a figure is drawn: the picture its pose shows now and the rectangle it covers, in stage
// coordinates (the scene view lies over the top of the stage, so view coordinates are stage
// coordinates too).
//
// Picture choice, for a wanted angle a: the pose is found among the figure's poses by name and
// its record read; v = its frame sequence entry at the figure's frame - 1; the frame moves on by
// one (to 0 after the last) when the figure is being animated; of the pictures of view v, the
// one whose angle is nearest a round the circle (min(|d|, 256 - |d|)) wins, the earlier on a tie.
//
// A 3-D figure (drawn only while a set is open, its scene view shown and the figure in it):
//   a      = (deg - view angle) + (camera angle - bearing from the figure to the camera), mod 256
//   (h, v, depth) = the camera's projection of (x, y, z)               depth < 32: not drawn
//   fog    = max(0, depth - zclip - camera set-back + 128)             fog > 1536: not drawn
//   size   = scale x the picture's size factor / 1000
//   drawn  = size x columns / depth by size x rows / depth
//   rect   = top v - hot row x drawn rows / rows, left h - hot column x drawn columns / columns,
//            clipped to the 512 x 264 view; empty: not drawn
//   shade  = fog / 64, at most 24
// A 2-D figure: the picture for its deg, unscaled, its hot spot on the figure's point, clipped to
// the screen (given in stage coordinates). Its depth is the figure's dist.
//
// A mirrored picture's hot column counts from its right edge, as it is drawn. A drawn size of
// 2048 columns or 32768 rows or more, which no sprite draw can make, is not drawn.
#pragma once

#include <cstdint>
#include <optional>

#include "common/geometry.h"
#include "media/scene_view.h"
#include "media/sprite.h"
#include "media/star_library.h"
#include "objects/figure.h"
#include "shell/error_report.h"

namespace lw {

class SetObjects;

inline constexpr std::int16_t kNearestDepth = 32;
inline constexpr std::int32_t kFarthestFog = 1536;
inline constexpr std::int16_t kNotDrawnDistance = 32000;  // actordist of a 3-D figure not drawn

// What placement reads besides the figure.
struct PlacementContext {
  StarLibrary& library;
  ErrorReporter& errors;
  const SetObjects& set;
  const Trig& trig;
  bool viewShown;
  Rect screen;  // the whole screen, in stage coordinates
};

struct FigurePlacement {
  Point anchor;  // the reference point, where the picture's hot spot lands
  Rect rect;     // the clipped rectangle covered
  std::int16_t depth = -1;
  std::int16_t shade = 0;
  std::uint32_t picture = 0;  // record id in the figure's group file
  bool mirrored = false;
  bool is3d = false;
  SpriteSize size;  // drawn rows and columns (a 2-D picture's own)
};

// Places the figure as it would be drawn at pose frame `frame`, which moves on when a picture is
// chosen: the drawing pass hands in the figure's own frame, a query a copy of it. Nothing when
// it is not drawn. Records that do not load or read are reported and draw nothing.
[[nodiscard]] std::optional<FigurePlacement> PlaceFigure(const PlacementContext& context,
                                                         const Figure& figure, std::int16_t& frame);

// Whether `point` (stage coordinates) lies on a pixel the figure would draw now.
[[nodiscard]] bool FigureCovers(const PlacementContext& context, const Figure& figure, Point point);

}  // namespace lw
