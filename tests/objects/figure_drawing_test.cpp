// Where figures are drawn and what of them is hit, against the definitions: the projection,
// depth, scale and picture choice recomputed here from the camera over random placements; the
// hit test of every pixel against the composed screen; hittest's topmost figure; and damaged
// cast files refused or reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "cast_title.h"
#include "common/direction.h"
#include "media/star_file.h"
#include "objects/figure_placement.h"
#include "script/trig_tables.h"
#include "set_title.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

// An actor seen from eight angles, each picture its own size, hot spot and size factor.
FigureSpec Turner() {
  PoseSpec pose{.name = "turn", .frames = {1, 2}, .pictures = {}};
  for (int i = 0; i < 8; ++i) {
    PictureSpec p = Block(10 + i, 6 + 2 * i, static_cast<std::uint8_t>(100 + i),
                          static_cast<std::uint16_t>(i * 32 + (i % 3)));
    p.size = static_cast<std::int16_t>(128 + 40 * i);
    p.hotH = i;
    p.view = static_cast<std::uint16_t>(i % 2);
    p.mirrored = i % 3 == 0;
    pose.pictures.push_back(p);
  }
  return FigureSpec{.name = "turner", .script = "", .set = "Hall", .star = "door", .poses = {pose}};
}

FigureSpec WedgeActor(std::string name, bool mirrored) {
  PictureSpec wedge = Wedge(24);
  wedge.mirrored = mirrored;
  return FigureSpec{.name = std::move(name),
                    .script = "",
                    .set = "Hall",
                    .star = "door",
                    .poses = {{"stand", {1}, {wedge}}}};
}

class FigureDrawingTest : public StageTitleTest {
 protected:
  TitleRun& StartCast(std::vector<test::Bytes> records) {
    WriteStageFile(title_, "CREW.CST", records, "CCDO");
    WriteStageFile(title_, "SET.SCN", CorridorSetRecords(), "SCDO");
    return Start();
  }
  static std::vector<test::Bytes> Crew() {
    return GroupRecords(
        GroupSpec{.name = "Crew",
                  .script = "",
                  .figures = {Turner(), WedgeActor("plain", false), WedgeActor("mirror", true)}});
  }
  TitleObjects& objects() { return *runtime().titleObjects(); }
  Figure& actor(std::string_view name) {
    return objects().actors().at(*objects().actors().Find(name));
  }
};

// The placement a 3-D figure must get, recomputed from the definitions.
std::optional<FigurePlacement> Expected3d(const SetObjects& set, const Figure& f,
                                          const PoseRecord& pose) {
  const Camera& camera = set.camera();
  const std::int64_t c = (*CosineTable())[static_cast<std::size_t>(camera.angle & 255)];
  const std::int64_t s = (*SineTable())[static_cast<std::size_t>(camera.angle & 255)];
  const std::int64_t dx = f.x - camera.x, dy = f.y - camera.y, dz = f.z - camera.z;
  const std::int64_t depth = (dx * c + dy * s) / 16384;
  if (depth < 32) return std::nullopt;
  const std::int64_t h = ((dy * c - dx * s) / 16384) * 256 / depth + 256;
  const std::int64_t v = 132 - dz * 256 / depth;
  const std::int64_t fog = std::max<std::int64_t>(0, depth - f.zclip - 64 + 128);
  if (fog > 1536) return std::nullopt;
  const int bearing = DirectionOf(camera.x - f.x, camera.y - f.y);
  const int a = (f.deg - set.viewAngle() + camera.angle - bearing) & 255;
  const int view = pose.frames[static_cast<std::size_t>(f.frame)] - 1;
  const PictureEntry* best = nullptr;
  int bestDistance = 1000;
  for (const PictureEntry& p : pose.pictures) {
    const int d = std::abs(p.angle - a);
    if (p.view == view && std::min(d, 256 - d) < bestDistance) {
      best = &p;
      bestDistance = std::min(d, 256 - d);
    }
  }
  const std::int64_t size = std::int64_t{f.scale} * best->sizeFactor / 1000;
  const std::int64_t w = size * best->columns() / depth;
  const std::int64_t hgt = size * best->rows() / depth;
  if (w < 1 || hgt < 1) return std::nullopt;
  const std::int64_t hot = best->mirrored() ? best->columns() - best->hotH : best->hotH;
  const std::int64_t top = v - best->hotV * hgt / best->rows();
  const std::int64_t left = h - hot * w / best->columns();
  const std::int64_t t = std::max<std::int64_t>(top, 0), l = std::max<std::int64_t>(left, 0);
  const std::int64_t b = std::min<std::int64_t>(top + hgt, 264),
                     r = std::min<std::int64_t>(left + w, 512);
  if (b <= t || r <= l) return std::nullopt;
  FigurePlacement placed;
  placed.anchor = Point{static_cast<std::int16_t>(v), static_cast<std::int16_t>(h)};
  placed.rect = Rect{static_cast<std::int16_t>(t), static_cast<std::int16_t>(l),
                     static_cast<std::int16_t>(b), static_cast<std::int16_t>(r)};
  placed.depth = static_cast<std::int16_t>(depth);
  placed.shade = static_cast<std::int16_t>(std::min<std::int64_t>(fog / 64, 24));
  placed.picture = best->recordId;
  placed.mirrored = best->mirrored();
  placed.size = SpriteSize{static_cast<std::int16_t>(hgt), static_cast<std::int16_t>(w)};
  return placed;
}

std::string Describe(const std::optional<FigurePlacement>& p) {
  if (!p) return "not drawn";
  return "anchor " + std::to_string(p->anchor.v) + "," + std::to_string(p->anchor.h) + " rect " +
         std::to_string(p->rect.top) + "," + std::to_string(p->rect.left) + "," +
         std::to_string(p->rect.bottom) + "," + std::to_string(p->rect.right) + " depth " +
         std::to_string(p->depth) + " shade " + std::to_string(p->shade) + " picture " +
         std::to_string(p->picture) + (p->mirrored ? " mirrored" : "") + " size " +
         std::to_string(p->size.rows) + "x" + std::to_string(p->size.columns);
}

TEST_F(FigureDrawingTest, PlacementMatchesTheCameraOverRandomPlacements) {
  TitleRun& run = StartCast(Crew());
  run.Expect({{"opencastfile(\"crew.cst\")", "OK"}, {"opensetfile(\"set.scn\")", "OK"}});
  const auto pose = ReadPoseRecord(Crew()[3]);  // Turner's pose record
  ASSERT_TRUE(pose.ok());
  std::mt19937 random(7);
  const auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  int drawn = 0;
  for (int trial = 0; trial < 400; ++trial) {
    if (trial % 100 == 0) {
      run.Eval("currentdir(\"" +
               std::string(std::array{"east", "south", "west", "north"}[trial / 100]) + "\")");
    }
    Figure& f = actor("turner");
    f.is3d = true;
    f.x = static_cast<std::int16_t>(between(-600, 900));
    f.y = static_cast<std::int16_t>(between(-600, 900));
    f.z = static_cast<std::int16_t>(between(-100, 300));
    f.deg = static_cast<std::int16_t>(between(0, 255));
    f.scale = between(0, 3000);
    f.zclip = static_cast<std::int16_t>(between(-200, 200));
    f.frame = static_cast<std::int16_t>(between(0, 1));
    const auto expected = Expected3d(objects().set(), f, pose.value());
    std::int16_t frame = f.frame;
    const auto placed = PlaceFigure(objects().figureDisplay().context(), f, frame);
    ASSERT_EQ(Describe(placed), Describe(expected)) << "trial " << trial;
    drawn += placed ? 1 : 0;
  }
  EXPECT_GT(drawn, 40);  // the random placements reach the drawn cases too
}

// At every pixel around a figure, pointinactor says whether the composed screen shows the
// figure there: plain and mirrored, on the stage and scaled in the scene view.
TEST_F(FigureDrawingTest, HitTestsAgreeWithTheDrawnPixels) {
  TitleRun& run = StartCast(Crew());
  run.Expect({{"openstagefile(\"stage.stg\")", "OK"}, {"opencastfile(\"crew.cst\")", "OK"}});
  const Rect stage = runtime().compositor()->stageRect();
  const auto compare = [&](std::string_view name, const std::string& place) {
    run.Expect({{"actorvisible(\"plain\", false)", "OK"},
                {"actorvisible(\"mirror\", false)", "OK"},
                {"actorvisible(\"" + std::string(name) + "\", true)", "OK"}});
    run.Eval(place);
    run.Eval("forceupdate()");
    const Figure& f = actor(name);
    const Surface& screen = runtime().compositor()->screenBuffer();
    int covered = 0;
    for (int v = f.shown.rect.top - 2; v < f.shown.rect.bottom + 2; ++v) {
      for (int h = f.shown.rect.left - 2; h < f.shown.rect.right + 2; ++h) {
        const bool shows = screen.at(h + stage.left, v + stage.top) >= 200;
        const bool hit = FigureCovers(objects().figureDisplay().context(), f, PointAt(v, h));
        ASSERT_EQ(hit, shows) << name << " " << place << " at " << v << "," << h;
        covered += hit ? 1 : 0;
      }
    }
    EXPECT_GT(covered, 100) << name << " " << place;
  };
  for (std::string_view name : {"plain", "mirror"}) {
    compare(name, "actorxy(\"" + std::string(name) + "\", 200, 300)");
  }
  run.Expect({{"opensetfile(\"set.scn\")", "OK"}});
  for (std::string_view name : {"plain", "mirror"}) {
    compare(name, "actorxyz(\"" + std::string(name) + "\", 150, 140, 90)");
    compare(name, "actorxyz(\"" + std::string(name) + "\", 400, 60, 60)");
  }
}

// hittest names the figure drawn on top; a transparent pixel of it shows the one below.
TEST_F(FigureDrawingTest, HittestFindsTheTopmostFigure) {
  TitleRun& run = StartCast(Crew());
  run.Expect({{"openstagefile(\"stage.stg\")", "OK"},
              {"opencastfile(\"crew.cst\")", "OK"},
              {"actorxy(\"plain\", 100, 100)", "OK"},
              {"actorxy(\"mirror\", 100, 100)", "OK"},
              {"actordist(\"mirror\", -2)", "OK"},
              {"actorvisible(\"plain\", true)", "OK"},
              {"actorvisible(\"mirror\", true)", "OK"},
              {"forceupdate()", "OK"}});
  // Both wedges stand with their hot spots on (100, 100) and cover row 99 there.
  run.Expect({{"\"\" @ hittest(makepoint(100, 99)) @ \"/\" @ result()", "\"mirror/actor\""},
              {"\"\" @ hittest(makepoint(300, 300)) @ \"/\" @ result()", "\"Hall/flat\""},
              {"actorvisible(\"mirror\", false)", "OK"},
              {"forceupdate()", "OK"},
              {"\"\" @ hittest(makepoint(100, 99)) @ \"/\" @ result()", "\"plain/actor\""},
              {"closecastfile(\"crew\")", "OK"},
              {"\"\" @ hittest(makepoint(100, 99)) @ \"/\" @ result()", "\"Hall/flat\""}});
}

void PutU32(test::Bytes& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Counts past the records, frame counts out of range and pictures that are no sprites are
// refused or reported, and nothing else happens.
TEST_F(FigureDrawingTest, DamagedCastFilesAreRefusedOrReported) {
  const struct {
    void (*damage)(std::vector<test::Bytes>&);
    std::string_view open;
    std::string box;
  } cases[] = {
      {[](std::vector<test::Bytes>& r) { PutU32(r[0], 2360, 1000); }, "Resource not found.",
       UndefinedErrorLine(5152)},
      {[](std::vector<test::Bytes>& r) { PutU32(r[1], 90, 70000); }, "Resource not found.",
       UndefinedErrorLine(5154)},
      {[](std::vector<test::Bytes>& r) { PutU32(r[0], 2364, 9999); }, "Resource not found.",
       "5153"},
      {[](std::vector<test::Bytes>& r) { r[3][112] = 40; }, "OK", UndefinedErrorLine(5156)},
      {[](std::vector<test::Bytes>& r) {
         for (std::size_t i = 4; i < 12; ++i) r[i] = test::Bytes(8, 0xFF);  // every picture
       },
       "OK", "511"},
  };
  for (const auto& c : cases) {
    std::vector<test::Bytes> records = Crew();
    c.damage(records);
    TitleRun& run = StartCast(records);
    run.Expect({{"opencastfile(\"crew.cst\")", c.open}});
    if (c.open == "OK") {
      run.Expect({{"actorxy(\"turner\", 50, 50)", "OK"},
                  {"actorvisible(\"turner\", true)", "OK"},
                  {"actorwarm(\"turner\")", "OK"},
                  {"forceupdate()", "OK"},
                  {"pointinactor(\"turner\", makepoint(50, 49))", "False"}});
    }
    EXPECT_NE(run.Boxes().find(c.box), std::string::npos) << c.box << "\n" << run.Boxes();
  }
}

}  // namespace
}  // namespace lw::testing
