#include "objects/figure_placement.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "common/direction.h"
#include "objects/figure_table.h"
#include "objects/object_error_lines.h"
#include "objects/object_names.h"
#include "objects/set_objects.h"

namespace lw {
namespace {

constexpr std::int64_t kFogBase = 128;
constexpr std::int64_t kFogPerShade = 64;
constexpr std::int16_t kDeepestShade = 24;
constexpr std::int64_t kPerMille = 1000;
constexpr std::int64_t kWidestDraw = 2047;
constexpr std::int64_t kTallestDraw = 32767;
constexpr Rect kViewRect{0, 0, kSceneViewHeight, kSceneViewWidth};

// A rectangle in 64-bit arithmetic, clipped to `clip`; nothing when they do not meet.
std::optional<Rect> Clipped(std::int64_t top, std::int64_t left, std::int64_t bottom,
                            std::int64_t right, const Rect& clip) {
  top = std::max<std::int64_t>(top, clip.top);
  left = std::max<std::int64_t>(left, clip.left);
  bottom = std::min<std::int64_t>(bottom, clip.bottom);
  right = std::min<std::int64_t>(right, clip.right);
  if (bottom <= top || right <= left) return std::nullopt;
  return Rect{static_cast<std::int16_t>(top), static_cast<std::int16_t>(left),
              static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(right)};
}

// The hot column as the picture is drawn: a mirrored one's counts from the right edge.
std::int64_t HotColumn(const PictureEntry& picture) {
  return picture.mirrored() ? picture.columns() - picture.hotH : picture.hotH;
}

// Of the pictures of `view`, the one seen from nearest `angle`; the earlier wins a tie.
const PictureEntry* NearestPicture(const PoseRecord& pose, int view, int angle) {
  const PictureEntry* best = nullptr;
  int bestDistance = kDirectionSteps;
  for (const PictureEntry& picture : pose.pictures) {
    if (picture.view != view) continue;
    const int d = std::abs(static_cast<int>(picture.angle) - angle);
    const int distance = std::min(d, kDirectionSteps - d);
    if (distance < bestDistance) {
      best = &picture;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

// A pose record as read, kept with the cached record: every figure reads its pose each frame.
struct DecodedPose final : DecodedForm {
  explicit DecodedPose(PoseRecord read) : pose(std::move(read)) {}
  PoseRecord pose;
};

// The picture the figure's pose shows for `angle` at `frame`, which moves on by one.
std::optional<PictureEntry> ChoosePicture(const PlacementContext& context, const Figure& figure,
                                          std::int16_t& frame, int angle) {
  const auto pose =
      std::find_if(figure.record.poses.begin(), figure.record.poses.end(),
                   [&](const PoseEntry& entry) { return SameObjectName(entry.name, figure.pose); });
  if (pose == figure.record.poses.end() || figure.group == nullptr) return std::nullopt;
  const auto id = static_cast<std::int32_t>(pose->recordId);
  RecordBlock* block = nullptr;
  if (const ProgramCode got = context.library.StarGetResource(*figure.group, id, block);
      Failed(got)) {
    context.errors.ReportError(CodeNumber(got), errline::kPoseRecordLoad);
    return std::nullopt;
  }
  std::optional<PictureEntry> chosen;
  const auto* kept =
      KeptDecodedForm<DecodedPose>(context.library, *figure.group, id, *block,
                                   [](const RecordBlock& record) -> std::unique_ptr<DecodedPose> {
                                     auto read = ReadPoseRecord(record);
                                     if (!read) return nullptr;
                                     return std::make_unique<DecodedPose>(std::move(*read));
                                   });
  if (kept == nullptr) {
    context.errors.ReportError(kObjectProgramCode, errline::kPoseRecordCorrupt);
  } else if (const PoseRecord& pose = kept->pose; !pose.frames.empty()) {
    const auto count = static_cast<std::int16_t>(pose.frames.size());
    if (frame < 0 || frame >= count) frame = 0;
    const int view = static_cast<int>(pose.frames[static_cast<std::size_t>(frame)]) - 1;
    frame = static_cast<std::int16_t>(frame + 1 == count ? 0 : frame + 1);
    if (const PictureEntry* picture = NearestPicture(pose, view, angle)) chosen = *picture;
  }
  (void)context.library.StarReleaseResource(*figure.group, id);
  return chosen;
}

// The 256-step angle a 3-D figure's pictures are chosen by: its angle relative to the camera.
int ViewingAngle(const PlacementContext& context, const Figure& figure) {
  const Camera& camera = context.set.camera();
  const int bearing = DirectionOf(camera.x - figure.x, camera.y - figure.y);
  return WrapDirection(figure.deg - context.set.viewAngle() + camera.angle - bearing);
}

std::optional<FigurePlacement> Place3d(const PlacementContext& context, const Figure& figure,
                                       std::int16_t& frame) {
  const SetObjects& set = context.set;
  if (!context.viewShown || !InCurrentSet(set, figure)) return std::nullopt;
  const Camera& camera = set.camera();
  const ProjectedPoint projected = ProjectPoint(context.trig, camera, figure.x, figure.y, figure.z);
  const std::int64_t depth = projected.depth;
  if (depth < kNearestDepth) return std::nullopt;
  const std::int64_t fog =
      std::max<std::int64_t>(0, depth - figure.zclip - set.header().cameraSetBack + kFogBase);
  if (fog > kFarthestFog) return std::nullopt;
  const auto picture = ChoosePicture(context, figure, frame, ViewingAngle(context, figure));
  if (!picture || picture->rows() <= 0 || picture->columns() <= 0) return std::nullopt;
  const std::int64_t size = std::int64_t{figure.scale} * picture->sizeFactor / kPerMille;
  const std::int64_t columns = size * picture->columns() / depth;
  const std::int64_t rows = size * picture->rows() / depth;
  if (columns < 1 || rows < 1 || columns > kWidestDraw || rows > kTallestDraw) return std::nullopt;
  const std::int64_t top = projected.v - picture->hotV * rows / picture->rows();
  const std::int64_t left = projected.h - HotColumn(*picture) * columns / picture->columns();
  const auto rect = Clipped(top, left, top + rows, left + columns, kViewRect);
  if (!rect) return std::nullopt;
  return FigurePlacement{
      .anchor = Point{Clamp16(projected.v), Clamp16(projected.h)},
      .rect = *rect,
      .depth = static_cast<std::int16_t>(std::min<std::int64_t>(depth, INT16_MAX)),
      .shade = static_cast<std::int16_t>(std::min<std::int64_t>(fog / kFogPerShade, kDeepestShade)),
      .picture = picture->recordId,
      .mirrored = picture->mirrored(),
      .is3d = true,
      .size = SpriteSize{static_cast<std::int16_t>(rows), static_cast<std::int16_t>(columns)},
  };
}

std::optional<FigurePlacement> Place2d(const PlacementContext& context, const Figure& figure,
                                       std::int16_t& frame) {
  const auto picture = ChoosePicture(context, figure, frame, WrapDirection(figure.deg));
  if (!picture || picture->rows() <= 0 || picture->columns() <= 0) return std::nullopt;
  const std::int64_t top = figure.pointV - std::int64_t{picture->hotV};
  const std::int64_t left = figure.pointH - HotColumn(*picture);
  const auto rect =
      Clipped(top, left, top + picture->rows(), left + picture->columns(), context.screen);
  if (!rect) return std::nullopt;
  return FigurePlacement{
      .anchor = Point{figure.pointV, figure.pointH},
      .rect = *rect,
      .depth = figure.dist,
      .picture = picture->recordId,
      .mirrored = picture->mirrored(),
      .size = SpriteSize{static_cast<std::int16_t>(picture->rows()),
                         static_cast<std::int16_t>(picture->columns())},
  };
}

}  // namespace

std::optional<FigurePlacement> PlaceFigure(const PlacementContext& context, const Figure& figure,
                                           std::int16_t& frame) {
  return figure.is3d ? Place3d(context, figure, frame) : Place2d(context, figure, frame);
}

bool FigureCovers(const PlacementContext& context, const Figure& figure, Point point) {
  std::int16_t frame = figure.frame;
  const auto placed = PlaceFigure(context, figure, frame);
  if (!placed || !placed->rect.contains(point)) return false;
  RecordBlock* block = nullptr;
  const auto id = static_cast<std::int32_t>(placed->picture);
  if (Failed(context.library.StarGetResource(*figure.group, id, block))) return false;
  const auto covers = SpriteCovers(*block, placed->anchor, placed->mirrored,
                                   placed->is3d ? &placed->size : nullptr, point);
  (void)context.library.StarReleaseResource(*figure.group, id);
  if (!covers) context.errors.ReportError(covers.error().programCode, covers.error().errorLine);
  return covers && covers.value();
}

}  // namespace lw
