#include "figure_title.h"

#include <algorithm>

#include "authoring/sprite_encoder.h"
#include "script/tokenizer.h"
#include "set_title.h"

namespace lw::testing {
namespace {

constexpr std::int32_t kSpriteSide = 4;
constexpr std::uint8_t kSpriteColour = 7;

test::Bytes ScriptRecord(std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok()) << source;
  return script.ok() ? script->ToBytes() : test::Bytes{};
}

test::Bytes Sprite() {
  const std::vector<std::uint8_t> pixels(kSpriteSide * kSpriteSide, kSpriteColour);
  auto sprite = authoring::EncodeSprite({kSpriteSide, kSpriteSide, pixels, {3, 2}, std::nullopt});
  EXPECT_TRUE(sprite.ok());
  return sprite.ok() ? *sprite : test::Bytes{};
}

std::string FigureScript() {
  return Logs("endturn()", "\"endturn:\" @ me") + Logs("endwalk()", "\"endwalk:\" @ me") +
         Logs("tick()", "\"tick:\" @ me") + Logs("endball(why)", "\"endball:\" @ me @ \"/\" @ why");
}

}  // namespace

std::vector<test::Bytes> FigureGroupRecords(std::string_view group,
                                            const std::vector<FigureSpec>& figures) {
  std::vector<test::Bytes> records(2);
  GroupHeader header{.scriptId = 1, .name = std::string(group), .figures = {}};
  records[1] = ScriptRecord("");
  for (const FigureSpec& spec : figures) {
    const auto id = static_cast<std::uint32_t>(records.size());
    header.figures.push_back(id);
    records.push_back(WriteFigureRecord(FigureRecord{
        .scriptId = id + 1,
        .name = spec.name,
        .set = spec.set,
        .star = spec.star,
        .poses = {{id + 2, "stand"}},
    }));
    records.push_back(ScriptRecord(FigureScript()));
    PictureEntry picture{.recordId = id + 3, .bottom = kSpriteSide, .right = kSpriteSide};
    picture.hotV = 3;
    picture.hotH = 2;
    records.push_back(WritePoseRecord(PoseRecord{{1}, {picture}}));
    records.push_back(Sprite());
  }
  records[0] = WriteGroupHeader(header);
  return records;
}

std::vector<test::Bytes> FigureSetRecords(std::string_view name, bool building, bool gate) {
  std::vector<test::Bytes> records = CorridorSetRecords();
  auto header = ReadSetHeader(records[0]);
  EXPECT_TRUE(header.ok());
  if (!header.ok()) return records;
  header->name = std::string(name);
  header->scenes[1].building = building;
  records[0] = WriteSetHeader(*header);
  std::vector<StarLink> stars = {{{100, 128, 0}, "door", 0, {}, ""},
                                 {{108, 128, 0}, "mat", 0, {}, ""},
                                 {{300, 100, 20}, "lamp", 3, {400, 160, 20}, "bench"}};
  if (gate) stars.push_back({{200, 40, 0}, "gate", 0, {}, ""});
  records[2] = WriteStarRecord(stars);
  records[3] =
      WritePath(SetPath{160, {{300, 100, 20, 0}, {300, 160, 20, 60}, {400, 160, 20, 100}}});
  return records;
}

TitleRun& FigureTitleTest::StartFigures(bool building) {
  WriteStageFile(title_, "SET.SCN", FigureSetRecords("Hall", building, false), kSetFileType);
  WriteStageFile(title_, "YARD.SCN", FigureSetRecords("Yard", false, true), kSetFileType);
  WriteStageFile(title_, "CAST.CST",
                 FigureGroupRecords("Birds", {{"robin", "Hall", "lamp"},
                                              {"wren", "Hall", "door"},
                                              {"finch", "Yard", "gate"}}),
                 kCastFileType);
  WriteStageFile(title_, "SHOP.SHP",
                 FigureGroupRecords("Toys", {{"ball", "Hall", "door"}, {"hoop", "Hall", "door"}}),
                 kShopFileType);
  std::vector<FigureSpec> flock;
  for (int i = 1; i <= 14; ++i) flock.push_back({"f" + std::to_string(i), "Hall", "door"});
  WriteStageFile(title_, "FLOCK.CST", FigureGroupRecords("Flock", flock), kCastFileType);
  return Start();
}

}  // namespace lw::testing
