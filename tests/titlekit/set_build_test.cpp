// titlekit build with sets: a corridor of two cells between walls built from its manifest, read
// back through `info`, the set file readers and the frame decoder, and the errors of a texture
// that is no indexed PNG.
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/set_render.h"
#include "media/frame_codec.h"
#include "objects/set_file.h"
#include "platform/png_image.h"
#include "script/trig_tables.h"
#include "support/common_pictures.h"
#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

namespace fs = std::filesystem;
using authoring::SetMapCell;

// Row 1 is the corridor: "hall" with its own script at column 1, a building on floor 2 at
// column 2; walls all round.
constexpr std::string_view kManifest = R"({
  "system": "system.lws",
  "palette": "palette.png",
  "sets": [{
    "file": "HALL.SCN", "name": "corridor", "floors": {"2": "floor.lws"},
    "map": ["####", "#ab#", "####"],
    "legend": {"#": {"wall": "brick"}, "a": {"scene": "hall", "script": "hall.lws"},
               "b": {"floor": 2, "building": true}},
    "textures": {"brick": "brick.png"},
    "start": {"row": 1, "column": 1, "facing": "east"},
    "camera": {"setback": 32, "height": 90}, "colours": {"floor": 5, "ceiling": 9},
    "stars": [{"name": "lamp", "at": [10, 20, 30]}, {"name": "gate", "at": [50, 60, 30]}],
    "paths": [{"from": "lamp", "to": "gate", "via": [[10, 60, 30]]}]
  }]
})";

class SetBuildTest : public test::ProgramTest {
 protected:
  SetBuildTest() : ProgramTest(TITLEKIT_PATH) {
    write("system.lws", "code boot()\nendcode\n");
    write("floor.lws", "code enterfloor()\nendcode\n");
    write("hall.lws", "code enterscene()\nendcode\n");
    picture("palette.png", test::Stripes(4, 4));
    picture("brick.png", kBrick);
    write("title.json", kManifest);
  }

  void picture(const std::string& name, const test::Picture& p) const {
    ASSERT_FALSE(WritePng(file(name), {p.width, p.height, p.pixels, test::DistinctColours()}));
  }

  // Record `id` of out/HALL.SCN, as `star get` gives it.
  std::vector<std::uint8_t> record(int id) const {
    const std::string path = file("record");
    EXPECT_EQ(run({"star", "get", file("out/HALL.SCN"), std::to_string(id), "-o", path}).status, 0);
    return bytes("record");
  }

  const test::Picture kBrick = test::Shapes(16, 8);
};

// The view of a player at the centre of (row, column) facing `angle`, rendered straight from the
// map and camera that the manifest gives.
authoring::ViewPicture ExpectedView(const test::Picture& brick, int row, int column, int angle) {
  const std::vector<std::string> grid = {"####", "#ab#", "####"};
  const std::map<char, SetMapCell> legend = {{'#', authoring::WallCell("brick")},
                                             {'a', authoring::OpenCell("hall")},
                                             {'b', authoring::OpenCell("", 2, true)}};
  const auto map = authoring::ParseSetMap(grid, legend, {1, 1, "east"});
  const Trig trig{*SineTable(), *CosineTable()};
  const authoring::RenderOptions options{test::DistinctColours(), 5, 9, 32, 90};
  const auto renderer = authoring::SetRenderer::Create(
      map.value(), {{"brick", {brick.width, brick.height, brick.pixels}}}, options, trig);
  return renderer.value().RenderView(
      CameraBehind(trig, CellCentre(column), CellCentre(row), angle, 32, 90));
}

TEST_F(SetBuildTest, TheSetFileHoldsTheMapsScenesMovesAndRenderedViews) {
  expect({"build", file("title.json"), "-o", file("out")}, 0,
         "bootfile: written\nHALL.SCN: written\n");
  // Records: 0 header, 1 moves, 2 stars, 3 the empty script (set, floors 0, 1, 3..31), 4
  // floor.lws, 5 hall.lws, 6..125 the pictures of 20 moves, 126 the path, 127 the line table.
  const std::string path = file("out/HALL.SCN");
  expect({"info", path}, 0,
         path +
             ": set file (type SCDO, creator LWRT)\n"
             "set \"corridor\": script 3, 4 x 3 cells, start row 1 column 1 facing east, 20 "
             "moves, 2 scenes\n"
             "  scene \"hall\": row 1, column 1, floor 0, script 5\n"
             "  scene \"r1c2\": row 1, column 2, floor 2, building\n"
             "  2 stars, 1 path\n");
  EXPECT_NE(run({"star", "get", path, "128"}).status, 0);  // 128 records
  auto header = ReadSetHeader(record(0));
  ASSERT_TRUE(header.ok()) << header.error();
  EXPECT_EQ(header->check28, 1);
  EXPECT_EQ(std::to_string(header->cameraSetBack) + "," + std::to_string(header->cameraHeight) +
                " floors " + std::to_string(header->floorScriptIds[1]) + "," +
                std::to_string(header->floorScriptIds[2]) + "," +
                std::to_string(header->floorScriptIds[31]),
            "32,90 floors 3,4,3");
  // Each star, and the path from lamp to gate: its points, each with the length of the segment
  // that ends there.
  std::string links;
  const std::vector<StarLink> starLinks = ReadStarRecord(record(2)).value();
  for (const StarLink& link : starLinks) {
    links += link.firstName + " " + std::to_string(link.first.x) + "," +
             std::to_string(link.first.y) + "," + std::to_string(link.first.z) + " path " +
             std::to_string(link.pathId) + " " + link.secondName + "; ";
  }
  EXPECT_EQ(links, "lamp 10,20,30 path 0 ; gate 50,60,30 path 0 ; lamp 10,20,30 path 126 gate; ");
  const auto walk = ReadPath(record(126)).value();
  std::string points = std::to_string(walk.totalLength) + ":";
  for (const PathPoint& p : walk.points) {
    points += " " + std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z) +
              "/" + std::to_string(p.length);
  }
  EXPECT_EQ(points, "80: 10,20,30/0 10,60,30/40 50,60,30/40");

  // Directions are codes: 1 north, 2 south, 3 east, 4 west; each move takes six pictures.
  auto moves = ReadMoveTable(record(1), header->moveCount);
  ASSERT_TRUE(moves.ok()) << moves.error();
  std::string trace;
  for (std::size_t i = 0; i < 5; ++i) {
    const MoveEntry& m = (*moves)[i];
    trace += std::to_string(m.fromColumn) + std::to_string(m.fromRow) +
             std::to_string(m.fromDirection) + ">" + std::to_string(m.toColumn) +
             std::to_string(m.toRow) + std::to_string(m.toDirection) + "@" +
             std::to_string(m.firstPicture) + " ";
  }
  EXPECT_EQ(trace, "113>213@6 113>111@12 113>112@18 112>113@24 112>114@30 ");
  EXPECT_EQ(moves->back().firstPicture, 120u);

  // The first move's first picture is the view from the start; its sixth the view once made.
  const auto decoded = [&](int id) {
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(kSceneViewWidth * kSceneViewHeight));
    const auto frame = record(id);
    const auto used = DecodeFrame(
        frame, BitmapView{memory, 0, kSceneViewWidth, kSceneViewWidth, kSceneViewHeight});
    EXPECT_EQ(used.value(), frame.size());
    return memory;
  };
  EXPECT_TRUE(decoded(6) == ExpectedView(kBrick, 1, 1, authoring::kEast));
  EXPECT_TRUE(decoded(11) == ExpectedView(kBrick, 1, 2, authoring::kEast));
  EXPECT_TRUE(decoded(11) != decoded(6));

  // Only a changed input makes the set again: here its texture.
  expect({"build", file("title.json"), "-o", file("out")}, 0,
         "bootfile: unchanged\nHALL.SCN: unchanged\n");
  picture("brick.png", test::Stripes(16, 8));
  expect({"build", file("title.json"), "-o", file("out")}, 0,
         "HALL.SCN: written\nbootfile: unchanged\n");
}

// A hand-made view stands in for the rendered one wherever the player stands in its cell facing
// its way: here at b facing east, the sixth picture of the first move (a to b); a view of
// another size is refused (the boot file, whole, is written all the same).
TEST_F(SetBuildTest, AHandMadeViewReplacesTheRenderedOne) {
  std::string text(kManifest);
  text.replace(text.find("\"building\": true}"), 17,
               "\"building\": true, \"views\": {\"east\": \"view.png\"}}");
  write("title.json", text);
  picture("view.png", test::Stripes(16, 8));
  expect({"build", file("title.json"), "-o", file("out")}, 1, "",
         "HALL.SCN: $.sets[0].legend.b.views.east: expected a view of 512 x 264 pixels, not 16 x "
         "8\n");
  const test::Picture view = test::Stripes(kSceneViewWidth, kSceneViewHeight);
  picture("view.png", view);
  expect({"build", file("title.json"), "-o", file("out")}, 0,
         "HALL.SCN: written\nbootfile: unchanged\n");
  std::vector<std::uint8_t> memory(static_cast<std::size_t>(kSceneViewWidth * kSceneViewHeight));
  const auto frame = record(11);
  ASSERT_TRUE(DecodeFrame(
      frame, BitmapView{memory, 0, kSceneViewWidth, kSceneViewWidth, kSceneViewHeight}));
  EXPECT_TRUE(memory == view.pixels);
}

TEST_F(SetBuildTest, ATextureThatIsNoIndexedPngIsRefusedAndNothingIsWritten) {
  picture("huge.png", test::Stripes(1025, 1));
  write("text.png", "not a picture");
  const std::string manifest = file("title.json");
  const std::pair<std::string_view, std::string> cases[] = {
      {"huge.png",
       "expected an 8-bit indexed PNG of 1..1024 x 1..1024, not a 1025 x 1 8-bit "
       "indexed PNG"},
      {"text.png", "expected a PNG file"},
  };
  for (const auto& [texture, problem] : cases) {
    std::string text(kManifest);
    text.replace(text.find("brick.png"), 9, texture);
    write("title.json", text);
    expect({"build", manifest, "-o", file("out")}, 1, "",
           manifest + ": $.sets[0].textures.brick: " + problem + "\n");
    EXPECT_FALSE(fs::exists(file("out/HALL.SCN")));
  }
}

}  // namespace
}  // namespace lw::titlekit
