#include "authoring/set_build.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "authoring/frame_encoder.h"
#include "authoring/record_plan.h"
#include "authoring/set_render.h"
#include "common/direction.h"
#include "objects/set_file.h"
#include "script/trig_tables.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {
namespace {

// The records a move's pictures take: its five steps and the view after it.
constexpr int kPicturesPerMove = kMoveSteps + 2;

// The renderer over the set's map, textures, camera and colours.
Expected<SetRenderer, std::string> MakeRenderer(const ManifestSet& set,
                                                const TitleSources& sources) {
  auto palette = DecodeColourTable(sources.palette);
  if (!palette) return Unexpected{"the title's palette: " + palette.error()};
  TextureSet textures;
  for (const auto& [name, file] : set.textures) {
    const IndexedImage& image = sources.textures.at(file.path);
    textures[name] = {image.width, image.height, image.pixels};
  }
  const RenderOptions options{*palette, set.floorColour, set.ceilingColour, set.cameraSetBack,
                              set.cameraHeight};
  return SetRenderer::Create(set.map, textures, options, Trig{*SineTable(), *CosineTable()});
}

// The scene entries, one per open cell, and their scripts' records.
std::vector<SceneEntry> Scenes(const ManifestSet& set, RecordPlan& plan) {
  std::vector<SceneEntry> scenes;
  for (int row = 0; row < set.map.rows; ++row) {
    for (int column = 0; column < set.map.columns; ++column) {
      const std::size_t index = static_cast<std::size_t>(row * set.map.columns + column);
      const SetMapCell& cell = set.map.cells[index];
      if (cell.wall) continue;
      SceneEntry scene{static_cast<std::uint16_t>(row),
                       static_cast<std::uint16_t>(column),
                       false,
                       cell.building,
                       static_cast<std::int16_t>(cell.floor),
                       cell.scene,
                       0};
      const auto script = set.cellScripts.find(set.cellSymbols[index]);
      if (script != set.cellScripts.end()) {
        scene.hasOwnScript = true;
        scene.scriptId = plan.script(script->second);
      }
      scenes.push_back(std::move(scene));
    }
  }
  return scenes;
}

// The pictures of the moves as records. A picture depends only on its camera, and moves share
// cameras (a move's last step is the first of the moves from where it ends, a step back retraces
// a step forward), so each camera's picture is rendered and encoded once and its record copied
// wherever another move needs it.
class MoveRecords {
 public:
  MoveRecords(const SetRenderer& renderer, RecordPlan& plan, const ManifestSet& set,
              const TitleSources& sources)
      : renderer_(renderer), plan_(plan), set_(set), sources_(sources) {}

  // The id of the first of the move's six records.
  Expected<std::uint32_t, std::string> add(const SetMove& move) {
    std::uint32_t first = 0;
    for (int i = 0; i < kPicturesPerMove; ++i) {
      auto camera = renderer_.MoveCamera(move, std::min(i, kMoveSteps));
      if (!camera) return Unexpected{camera.error()};
      const CameraKey key{camera->x, camera->y, camera->z, camera->angle};
      const auto known = encoded_.find(key);
      std::uint32_t id = 0;
      if (known != encoded_.end()) {
        id = plan_.add(plan_.record(known->second));
      } else {
        auto picture = pictureOf(move, i, *camera);
        if (!picture) return Unexpected{picture.error()};
        auto frame = EncodeFrame({kSceneViewWidth, kSceneViewHeight, *picture});
        if (!frame) return Unexpected{frame.error()};
        id = plan_.add(std::move(frame).value());
        encoded_.emplace(key, id);
      }
      first = i == 0 ? id : first;
    }
    return first;
  }

 private:
  using CameraKey = std::tuple<std::int32_t, std::int32_t, std::int32_t, int>;

  // Picture i of the move: the rendered view of its camera, or the hand-made view of the cell
  // and facing where the player stands (at the move's start, or at its end and after).
  Expected<ViewPicture, std::string> pictureOf(const SetMove& move, int i, const Camera& camera) {
    const bool atStart = i == 0;
    const bool atEnd = i >= kMoveSteps;
    if (atStart || atEnd) {
      const int row = atStart ? move.fromRow : move.toRow;
      const int column = atStart ? move.fromColumn : move.toColumn;
      const int angle = atStart ? move.fromDirection : move.toDirection;
      const char symbol =
          set_.cellSymbols[static_cast<std::size_t>(row * set_.map.columns + column)];
      const auto view = set_.cellViews.find({symbol, angle});
      if (view != set_.cellViews.end()) {
        const IndexedImage& image = sources_.textures.at(view->second.path);
        if (image.width != kSceneViewWidth || image.height != kSceneViewHeight) {
          return Unexpected{view->second.where + ": expected a view of 512 x 264 pixels, not " +
                            std::to_string(image.width) + " x " + std::to_string(image.height)};
        }
        return image.pixels;
      }
    }
    return renderer_.RenderView(camera);
  }

  const SetRenderer& renderer_;
  RecordPlan& plan_;
  const ManifestSet& set_;
  const TitleSources& sources_;
  std::map<CameraKey, std::uint32_t> encoded_;  // camera -> the record of its picture
};

// The move table's code of a view angle.
std::uint16_t DirectionCode(int angle) {
  switch (angle) {
    case kNorth: return 1;
    case kSouth: return 2;
    case kEast: return 3;
    default: return 4;  // west: the map gives no other angle
  }
}

MoveEntry MoveEntryOf(const SetMove& move, std::uint32_t firstPicture) {
  const auto u16 = [](int value) { return static_cast<std::uint16_t>(value); };
  return {u16(move.fromColumn), u16(move.fromRow), DirectionCode(move.fromDirection),
          u16(move.toColumn),   u16(move.toRow),   DirectionCode(move.toDirection),
          firstPicture};
}

StarPoint StarAt(const ManifestPoint& at) { return {at[0], at[1], at[2]}; }

// The star of that name; the manifest reader has made sure that there is one.
const ManifestStar& NamedStar(const ManifestSet& set, const std::string& name) {
  return *std::ranges::find_if(set.stars, [&](const ManifestStar& s) { return s.name == name; });
}

// The path record of a walk from `from` through `via` to `to`: each point with the straight
// length of the segment that ends there, and their sum.
SetPath PathThrough(const ManifestPoint& from, const std::vector<ManifestPoint>& via,
                    const ManifestPoint& to) {
  std::vector<ManifestPoint> points{from};
  points.insert(points.end(), via.begin(), via.end());
  points.push_back(to);
  SetPath path;
  for (std::size_t i = 0; i < points.size(); ++i) {
    std::int64_t length = 0;
    if (i > 0) {
      std::int64_t squares = 0;
      for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::int64_t d = points[i][axis] - points[i - 1][axis];
        squares += d * d;
      }
      length = IntegerSqrt(static_cast<std::uint64_t>(squares));
    }
    path.points.push_back({points[i][0], points[i][1], points[i][2],
                           static_cast<std::int16_t>(std::min<std::int64_t>(length, INT16_MAX))});
    path.totalLength += static_cast<std::uint32_t>(path.points.back().length);
  }
  return path;
}

}  // namespace

Expected<Records, std::string> BuildSetRecords(const ManifestSet& set,
                                               const TitleSources& sources) {
  auto renderer = MakeRenderer(set, sources);
  if (!renderer) return Unexpected{set.file + ": " + renderer.error()};
  RecordPlan plan(sources);
  SetHeader header;
  header.moveTableId = plan.add({});  // filled once the pictures' ids are known
  header.starRecordId = plan.add({});
  std::vector<StarLink> stars;
  for (const ManifestStar& star : set.stars)
    stars.push_back({StarAt(star.at), star.name, 0, {}, ""});
  header.scriptId = plan.script(set.script);
  for (std::size_t floor = 0; floor < kMaxFloors; ++floor) {
    const auto script = set.floors.find(static_cast<int>(floor));
    header.floorScriptIds[floor] =
        plan.script(script == set.floors.end() ? SourceFile{} : script->second);
  }
  header.scenes = Scenes(set, plan);

  std::vector<MoveEntry> moves;
  MoveRecords pictures(*renderer, plan, set, sources);
  for (const SetMove& move : AllowedMoves(set.map)) {
    auto first = pictures.add(move);
    if (!first) return Unexpected{set.file + ": " + first.error()};
    moves.push_back(MoveEntryOf(move, *first));
  }
  // The paths' records follow the pictures.
  for (const ManifestPath& path : set.paths) {
    const ManifestStar& from = NamedStar(set, path.from);
    const ManifestStar& to = NamedStar(set, path.to);
    const std::uint32_t id = plan.add(WritePath(PathThrough(from.at, path.via, to.at)));
    stars.push_back({StarAt(from.at), from.name, id, StarAt(to.at), to.name});
  }
  header.moveCount = static_cast<std::uint32_t>(moves.size());
  header.cameraSetBack = static_cast<std::int16_t>(set.cameraSetBack);
  header.cameraHeight = static_cast<std::int16_t>(set.cameraHeight);
  header.check28 = 1;  // the runtime refuses a header whose check word is 0
  header.width = static_cast<std::int16_t>(set.map.columns);
  header.height = static_cast<std::int16_t>(set.map.rows);
  header.startColumn = static_cast<std::int16_t>(set.map.startColumn);
  header.startRow = static_cast<std::int16_t>(set.map.startRow);
  header.startDirection = static_cast<std::int16_t>(DirectionCode(set.map.startDirection));
  header.name = set.name;
  Records records = plan.take(WriteSetHeader(header));
  records[header.moveTableId] = WriteMoveTable(moves);
  records[header.starRecordId] = WriteStarRecord(stars);
  return records;
}

}  // namespace lw::authoring
