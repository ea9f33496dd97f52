#include "set_title.h"

#include <algorithm>
#include <string>

#include "authoring/frame_encoder.h"
#include "media/scene_view.h"
#include "script/tokenizer.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

constexpr int kColumns = 2;

test::Bytes Script(std::string_view source) {
  std::string text(source);
  std::replace(text.begin(), text.end(), '\n', '\r');
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok()) << source;
  return script.ok() ? script->ToBytes() : test::Bytes{};
}

test::Bytes SolidView(std::uint8_t colour) {
  const std::vector<std::uint8_t> pixels(
      static_cast<std::size_t>(kSceneViewWidth) * kSceneViewHeight, colour);
  auto frame = authoring::EncodeFrame({kSceneViewWidth, kSceneViewHeight, pixels});
  EXPECT_TRUE(frame.ok());
  return frame.ok() ? *frame : test::Bytes{};
}

}  // namespace

// For each cell and direction (north, south, east, west): forward and backward where the cell
// ahead or behind is in the corridor, then the left and the right turn.
std::vector<MoveEntry> CorridorMoves() {
  constexpr int kLeftOf[] = {0, 4, 3, 1, 2};   // by code: north -> west ...
  constexpr int kRightOf[] = {0, 3, 4, 2, 1};  // north -> east ...
  constexpr int kStepOf[] = {0, 0, 0, 1, -1};  // columns a step east or west moves
  std::vector<MoveEntry> moves;
  for (std::uint16_t column = 0; column < kColumns; ++column) {
    for (std::uint16_t code = 1; code <= 4; ++code) {
      for (const int sign : {1, -1}) {
        const int to = column + sign * kStepOf[code];
        if (kStepOf[code] != 0 && to >= 0 && to < kColumns) {
          moves.push_back({column, 0, code, static_cast<std::uint16_t>(to), 0, code, 0});
        }
      }
      for (const int* turn : {kLeftOf, kRightOf}) {
        moves.push_back({column, 0, code, column, 0, static_cast<std::uint16_t>(turn[code]), 0});
      }
    }
  }
  return moves;
}

std::vector<test::Bytes> CorridorSetRecords(void (*change)(SetHeader&)) {
  std::vector<MoveEntry> moves = CorridorMoves();
  std::vector<test::Bytes> records(7);
  for (std::size_t m = 0; m < moves.size(); ++m) {
    moves[m].firstPicture = static_cast<std::uint32_t>(records.size());
    for (int k = 0; k < 6; ++k) records.push_back(SolidView(MoveColour(m, k)));
  }
  SetHeader header;
  header.moveCount = static_cast<std::uint32_t>(moves.size());
  header.cameraSetBack = 64;
  header.cameraHeight = 100;
  header.check28 = 1;
  header.moveTableId = 1;
  header.starRecordId = 2;
  header.width = kColumns;
  header.height = 1;
  header.startColumn = 0;
  header.startRow = 0;
  header.startDirection = 3;  // east
  header.scriptId = 4;
  header.name = "Hall";
  header.floorScriptIds.fill(5);
  header.scenes = {{0, 0, false, false, 3, "a", 0}, {0, 1, true, false, 3, "b", 6}};
  if (change != nullptr) change(header);
  records[0] = WriteSetHeader(header);
  records[1] = WriteMoveTable(moves);
  const std::vector<StarLink> stars = {{{100, 128, 0}, "door", 0, {1, 1, 1}, "ghost"},
                                       {{300, 100, 20}, "lamp", 3, {400, 200, 0}, "bench"}};
  records[2] = WriteStarRecord(stars);
  records[3] = WritePath(SetPath{100, {{300, 100, 20, 0}, {400, 200, 0, 100}}});
  records[4] = Script(Logs("openset()", "\"openset\"") + Logs("closeset()", "\"closeset\""));
  records[5] = Script(Logs("openfloor()", "\"openfloor:\" @ me") +
                      Logs("closefloor()", "\"closefloor:\" @ me") +
                      Logs("openscene()", "\"openscene:\" @ target") +
                      Logs("closescene()", "\"closescene:\" @ target"));
  records[6] = Script(Logs("openscene()", "\"openscene-b:\" @ me") +
                      Logs("closescene()", "\"closescene-b\""));
  return records;
}

}  // namespace lw::testing
