#include "authoring/set_render.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lw::authoring {
namespace {

constexpr double kNoCrossing = std::numeric_limits<double>::infinity();
constexpr int kShadeScale = 64;  // a shade level keeps (64 - 3 x level) / 64 of a colour
constexpr int kShadeFall = 3;

// The shade level of something `depth` units ahead of the camera.
int ShadeLevel(std::int64_t depth) {
  return static_cast<int>(std::clamp<std::int64_t>(depth / kShadeDepthStep, 0, kShadeLevels - 1));
}

// The palette index nearest to `colour`: least squared distance, lowest index on ties.
std::uint8_t Nearest(const Palette& palette, int red, int green, int blue) {
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    const Rgb& p = palette[static_cast<std::size_t>(i)];
    const int dr = p.red - red;
    const int dg = p.green - green;
    const int db = p.blue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return static_cast<std::uint8_t>(best);
}

std::string CheckTexture(const std::string& name, const Texture& texture) {
  const std::string what = "texture \"" + name + "\"";
  if (texture.width < 1 || texture.width > kMaxTextureSide || texture.height < 1 ||
      texture.height > kMaxTextureSide)
    return what + " is " + std::to_string(texture.width) + " x " + std::to_string(texture.height) +
           "; each side must be 1..1024";
  if (texture.pixels.size() != static_cast<std::size_t>(texture.width) * texture.height)
    return what + " has " + std::to_string(texture.pixels.size()) + " pixels, not " +
           std::to_string(texture.width) + " x " + std::to_string(texture.height);
  return "";
}

std::string CheckOptions(const RenderOptions& options) {
  if (options.cameraHeight < 1 || options.cameraHeight >= kCellSize)
    return "camera height " + std::to_string(options.cameraHeight) +
           " is not inside the walls (1..255)";
  if (options.cameraSetBack < 0 || options.cameraSetBack > kMaxCameraSetBack)
    return "camera set-back " + std::to_string(options.cameraSetBack) + " is outside 0..1024";
  return "";
}

bool IsDirection(int angle) {
  return angle == kEast || angle == kSouth || angle == kWest || angle == kNorth;
}

}  // namespace

// Where a ray enters a wall: the cell, the point, which kind of grid line it crossed and the
// point's depth as ProjectPoint measures it.
struct SetRenderer::Hit {
  int cell = -1;  // index into the map's cells; -1 when the ray left the map (outside walls)
  double x = 0;
  double y = 0;
  bool crossedColumnLine = false;  // a line x = 256 n (else y = 256 n)
  bool rayGoesPositive = false;    // along +x or +y across that line
  std::int64_t depth = 1;
};

SetRenderer::SetRenderer(const SetMap& map, const RenderOptions& options, const Trig& trig)
    : map_(map), options_(options), trig_(trig) {}

Expected<SetRenderer, std::string> SetRenderer::Create(const SetMap& map,
                                                       const TextureSet& textures,
                                                       const RenderOptions& options,
                                                       const Trig& trig) {
  if (std::string error = CheckOptions(options); !error.empty()) return Unexpected(error);
  if (map.rows < 1 || map.rows > kMaxSetCells || map.columns < 1 || map.columns > kMaxSetCells ||
      map.cells.size() != static_cast<std::size_t>(map.rows) * map.columns)
    return Unexpected("the map of " + std::to_string(map.rows) + " x " +
                      std::to_string(map.columns) + " cells holds " +
                      std::to_string(map.cells.size()));
  SetRenderer renderer(map, options, trig);
  std::map<std::string, int> indexOf;
  for (const SetMapCell& cell : map.cells) {
    if (!cell.wall) {
      renderer.cellTexture_.push_back(-1);
      continue;
    }
    auto [known, added] = indexOf.emplace(cell.texture, static_cast<int>(indexOf.size()));
    if (added) {
      const auto texture = textures.find(cell.texture);
      if (texture == textures.end())
        return Unexpected("texture \"" + cell.texture + "\" of a wall is missing");
      if (std::string error = CheckTexture(cell.texture, texture->second); !error.empty())
        return Unexpected(error);
      renderer.textures_.push_back(texture->second);
    }
    renderer.cellTexture_.push_back(known->second);
  }

  renderer.shades_.resize(kShadeLevels);
  for (int i = 0; i < 256; ++i)
    renderer.shades_[0][static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  for (int level = 1; level < kShadeLevels; ++level) {
    const int keep = kShadeScale - kShadeFall * level;
    for (std::size_t i = 0; i < 256; ++i) {
      const Rgb& c = options.palette[i];
      renderer.shades_[static_cast<std::size_t>(level)][i] =
          Nearest(options.palette, c.red * keep / kShadeScale, c.green * keep / kShadeScale,
                  c.blue * keep / kShadeScale);
    }
  }

  // The floor seen at row v lies cz x F / (v - horizon) ahead; the ceiling (256 - cz) x F /
  // (horizon - v). The horizon row itself is as far as can be.
  const std::int64_t cz = options.cameraHeight;
  for (int v = 0; v < kSceneViewHeight; ++v) {
    const bool floor = v >= kHorizonRow;
    const std::int64_t rows = floor ? v - kHorizonRow : kHorizonRow - v;
    const std::int64_t depth = rows == 0 ? std::int64_t{kShadeDepthStep} * kShadeLevels
                                         : (floor ? cz : kCellSize - cz) * kFocalLength / rows;
    renderer.backdrop_[static_cast<std::size_t>(v)] =
        renderer.ShadeTable(ShadeLevel(depth))[floor ? options.floorColour : options.ceilingColour];
  }
  return renderer;
}

const std::array<std::uint8_t, 256>& SetRenderer::ShadeTable(int level) const {
  return shades_[static_cast<std::size_t>(std::clamp(level, 0, kShadeLevels - 1))];
}

// Walks the grid from the camera's cell along the column's ray, one grid line at a time, until
// the ray enters a wall. Each crossing's distance is computed from the line itself rather than
// summed, so that mirrored rays meet mirrored lines at the same distance. The camera's own cell
// is never a hit, so a camera set back into a wall still sees the room ahead.
SetRenderer::Hit SetRenderer::CastRay(const Camera& camera, int column) const {
  const double c = trig_.cos(camera.angle) / static_cast<double>(kTrigOne);
  const double s = trig_.sin(camera.angle) / static_cast<double>(kTrigOne);
  const double slope = static_cast<double>(column - kViewCentreColumn) / kFocalLength;
  const double dx = c - slope * s;  // heading plus slope times the lateral (-sin, cos)
  const double dy = s + slope * c;
  const double ox = camera.x;
  const double oy = camera.y;

  auto cellColumn = static_cast<std::int64_t>(std::floor(ox / kCellSize));
  auto cellRow = static_cast<std::int64_t>(std::floor(oy / kCellSize));
  const int stepColumn = dx > 0 ? 1 : -1;
  const int stepRow = dy > 0 ? 1 : -1;
  std::int64_t lineX = (cellColumn + (dx > 0 ? 1 : 0)) * kCellSize;
  std::int64_t lineY = (cellRow + (dy > 0 ? 1 : 0)) * kCellSize;
  auto distanceTo = [](std::int64_t line, double origin, double d) {
    return d == 0 ? kNoCrossing : (static_cast<double>(line) - origin) / d;
  };

  Hit hit;
  double t = 0;
  // Leaving the map ends the walk anyway (outside is wall), so the crossings are bounded.
  const int limit = map_.rows + map_.columns + 4;
  for (int crossing = 0; crossing < limit; ++crossing) {
    const double tx = distanceTo(lineX, ox, dx);
    const double ty = distanceTo(lineY, oy, dy);
    hit.crossedColumnLine = tx <= ty;
    if (hit.crossedColumnLine) {
      t = tx;
      cellColumn += stepColumn;
      lineX += stepColumn * kCellSize;
      hit.rayGoesPositive = dx > 0;
    } else {
      t = ty;
      cellRow += stepRow;
      lineY += stepRow * kCellSize;
      hit.rayGoesPositive = dy > 0;
    }
    const bool inside =
        cellRow >= 0 && cellRow < map_.rows && cellColumn >= 0 && cellColumn < map_.columns;
    if (!inside || !IsOpen(map_, static_cast<int>(cellRow), static_cast<int>(cellColumn))) {
      hit.cell = inside ? static_cast<int>(cellRow * map_.columns + cellColumn) : -1;
      break;
    }
  }
  hit.x = ox + t * dx;
  hit.y = oy + t * dy;
  // ProjectPoint's depth: (C dx + S dy) / 16384 toward zero. For a hit point of whole units this
  // is exactly its integer arithmetic, since the products and the division by 2^14 are exact.
  const double cosine = trig_.cos(camera.angle);
  const double sine = trig_.sin(camera.angle);
  const double depth = (cosine * (hit.x - ox) + sine * (hit.y - oy)) / kTrigOne;
  hit.depth = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::trunc(depth)));
  return hit;
}

// Draws one view column: ceiling, the wall between its projected top and bottom rows, floor.
void SetRenderer::DrawColumn(ViewPicture& picture, int column, const Hit& hit) const {
  const std::int64_t cz = options_.cameraHeight;
  const std::int64_t depth = hit.depth;
  const std::int64_t top = kHorizonRow - (kCellSize - cz) * kFocalLength / depth;
  const std::int64_t bottom = kHorizonRow + cz * kFocalLength / depth;
  const int wallTop = static_cast<int>(std::clamp<std::int64_t>(top, 0, kSceneViewHeight));
  const int wallBottom = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, kSceneViewHeight));
  const auto at = [&picture, column](int v) -> std::uint8_t& {
    return picture[static_cast<std::size_t>(v) * kSceneViewWidth +
                   static_cast<std::size_t>(column)];
  };
  for (int v = 0; v < wallTop; ++v) at(v) = backdrop_[static_cast<std::size_t>(v)];
  for (int v = wallBottom; v < kSceneViewHeight; ++v)
    at(v) = backdrop_[static_cast<std::size_t>(v)];

  // Cells outside the map have no texture of their own; they take the first wall's.
  const int textureIndex = hit.cell >= 0 ? cellTexture_[static_cast<std::size_t>(hit.cell)] : 0;
  const auto& shade = ShadeTable(ShadeLevel(depth));
  if (textures_.empty() || textureIndex < 0) {
    for (int v = wallTop; v < wallBottom; ++v) at(v) = shade[options_.ceilingColour];
    return;
  }
  const Texture& texture = textures_[static_cast<std::size_t>(textureIndex)];
  // Across the face, left to right as seen from in front of it.
  const double along = hit.crossedColumnLine ? hit.y : hit.x;
  double u = along - std::floor(along / kCellSize) * kCellSize;
  if (hit.crossedColumnLine != hit.rayGoesPositive) u = kCellSize - u;
  const auto textureColumn = static_cast<std::int64_t>(
      std::clamp<double>(std::floor(u * texture.width / kCellSize), 0, texture.width - 1));
  // Down the face: row v shows height cz + (horizon - v) x depth / F, the texture's top at 256.
  for (int v = wallTop; v < wallBottom; ++v) {
    const std::int64_t fromTop = (kCellSize - cz) * kFocalLength - (kHorizonRow - v) * depth;
    const std::int64_t textureRow = std::clamp<std::int64_t>(
        fromTop * texture.height / (std::int64_t{kCellSize} * kFocalLength), 0, texture.height - 1);
    at(v) =
        shade[texture.pixels[static_cast<std::size_t>(textureRow * texture.width + textureColumn)]];
  }
}

ViewPicture SetRenderer::RenderView(const Camera& camera) const {
  ViewPicture picture(static_cast<std::size_t>(kSceneViewWidth) * kSceneViewHeight);
  for (int h = 0; h < kSceneViewWidth; ++h) DrawColumn(picture, h, CastRay(camera, h));
  return picture;
}

Expected<Camera, std::string> SetRenderer::MoveCamera(const SetMove& move, int step) const {
  const std::string what = "the move from row " + std::to_string(move.fromRow) + ", column " +
                           std::to_string(move.fromColumn) + " to row " +
                           std::to_string(move.toRow) + ", column " + std::to_string(move.toColumn);
  if (step < 0 || step > kMoveSteps)
    return Unexpected("step " + std::to_string(step) + " of a move is outside 0..4");
  if (!IsOpen(map_, move.fromRow, move.fromColumn))
    return Unexpected(what + " does not start on an open cell");
  if (!IsDirection(move.fromDirection) || !IsDirection(move.toDirection))
    return Unexpected(what + " does not face east, south, west or north");
  const int rows = move.toRow - move.fromRow;
  const int columns = move.toColumn - move.fromColumn;
  std::int32_t x = CellCentre(move.fromColumn);
  std::int32_t y = CellCentre(move.fromRow);
  int angle = move.fromDirection;
  const int turn = WrapDirection(move.toDirection - move.fromDirection);
  if (rows == 0 && columns == 0 && (turn == kQuarterTurn || turn == 3 * kQuarterTurn)) {
    angle += (turn == kQuarterTurn ? 1 : -1) * step * kTurnStepUnits;
  } else {
    // One cell forward or back: the target lies along the heading's axis, one cell away.
    const bool alongX = move.fromDirection == kEast || move.fromDirection == kWest;
    const bool oneCell = turn == 0 && (alongX ? rows == 0 && std::abs(columns) == 1
                                              : columns == 0 && std::abs(rows) == 1);
    if (!oneCell) return Unexpected(what + " is neither one cell forward or back nor a turn");
    if (!IsOpen(map_, move.toRow, move.toColumn)) return Unexpected(what + " ends on a wall");
    x += columns * step * kMoveStepUnits;
    y += rows * step * kMoveStepUnits;
  }
  return CameraBehind(trig_, x, y, angle, options_.cameraSetBack, options_.cameraHeight);
}

Expected<MovePictures, std::string> SetRenderer::RenderMove(const SetMove& move) const {
  MovePictures pictures;
  for (int step = 0; step <= kMoveSteps; ++step) {
    const auto camera = MoveCamera(move, step);
    if (!camera) return Unexpected(camera.error());
    pictures[static_cast<std::size_t>(step)] = RenderView(camera.value());
  }
  return pictures;
}

}  // namespace lw::authoring
