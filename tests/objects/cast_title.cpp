#include "cast_title.h"

#include "authoring/sprite_encoder.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

test::Bytes SpriteRecord(const PictureSpec& picture) {
  auto sprite = authoring::EncodeSprite({.width = picture.columns,
                                         .height = picture.rows,
                                         .pixels = picture.pixels,
                                         .hotSpot = PointAt(picture.hotV, picture.hotH),
                                         .transparent = 0});
  EXPECT_TRUE(sprite.ok());
  return sprite.ok() ? *sprite : test::Bytes{};
}

}  // namespace

std::vector<test::Bytes> GroupRecords(const GroupSpec& group) {
  std::vector<test::Bytes> records(1);
  const auto add = [&records](test::Bytes record) {
    records.push_back(std::move(record));
    return static_cast<std::uint32_t>(records.size() - 1);
  };
  GroupHeader header;
  header.name = group.name;
  for (const FigureSpec& spec : group.figures) {
    const std::uint32_t figureId = add({});
    FigureRecord figure;
    figure.scriptId = add(CompiledScriptRecord(spec.script));
    figure.name = spec.name;
    figure.set = spec.set;
    figure.star = spec.star;
    for (const PoseSpec& pose : spec.poses) {
      const std::uint32_t poseId = add({});
      PoseRecord record;
      record.frames = pose.frames;
      for (const PictureSpec& picture : pose.pictures) {
        record.pictures.push_back(PictureEntry{
            .recordId = add(SpriteRecord(picture)),
            .flags = static_cast<std::uint16_t>(picture.mirrored ? PictureEntry::kMirrored : 0),
            .view = picture.view,
            .bottom = static_cast<std::int16_t>(picture.rows),
            .right = static_cast<std::int16_t>(picture.columns),
            .hotV = static_cast<std::int16_t>(picture.hotV),
            .hotH = static_cast<std::int16_t>(picture.hotH),
            .angle = picture.angle,
            .sizeFactor = picture.size});
      }
      records[poseId] = WritePoseRecord(record);
      figure.poses.push_back({poseId, pose.name});
    }
    records[figureId] = WriteFigureRecord(figure);
    header.figures.push_back(figureId);
  }
  header.scriptId = add(CompiledScriptRecord(group.script));
  records[0] = WriteGroupHeader(header);
  return records;
}

PictureSpec Block(int rows, int columns, std::uint8_t colour, std::uint16_t angle) {
  return PictureSpec{
      .rows = rows,
      .columns = columns,
      .pixels = std::vector<std::uint8_t>(static_cast<std::size_t>(rows * columns), colour),
      .hotV = rows - 1,
      .hotH = columns / 2,
      .angle = angle};
}

PictureSpec Wedge(int size, std::uint16_t angle) {
  PictureSpec picture;
  picture.rows = picture.columns = size;
  picture.hotV = size - 1;
  picture.hotH = 1;
  picture.angle = angle;
  for (int r = 0; r < size; ++r) {
    for (int c = 0; c < size; ++c) {
      const bool inside = c <= r && !(r == size / 2 && c == 1);
      picture.pixels.push_back(inside ? static_cast<std::uint8_t>(c % 2 == 0 ? 200 : 201) : 0);
    }
  }
  return picture;
}

std::string FigureLogScript(std::string_view kind) {
  const std::string k(kind);
  return Logs("open" + k + "()", "\"open" + k + ":\" @ me") +
         Logs("close" + k + "()", "\"close" + k + ":\" @ me");
}

}  // namespace lw::testing
