// Set maps and their view pictures. Map errors and the list of moves are literal tables; the
// pictures are checked against the runtime's own projection (ProjectPoint, CameraBehind), which
// shares no arithmetic with the ray caster: walls straight ahead span the rows ProjectPoint gives
// their edges, corridors look the same to both sides, and the last picture of a move is the view
// from where the move ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "authoring/set_map.h"
#include "authoring/set_render.h"
#include "script/trig_tables.h"

namespace lw::authoring {
namespace {

using Grid = std::vector<std::string>;

const std::map<char, SetMapCell> kLegend{
    {'#', WallCell("stripes")}, {'|', WallCell("ramp")},
    {'.', OpenCell()},          {'h', OpenCell("hall", 2)},
    {'g', OpenCell("r1c2")},    {'f', OpenCell("", 32)},
    {'w', WallCell("")},        {'L', OpenCell("a_very_long_name")},
};

SetMap Parse(const Grid& grid, SetStart start) {
  auto map = ParseSetMap(grid, kLegend, start);
  EXPECT_TRUE(map.ok()) << map.error();
  return map.ok() ? map.value() : SetMap{};
}

TEST(SetMapTest, BadMapsAreRefusedWithTheirPlace) {
  struct Case {
    Grid grid;
    SetStart start;
    const char* error;
  };
  const std::vector<Case> cases{
      {{"###", "#x#", "###"}, {1, 1, "east"}, "row 1, column 1: 'x' is not in the legend"},
      {{"###", "##"}, {1, 1, "east"}, "row 1 has 2 cells, row 0 has 3"},
      {{}, {0, 0, "east"}, "the map has no cells"},
      {{std::string(128, '.')}, {0, 0, "east"}, "the map is 1 x 128 cells, more than 127 x 127"},
      {{"#.#"}, {0, 0, "east"}, "the start (row 0, column 0) is on a wall"},
      {{"#.#"}, {1, 1, "east"}, "the start (row 1, column 1) is outside the 1 x 3 map"},
      {{"#.#"}, {0, -1, "east"}, "the start (row 0, column -1) is outside the 1 x 3 map"},
      {{"#.#"}, {0, 1, "up"}, "the start direction \"up\" is not north, east, south or west"},
      {{"#f#"}, {0, 1, "east"}, "row 0, column 1: floor 32 is outside 0..31"},
      {{"w.#"}, {0, 1, "east"}, "row 0, column 0: a wall needs a texture"},
      {{"#hh"}, {0, 1, "east"}, "row 0, column 2: scene \"hall\" is already at row 0, column 1"},
      {{"###", "#g."},
       {1, 1, "east"},
       "row 1, column 2: scene \"r1c2\" is already at row 1, column 1"},
      {{"#L#"},
       {0, 1, "east"},
       "row 0, column 1: scene name \"a_very_long_name\" is longer than 15 characters"},
  };
  for (const Case& c : cases) {
    const auto map = ParseSetMap(c.grid, kLegend, c.start);
    ASSERT_FALSE(map.ok()) << c.error;
    EXPECT_EQ(map.error(), c.error);
  }
}

TEST(SetMapTest, CellsTakeTheirLegendEntryAndGeneratedNames) {
  const SetMap map = Parse({"####", "#h.#", "####"}, {1, 2, "north"});
  EXPECT_EQ(map.rows, 3);
  EXPECT_EQ(map.columns, 4);
  EXPECT_EQ(map.startDirection, kNorth);
  EXPECT_EQ(CellAt(map, 1, 1).scene, "hall");
  EXPECT_EQ(CellAt(map, 1, 1).floor, 2);
  EXPECT_EQ(CellAt(map, 1, 2).scene, "r1c2");
  EXPECT_EQ(CellAt(map, 0, 3).texture, "stripes");
  EXPECT_TRUE(IsOpen(map, 1, 2));
  for (const auto& [row, column] :
       std::vector<std::pair<int, int>>{{0, 0}, {-1, 1}, {1, 4}, {3, 1}})
    EXPECT_FALSE(IsOpen(map, row, column)) << row << "," << column;
}

TEST(SetMapTest, MovesGoForwardAndBackIntoOpenCellsAndTurnEverywhere) {
  const SetMap map = Parse({"####", "#..#", "#.##", "####"}, {1, 1, "east"});
  std::string trace;
  for (const SetMove& m : AllowedMoves(map)) {
    trace += std::to_string(m.fromRow) + std::to_string(m.fromColumn) +
             std::string(DirectionName(m.fromDirection).substr(0, 1)) + ">" +
             std::to_string(m.toRow) + std::to_string(m.toColumn) +
             std::string(DirectionName(m.toDirection).substr(0, 1)) + " ";
  }
  EXPECT_EQ(trace,
            "11e>12e 11e>11n 11e>11s 11s>21s 11s>11e 11s>11w 11w>12w 11w>11s 11w>11n "
            "11n>21n 11n>11w 11n>11e "
            "12e>11e 12e>12n 12e>12s 12s>12e 12s>12w 12w>11w 12w>12s 12w>12n 12n>12w 12n>12e "
            "21e>21n 21e>21s 21s>11s 21s>21e 21s>21w 21w>21s 21w>21n 21n>11n 21n>21w 21n>21e ");
}

// --- pictures -------------------------------------------------------------------------------

// Palette: indices 0..127 are reds, 128..255 blues, none black, so that darkening keeps a red a
// red and a blue a blue. Walls are textured in reds, floor and ceiling are blues.
Palette TwoRamps() {
  Palette palette{};
  for (int i = 0; i < 128; ++i) {
    const auto level = static_cast<std::uint8_t>(2 * i + 1);
    palette[static_cast<std::size_t>(i)] = {level, 0, 0};
    palette[static_cast<std::size_t>(128 + i)] = {0, 0, level};
  }
  return palette;
}

bool IsWall(std::uint8_t pixel) { return pixel < 128; }

// 64 x 64 textures in reds: "stripes" changes with the row only, "ramp" with the column only.
TextureSet Textures() {
  Texture stripes{64, 64, {}};
  Texture ramp{64, 64, {}};
  for (int v = 0; v < 64; ++v) {
    for (int h = 0; h < 64; ++h) {
      stripes.pixels.push_back(static_cast<std::uint8_t>(40 + v));
      ramp.pixels.push_back(static_cast<std::uint8_t>(40 + h));
    }
  }
  return {{"stripes", stripes}, {"ramp", ramp}};
}

class SetRenderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SineTable() != nullptr && CosineTable() != nullptr); }

  SetRenderer Renderer(const SetMap& map, std::int32_t setBack, std::int32_t height = 128) {
    const RenderOptions options{TwoRamps(), 200, 240, setBack, height};
    auto renderer = SetRenderer::Create(map, Textures(), options, trig);
    EXPECT_TRUE(renderer.ok()) << renderer.error();
    return std::move(renderer).value();
  }

  // The camera of a player standing at the centre of (row, column), as the runtime places it.
  Camera PlayerCamera(int row, int column, int angle, std::int32_t setBack,
                      std::int32_t height = 128) const {
    return CameraBehind(trig, CellCentre(column), CellCentre(row), angle, setBack, height);
  }

  const Trig trig{*SineTable(), *CosineTable()};
};

std::uint8_t At(const ViewPicture& picture, int h, int v) {
  return picture[static_cast<std::size_t>(v) * kSceneViewWidth + static_cast<std::size_t>(h)];
}

const Grid kRoom{"#####", "#...#", "#...#", "#...#", "#####"};

TEST_F(SetRenderTest, AWallAheadSpansTheRowsProjectPointGivesItsEdges) {
  const SetMap map = Parse(kRoom, {1, 1, "east"});
  struct Facing {
    int angle;
    std::int32_t faceX, faceY;  // where the centre ray meets the wall ahead, for the player's cell
  };
  // A set-back of 200 puts the camera of a player next to a wall inside that wall.
  for (const auto& [setBack, height] :
       std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 128}, {64, 40}, {200, 230}}) {
    const SetRenderer renderer = Renderer(map, setBack, height);
    for (int row = 1; row <= 3; ++row) {
      for (int column = 1; column <= 3; ++column) {
        for (const Facing& f :
             {Facing{kEast, 1024, CellCentre(row)}, Facing{kWest, 256, CellCentre(row)},
              Facing{kSouth, CellCentre(column), 1024}, Facing{kNorth, CellCentre(column), 256}}) {
          const Camera camera = PlayerCamera(row, column, f.angle, setBack, height);
          const ProjectedPoint top = ProjectPoint(trig, camera, f.faceX, f.faceY, kCellSize);
          const ProjectedPoint bottom = ProjectPoint(trig, camera, f.faceX, f.faceY, 0);
          ASSERT_EQ(top.h, kViewCentreColumn);
          const ViewPicture picture = renderer.RenderView(camera);
          for (int v = 0; v < kSceneViewHeight; ++v) {
            ASSERT_EQ(IsWall(At(picture, kViewCentreColumn, v)), v >= top.v && v < bottom.v)
                << "row " << v << " of cell " << row << "," << column << " facing " << f.angle
                << " set back " << setBack << " height " << height;
          }
        }
      }
    }
  }
}

TEST_F(SetRenderTest, CorridorsLookTheSameToBothSides) {
  const SetMap across = Parse({"#########", "#.......#", "#########"}, {1, 1, "east"});
  const SetMap down = Parse({"###", "#.#", "#.#", "#.#", "#.#", "#.#", "###"}, {1, 1, "south"});
  for (const auto& [map, camera] :
       std::vector<std::pair<SetMap, Camera>>{{across, PlayerCamera(1, 2, kEast, 64)},
                                              {across, PlayerCamera(1, 6, kWest, 64)},
                                              {down, PlayerCamera(4, 1, kNorth, 32)},
                                              {down, PlayerCamera(1, 1, kSouth, 0)}}) {
    const ViewPicture picture = Renderer(map, 64).RenderView(camera);
    int differing = 0;
    for (int v = 0; v < kSceneViewHeight; ++v) {
      for (int d = 1; d < kViewCentreColumn; ++d)
        differing += At(picture, kViewCentreColumn - d, v) != At(picture, kViewCentreColumn + d, v);
    }
    EXPECT_EQ(differing, 0) << "facing " << camera.angle;
  }
}

TEST_F(SetRenderTest, TexturesStandUprightAndReadLeftToRight) {
  const SetMap map = Parse({"|||||", "|...|", "|...|", "|...|", "|||||"}, {2, 2, "east"});
  const SetRenderer renderer = Renderer(map, 0);
  const SetRenderer striped = Renderer(Parse(kRoom, {2, 2, "east"}), 0);
  for (const int angle : {kEast, kSouth, kWest, kNorth}) {
    const Camera camera = PlayerCamera(2, 2, angle, 0);
    const ViewPicture ramp = renderer.RenderView(camera);
    // The middle wall ahead is 384 units away and 256 wide: columns 171..340 show it.
    for (int h = 172; h < 340; ++h)
      EXPECT_LE(At(ramp, h, kHorizonRow), At(ramp, h + 1, kHorizonRow)) << angle << " " << h;
    EXPECT_LT(At(ramp, 172, kHorizonRow), At(ramp, 339, kHorizonRow)) << angle;
    const ViewPicture stripes = striped.RenderView(camera);
    for (int v = 90; v < 174; ++v)
      EXPECT_LE(At(stripes, 256, v), At(stripes, 256, v + 1)) << angle << " " << v;
    EXPECT_LT(At(stripes, 256, 90), At(stripes, 256, 174)) << angle;
  }
}

TEST_F(SetRenderTest, AMoveEndsOnTheViewFromItsTarget) {
  const SetMap map = Parse(kRoom, {1, 1, "east"});
  const SetRenderer renderer = Renderer(map, 48);
  for (const SetMove& move : std::vector<SetMove>{{1, 1, kEast, 1, 2, kEast},
                                                  {2, 2, kNorth, 3, 2, kNorth},
                                                  {2, 3, kEast, 2, 3, kSouth},
                                                  {3, 1, kEast, 3, 1, kNorth}}) {
    const auto pictures = renderer.RenderMove(move);
    ASSERT_TRUE(pictures.ok()) << pictures.error();
    const std::string what = std::to_string(move.fromRow) + "," + std::to_string(move.fromColumn);
    const auto& steps = pictures.value();
    EXPECT_EQ(steps[0], renderer.RenderView(
                            PlayerCamera(move.fromRow, move.fromColumn, move.fromDirection, 48)))
        << what;
    EXPECT_EQ(steps[4],
              renderer.RenderView(PlayerCamera(move.toRow, move.toColumn, move.toDirection, 48)))
        << what;
    for (int step = 1; step < 4; ++step) EXPECT_NE(steps[step], steps[step - 1]) << what << step;
  }
  // Half way through a right turn from east the view faces angle 32, through a left one 224.
  const auto right = renderer.RenderMove({2, 2, kEast, 2, 2, kSouth});
  const auto left = renderer.RenderMove({2, 2, kEast, 2, 2, kNorth});
  ASSERT_TRUE(right.ok() && left.ok());
  EXPECT_EQ(right.value()[2], renderer.RenderView(PlayerCamera(2, 2, 32, 48)));
  EXPECT_EQ(left.value()[2], renderer.RenderView(PlayerCamera(2, 2, 224, 48)));
}

TEST_F(SetRenderTest, BadMovesAndSettingsAreRefused) {
  const SetMap map = Parse({"####", "#..#", "####"}, {1, 1, "east"});
  const SetRenderer renderer = Renderer(map, 0);
  const std::vector<std::pair<SetMove, const char*>> moves{
      {{0, 0, kEast, 0, 1, kEast},
       "the move from row 0, column 0 to row 0, column 1 does not "
       "start on an open cell"},
      {{1, 2, kEast, 1, 3, kEast},
       "the move from row 1, column 2 to row 1, column 3 ends on a wall"},
      {{1, 1, kEast, 1, 1, 32},
       "the move from row 1, column 1 to row 1, column 1 does not face "
       "east, south, west or north"},
      {{1, 1, kEast, 1, 1, kWest},
       "the move from row 1, column 1 to row 1, column 1 is neither "
       "one cell forward or back nor a turn"},
      {{1, 1, kSouth, 1, 2, kSouth},
       "the move from row 1, column 1 to row 1, column 2 is neither "
       "one cell forward or back nor a turn"},
  };
  for (const auto& [move, error] : moves) {
    const auto pictures = renderer.RenderMove(move);
    ASSERT_FALSE(pictures.ok()) << error;
    EXPECT_EQ(pictures.error(), error);
  }
  EXPECT_EQ(renderer.MoveCamera({1, 1, kEast, 1, 2, kEast}, 5).error(),
            "step 5 of a move is outside 0..4");

  const auto create = [&](TextureSet textures, std::int32_t setBack, std::int32_t height) {
    const auto made =
        SetRenderer::Create(map, textures, {TwoRamps(), 200, 240, setBack, height}, trig);
    return made.ok() ? std::string("ok") : made.error();
  };
  TextureSet textures = Textures();
  EXPECT_EQ(create(textures, 0, 0), "camera height 0 is not inside the walls (1..255)");
  EXPECT_EQ(create(textures, 0, 256), "camera height 256 is not inside the walls (1..255)");
  EXPECT_EQ(create(textures, -1, 128), "camera set-back -1 is outside 0..1024");
  textures["stripes"].pixels.pop_back();
  EXPECT_EQ(create(textures, 0, 128), "texture \"stripes\" has 4095 pixels, not 64 x 64");
  textures["stripes"] = Texture{0, 64, {}};
  EXPECT_EQ(create(textures, 0, 128), "texture \"stripes\" is 0 x 64; each side must be 1..1024");
  textures.erase("stripes");
  EXPECT_EQ(create(textures, 0, 128), "texture \"stripes\" of a wall is missing");
  // A map whose cells stop after row 1, column 1: the missing cells count as walls, so only the
  // turns at (1, 1) are left.
  SetMap torn = map;
  torn.cells.resize(6);
  EXPECT_EQ(SetRenderer::Create(torn, Textures(), {}, trig).error(),
            "the map of 3 x 4 cells holds 6");
  EXPECT_EQ(AllowedMoves(torn).size(), 8u);
}

}  // namespace
}  // namespace lw::authoring
