#include "figure_title.h"

#include "cast_title.h"
#include "runtime/title_objects.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/tokenizer.h"
#include "set_title.h"

namespace lw::testing {
namespace {

constexpr std::uint8_t kFigureColour = 7;

std::string MotionLogScript() {
  return Logs("endturn()", "\"endturn:\" @ me") + Logs("endwalk()", "\"endwalk:\" @ me") +
         Logs("chime()", "\"chime:\" @ me") +
         Logs("endball(why)", "\"endball:\" @ me @ \"/\" @ why");
}

FigureSpec Figure(std::string name, std::string set, std::string star) {
  return FigureSpec{.name = std::move(name),
                    .script = MotionLogScript(),
                    .set = std::move(set),
                    .star = std::move(star),
                    .poses = {{"stand", {1}, {Block(4, 4, kFigureColour)}}}};
}

}  // namespace

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

TitleRun& FigureTitleTest::StartFigures(bool building, std::string_view input) {
  WriteStageFile(title_, "SET.SCN", FigureSetRecords("Hall", building, false), kSetFileType);
  WriteStageFile(title_, "YARD.SCN", FigureSetRecords("Yard", false, true), kSetFileType);
  WriteStageFile(title_, "CAST.CST",
                 GroupRecords({"Birds",
                               "",
                               {Figure("robin", "Hall", "lamp"), Figure("wren", "Hall", "door"),
                                Figure("finch", "Yard", "gate")}}),
                 kCastFileType);
  WriteStageFile(
      title_, "SHOP.SHP",
      GroupRecords({"Toys", "", {Figure("ball", "Hall", "door"), Figure("hoop", "Hall", "door")}}),
      kShopFileType);
  GroupSpec flock{"Flock", "", {}};
  for (int i = 1; i <= 14; ++i)
    flock.figures.push_back(Figure("f" + std::to_string(i), "Hall", "door"));
  WriteStageFile(title_, "FLOCK.CST", GroupRecords(flock), kCastFileType);
  return Start(input);
}

std::string FigureTitleTest::Step() { return run_->Eval("forceupdate()"); }

}  // namespace lw::testing
