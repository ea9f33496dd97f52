#include "authoring/cast_build.h"

#include <map>
#include <tuple>

#include "authoring/record_plan.h"
#include "authoring/sprite_encoder.h"
#include "objects/cast_file.h"

namespace lw::authoring {
namespace {

// The hot spot of an image: the one it names, or the bottom middle of its picture.
Point HotSpot(const ManifestImage& image, const IndexedImage& picture) {
  if (image.hot) return *image.hot;
  return PointAt(picture.height - 1, picture.width / 2);
}

// The records of a group file, handed out through the plan as the figures are met.
class GroupRecords {
 public:
  GroupRecords(RecordPlan& plan, const TitleSources& sources) : plan_(plan), sources_(sources) {}

  // The id of the figure's record, which is filled once its poses' ids are known.
  Expected<std::uint32_t, std::string> figure(const ManifestFigure& manifest) {
    const std::uint32_t id = plan_.add({});
    FigureRecord figure{
        plan_.script(manifest.script), manifest.name, manifest.set, manifest.star, {}};
    for (const ManifestPose& pose : manifest.poses) {
      auto poseId = this->pose(pose);
      if (!poseId) return Unexpected{poseId.error()};
      figure.poses.push_back({*poseId, pose.name});
    }
    filled_.emplace(id, WriteFigureRecord(figure));
    return id;
  }

  // The records reserved before their contents were known, by id.
  std::map<std::uint32_t, std::vector<std::uint8_t>> take() { return std::move(filled_); }

 private:
  using SpriteKey = std::tuple<std::filesystem::path, std::int16_t, std::int16_t, std::uint8_t>;

  Expected<std::uint32_t, std::string> pose(const ManifestPose& manifest) {
    const std::uint32_t id = plan_.add({});
    PoseRecord pose;
    for (const std::uint16_t view : manifest.frames)
      pose.frames.push_back(static_cast<std::uint16_t>(view + 1));
    for (const ManifestImage& image : manifest.images) {
      const IndexedImage& picture = sources_.sprites.at(image.png.path);
      const Point hot = HotSpot(image, picture);
      auto spriteId = sprite(image, picture, hot);
      if (!spriteId) return Unexpected{spriteId.error()};
      PictureEntry entry;
      entry.recordId = *spriteId;
      entry.flags = image.mirrored ? PictureEntry::kMirrored : 0;
      entry.view = image.view;
      entry.bottom = static_cast<std::int16_t>(picture.height);
      entry.right = static_cast<std::int16_t>(picture.width);
      entry.hotV = hot.v;
      entry.hotH = hot.h;
      entry.angle = image.angle;
      entry.sizeFactor = image.size;
      pose.pictures.push_back(entry);
    }
    filled_.emplace(id, WritePoseRecord(pose));
    return id;
  }

  // The record of the sprite made from the image's picture with this hot spot and transparent
  // index, encoded the first time it is needed.
  Expected<std::uint32_t, std::string> sprite(const ManifestImage& image,
                                              const IndexedImage& picture, Point hot) {
    const SpriteKey key{image.png.path, hot.v, hot.h, image.transparent};
    const auto known = sprites_.find(key);
    if (known != sprites_.end()) return known->second;
    auto encoded =
        EncodeSprite({picture.width, picture.height, picture.pixels, hot, image.transparent});
    if (!encoded) return Unexpected{image.png.where + ": " + encoded.error()};
    const std::uint32_t id = plan_.add(std::move(encoded).value());
    sprites_.emplace(key, id);
    return id;
  }

  RecordPlan& plan_;
  const TitleSources& sources_;
  std::map<SpriteKey, std::uint32_t> sprites_;
  std::map<std::uint32_t, std::vector<std::uint8_t>> filled_;
};

}  // namespace

std::vector<ManifestError> CheckGroupPictures(const ManifestGroup& group,
                                              const TitleSources& sources) {
  std::vector<ManifestError> errors;
  for (const ManifestFigure& figure : group.figures) {
    for (const ManifestPose& pose : figure.poses) {
      for (const ManifestImage& image : pose.images) {
        if (!image.hot) continue;
        const IndexedImage& picture = sources.sprites.at(image.png.path);
        if (image.hot->v < picture.height && image.hot->h < picture.width) continue;
        errors.push_back(
            {image.where + ".hot",
             "expected a hot spot inside the picture of " + std::to_string(picture.width) + " x " +
                 std::to_string(picture.height) + ": row 0.." + std::to_string(picture.height - 1) +
                 ", column 0.." + std::to_string(picture.width - 1)});
      }
    }
  }
  return errors;
}

Expected<Records, std::string> BuildGroupRecords(const ManifestGroup& group,
                                                 const TitleSources& sources) {
  RecordPlan plan(sources);
  GroupHeader header;
  header.name = group.name;
  header.scriptId = plan.script(group.script);
  GroupRecords records(plan, sources);
  for (const ManifestFigure& figure : group.figures) {
    auto id = records.figure(figure);
    if (!id) return Unexpected{group.file + ": " + id.error()};
    header.figures.push_back(*id);
  }
  Records all = plan.take(WriteGroupHeader(header));
  for (auto& [id, bytes] : records.take()) all[id] = std::move(bytes);
  return all;
}

}  // namespace lw::authoring
