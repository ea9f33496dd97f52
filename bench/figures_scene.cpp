#include "figures_scene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "authoring/frame_encoder.h"
#include "authoring/sprite_encoder.h"
#include "authoring/star_output.h"
#include "media/scene_view.h"
#include "objects/cast_file.h"
#include "objects/set_file.h"
#include "script/handler_call.h"

namespace lw::bench {
namespace {

using Records = std::vector<std::vector<std::uint8_t>>;

constexpr char kSetName[] = "Field";
constexpr int kGridCells = 16;
constexpr int kStartRow = 8;
constexpr int kEast = 3;
constexpr std::int16_t kCameraSetBack = 64;
constexpr std::int16_t kCameraHeight = 40;  // eye height above the floor the figures stand on
// Where the camera stands: the start cell's centre, the set-back behind it (facing east).
constexpr int kCameraX = kCellSize / 2 - kCameraSetBack;
constexpr int kCameraY = kStartRow * kCellSize + kCellSize / 2;

constexpr int kPictureColumns = 40;
constexpr int kPictureRows = 80;
constexpr int kAngles = 8;
constexpr int kFrames = 2;
constexpr std::int16_t kSizeFactor = 256;

constexpr int kPathSegments = 24;
constexpr int kPathStepX = 120;  // each segment goes this far east ...
constexpr int kPathStepY = 150;  // ... and this far north or south, by turns
constexpr int kFarWalk = 3000;   // how far east an odd actor's "far" star lies

constexpr int kNearestDepth = 150;
constexpr int kDepthStep = 20;

std::string Numbered(std::string_view stem, int i) { return std::string(stem) + std::to_string(i); }

// Where figure k (0..39, actors and props taking turns) stands: k x 20 units deeper than the
// nearest, within 4/7 of its depth to the left or right of the view's centre line.
StarPoint FigureSpot(int k) {
  const int depth = kNearestDepth + kDepthStep * k;
  const int across = ((k * 7) % 9 - 4) * depth / 7;
  return StarPoint{static_cast<std::int16_t>(kCameraX + depth),
                   static_cast<std::int16_t>(kCameraY + across), 0};
}

std::vector<std::uint8_t> Sprite(std::uint8_t colour) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kPictureColumns) * kPictureRows, 0);
  const auto inEllipse = [](int h, int v, double ch, double cv, double rh, double rv) {
    const double dh = (h - ch) / rh, dv = (v - cv) / rv;
    return dh * dh + dv * dv <= 1.0;
  };
  for (int v = 0; v < kPictureRows; ++v) {
    for (int h = 0; h < kPictureColumns; ++h) {
      const bool head = inEllipse(h, v, 19.5, 9.5, 8, 9.5);
      const bool body = inEllipse(h, v, 19.5, 49.5, 19.5, 30.5);
      if (head || body) {
        pixels[static_cast<std::size_t>(v) * kPictureColumns + h] =
            static_cast<std::uint8_t>(head ? colour + 1 : colour + (h / 5 + v / 7) % 4);
      }
    }
  }
  auto sprite = authoring::EncodeSprite({.width = kPictureColumns,
                                         .height = kPictureRows,
                                         .pixels = pixels,
                                         .hotSpot = PointAt(kPictureRows - 1, kPictureColumns / 2),
                                         .transparent = 0});
  if (!sprite) Die("figure scene: " + sprite.error());
  return *sprite;
}

// A cast or shop whose figures are named stem0, stem1 ... and stand on the stars of those names.
Records GroupRecords(std::string_view groupName, std::string_view stem, int count,
                     int firstColour) {
  Records records(1);
  const auto add = [&records](std::vector<std::uint8_t> record) {
    records.push_back(std::move(record));
    return static_cast<std::uint32_t>(records.size() - 1);
  };
  const std::uint32_t emptyScript = add(CompiledScript().ToBytes());
  GroupHeader header{.scriptId = emptyScript, .name = std::string(groupName), .figures = {}};
  for (int i = 0; i < count; ++i) {
    const std::uint32_t figureId = add({});
    const std::uint32_t poseId = add({});
    PoseRecord pose{.frames = {1, 2}, .pictures = {}};
    for (int view = 0; view < kFrames; ++view) {
      for (int angle = 0; angle < kAngles; ++angle) {
        const auto colour =
            static_cast<std::uint8_t>(firstColour + (i * 11 + angle * 3 + view) % 60);
        pose.pictures.push_back(
            PictureEntry{.recordId = add(Sprite(colour)),
                         .flags = 0,
                         .view = static_cast<std::uint16_t>(view),
                         .bottom = kPictureRows,
                         .right = kPictureColumns,
                         .hotV = kPictureRows - 1,
                         .hotH = kPictureColumns / 2,
                         .angle = static_cast<std::uint16_t>(angle * 256 / kAngles),
                         .sizeFactor = kSizeFactor});
      }
    }
    records[poseId] = WritePoseRecord(pose);
    const std::string name = Numbered(stem, i);
    records[figureId] = WriteFigureRecord(FigureRecord{.scriptId = emptyScript,
                                                       .name = name,
                                                       .set = kSetName,
                                                       .star = name,
                                                       .poses = {{poseId, "stand"}}});
    header.figures.push_back(figureId);
  }
  records[0] = WriteGroupHeader(header);
  return records;
}

// A textured view picture (bands with noise), as a rendered set's would be.
std::vector<std::uint8_t> ViewPicture() {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSceneViewWidth) * kSceneViewHeight);
  std::uint32_t noise = 12345;
  for (int v = 0; v < kSceneViewHeight; ++v) {
    for (int h = 0; h < kSceneViewWidth; ++h) {
      noise = noise * 1103515245 + 12345;
      pixels[static_cast<std::size_t>(v) * kSceneViewWidth + h] =
          static_cast<std::uint8_t>(100 + (v < kSceneViewHeight / 2 ? 0 : 30) + (noise >> 29));
    }
  }
  auto frame = authoring::EncodeFrame({kSceneViewWidth, kSceneViewHeight, pixels});
  if (!frame) Die("figure scene: " + frame.error());
  return *frame;
}

// Records: 0 the header, 1 the move table, 2 the star record, 3 the (empty) set script, 4..9
// the pictures of the one move (the view from the start and the steps east), then the paths.
Records SetRecords() {
  constexpr std::uint32_t kFirstPicture = 4;
  constexpr int kMovePictures = 6;
  Records records(kFirstPicture);
  for (int k = 0; k < kMovePictures; ++k) records.push_back(ViewPicture());
  std::vector<StarLink> stars;
  for (int i = 0; i < kActorCount; ++i) {
    const StarPoint at = FigureSpot(2 * i);
    if (i % 2 == 1) {
      stars.push_back({at, Numbered("a", i), 0, {}, ""});
      const StarPoint far{static_cast<std::int16_t>(at.x + kFarWalk), at.y, 0};
      stars.push_back({far, FarStarOf(i), 0, {}, ""});
      continue;
    }
    SetPath path;
    path.points.push_back({at.x, at.y, 0, 0});
    const auto segment = static_cast<std::int16_t>(
        std::lround(std::hypot(static_cast<double>(kPathStepX), static_cast<double>(kPathStepY))));
    for (int s = 1; s <= kPathSegments; ++s) {
      path.points.push_back({static_cast<std::int16_t>(at.x + s * kPathStepX),
                             static_cast<std::int16_t>(at.y + (s % 2 == 1 ? kPathStepY : 0)), 0,
                             segment});
      path.totalLength += static_cast<std::uint32_t>(segment);
    }
    const PathPoint& end = path.points.back();
    const auto pathId = static_cast<std::uint32_t>(records.size());
    records.push_back(WritePath(path));
    stars.push_back({at, Numbered("a", i), pathId, {end.x, end.y, end.z}, FarStarOf(i)});
  }
  for (int i = 0; i < kPropCount; ++i)
    stars.push_back({FigureSpot(2 * i + 1), Numbered("p", i), 0, {}, ""});

  SetHeader header;
  header.moveCount = 1;
  header.cameraSetBack = kCameraSetBack;
  header.cameraHeight = kCameraHeight;
  header.check28 = 1;
  header.moveTableId = 1;
  header.starRecordId = 2;
  header.width = kGridCells;
  header.height = kGridCells;
  header.startColumn = 0;
  header.startRow = kStartRow;
  header.startDirection = kEast;
  header.scriptId = 3;
  header.name = kSetName;
  header.floorScriptIds.fill(3);
  for (int row = 0; row < kGridCells; ++row) {
    for (int column = 0; column < kGridCells; ++column) {
      header.scenes.push_back({static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column),
                               false, false, 0,
                               "r" + std::to_string(row) + "c" + std::to_string(column), 0});
    }
  }
  const std::vector<MoveEntry> moves = {{0, kStartRow, kEast, 1, kStartRow, kEast, kFirstPicture}};
  records[0] = WriteSetHeader(header);
  records[1] = WriteMoveTable(moves);
  records[2] = WriteStarRecord(stars);
  records[3] = CompiledScript().ToBytes();
  return records;
}

void Write(StarLibrary& library, const std::filesystem::path& path, std::string_view type,
           const Records& records) {
  if (auto failed = authoring::ReplaceStarFile(library, path, {type}, records)) {
    Die("figure scene: " + *failed);
  }
}

void Check(ScriptError error, std::string_view what) {
  if (error != ScriptError::None) {
    Die("figure scene: " + std::string(what) + " failed with script error " +
        std::to_string(static_cast<int>(error)));
  }
}

}  // namespace

std::string FarStarOf(int actor) { return Numbered(actor % 2 == 0 ? "b" : "far", actor); }

void Die(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::exit(1);
}

FigureScene::FigureScene(std::filesystem::path folder)
    : folder_((std::filesystem::create_directories(folder), std::move(folder))),
      storage_(system_, folder_, stderr),
      platform_(platform::InputScript{}, fonts_, stderr),
      window_(platform_),
      compositor_(CompositorParts{
          .window = window_,
          .library = storage_.library,
          .errors = storage_.errors,
          .clock = {.tickCount = [] { return std::uint32_t{0}; }, .waitNextTick = [] {}},
          .frameInterval = 0,
      }),
      sound_(platform_, storage_.boxes, storage_.errors),
      channels_(storage_.library, storage_.errors, sound_),
      interpreter_(host_),
      frame_(SystemFrame(frameScript_)),
      call_{interpreter_, frame_, nullptr, 0, nullptr} {
  Write(storage_.library, folder_ / "FIELD.SCN", kSetFileType, SetRecords());
  Write(storage_.library, folder_ / "CREW.CST", kCastFileType,
        GroupRecords("Crew", "a", kActorCount, 16));
  Write(storage_.library, folder_ / "GOODS.SHP", kShopFileType,
        GroupRecords("Goods", "p", kPropCount, 120));
  objects_ = std::make_unique<TitleObjects>(TitleObjectParts{
      .library = storage_.library,
      .scripts = storage_.scripts,
      .errors = storage_.errors,
      .compositor = compositor_,
      .channels = channels_,
      .locate =
          [this](std::string_view name, std::string& path) {
            path = (folder_ / name).string();
            return ScriptError::None;
          },
  });
  interpreter_.beginPass();
  Check(objects_->set().OpenSetFile(call_, "FIELD.SCN"), "opening the set");
  Check(objects_->actors().OpenGroupFile(call_, "CREW.CST"), "opening the cast");
  Check(objects_->props().OpenGroupFile(call_, "GOODS.SHP"), "opening the shop");
  if (objects_->actors().count() != kActorCount || objects_->props().count() != kPropCount) {
    Die("figure scene: the cast or the shop did not bring every figure");
  }
  SetFiguresVisible(true);
  for (FigureTable* table : {&objects_->actors(), &objects_->props()}) {
    for (std::size_t i = 0; i < table->count(); ++i) {
      if (!table->at(i).is3d) Die("figure scene: " + table->at(i).name + " is not on its star");
      table->Warm(table->at(i));
    }
  }
}

FigureScene::~FigureScene() {
  objects_->ShutDown();
  objects_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void FigureScene::SetFiguresVisible(bool visible) {
  for (FigureTable* table : {&objects_->actors(), &objects_->props()}) {
    for (std::size_t i = 0; i < table->count(); ++i) table->at(i).visible = visible;
  }
}

}  // namespace lw::bench
