// titlekit build with casts and shops: an actor of two poses and a prop built from their
// manifest, read back through `info`, the cast file readers and the sprite drawer; a picture
// named again with the same hot spot shares its sprite; bad pictures are refused with their
// JSON paths and nothing is written.
#include <filesystem>
#include <string>
#include <vector>

#include "media/sprite.h"
#include "objects/cast_file.h"
#include "platform/png_image.h"
#include "support/common_pictures.h"
#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

namespace fs = std::filesystem;

// robin's "stand" names r0.png twice: once as "walk" does (shared), once with another hot spot.
constexpr std::string_view kManifest = R"({
  "system": "system.lws",
  "casts": [{"file": "HEROES.CST", "name": "heroes", "script": "heroes.lws", "actors": [
    {"name": "robin", "script": "robin.lws", "set": "garden", "star": "gate", "poses": [
      {"name": "walk", "frames": [0, 1, 0], "images": [
        {"png": "r0.png"},
        {"png": "r1.png", "view": 1, "angle": 64, "hot": [0, 0], "mirrored": true,
         "size": 128}]},
      {"name": "stand", "images": [{"png": "r0.png"}, {"png": "r0.png", "hot": [1, 2]}]}]}]}],
  "shops": [{"file": "PROPS.SHP", "name": "props", "props": [
    {"name": "lamp", "views": [{"name": "lit", "images": [{"png": "lamp.png",
                                                           "transparent": 3}]}]}]}]
})";

class CastBuildTest : public test::ProgramTest {
 protected:
  CastBuildTest() : ProgramTest(TITLEKIT_PATH) {
    write("system.lws", "code boot()\nendcode\n");
    write("heroes.lws", "code opencast()\nendcode\n");
    write("robin.lws", "code walk()\nendcode\n");
    picture("r0.png", kRobin);
    picture("r1.png", test::Stripes(12, 6));
    picture("lamp.png", kLamp);
    write("title.json", kManifest);
  }

  void picture(const std::string& name, const test::Picture& p) const {
    ASSERT_FALSE(WritePng(file(name), {p.width, p.height, p.pixels, test::DistinctColours()}));
  }

  void build(std::string_view out) const {
    expect({"build", file("title.json"), "-o", file("out")}, 0, out);
  }

  // Record `id` of out/NAME, as `star get` gives it.
  std::vector<std::uint8_t> record(const std::string& name, int id) const {
    const std::string path = file("record");
    EXPECT_EQ(run({"star", "get", file("out/" + name), std::to_string(id), "-o", path}).status, 0);
    return bytes("record");
  }

  const test::Picture kRobin = test::Disc(16);
  // Index 0 is opaque here; the lamp names 3 transparent, the disc's pixels where x + y is 8..11.
  const test::Picture kLamp = test::Disc(9);
};

// The sprite drawn plain with its hot spot on `hot` over a background of 250: what the picture
// shows where it is opaque.
std::vector<std::uint8_t> Drawn(const std::vector<std::uint8_t>& sprite, const test::Picture& p,
                                Point hot) {
  std::vector<std::uint8_t> memory(p.pixels.size(), 250);
  const BitmapView view{memory, 0, p.width, p.width, p.height};
  const Rect clip{0, 0, static_cast<std::int16_t>(p.height), static_cast<std::int16_t>(p.width)};
  EXPECT_FALSE(DrawSprite(sprite, hot, view, clip, false).failed());
  return memory;
}

std::vector<std::uint8_t> Opaque(const test::Picture& p, std::uint8_t transparent) {
  std::vector<std::uint8_t> shown = p.pixels;
  for (std::uint8_t& pixel : shown) pixel = pixel == transparent ? 250 : pixel;
  return shown;
}

std::string Entries(const PoseRecord& pose) {
  std::string text;
  for (const std::uint16_t frame : pose.frames) text += std::to_string(frame) + " ";
  for (const PictureEntry& p : pose.pictures) {
    text += "| " + std::to_string(p.recordId) + " flags " + std::to_string(p.flags) + " view " +
            std::to_string(p.view) + " bounds " + std::to_string(p.top) + "," +
            std::to_string(p.left) + "," + std::to_string(p.bottom) + "," +
            std::to_string(p.right) + " hot " + std::to_string(p.hotV) + "," +
            std::to_string(p.hotH) + " angle " + std::to_string(p.angle) + " size " +
            std::to_string(p.sizeFactor) + " ";
  }
  return text;
}

TEST_F(CastBuildTest, TheCastAndShopHoldTheirFiguresPosesAndSprites) {
  build("bootfile: written\nHEROES.CST: written\nPROPS.SHP: written\n");
  // Records: 0 header, 1 heroes.lws, 2 robin, 3 robin.lws, 4 walk, 5 r0 (hot 15,8), 6 r1,
  // 7 stand, 8 r0 (hot 1,2), 9 the line table.
  const std::string cast = file("out/HEROES.CST");
  expect({"info", cast}, 0,
         cast +
             ": cast file (type CCDO, creator LWRT)\n"
             "cast \"heroes\": script 1, 1 actor\n"
             "  actor \"robin\": record 2, script 3, set \"garden\", star \"gate\", 2 poses\n"
             "    pose \"walk\": record 4, frames 0 1 0, 2 pictures\n"
             "      picture 5: view 0, angle 0, size 256, 16 x 16, hot [15, 8]\n"
             "      picture 6: view 1, angle 64, size 128, 12 x 6, hot [0, 0], mirrored\n"
             "    pose \"stand\": record 7, frames 0, 2 pictures\n"
             "      picture 5: view 0, angle 0, size 256, 16 x 16, hot [15, 8]\n"
             "      picture 8: view 0, angle 0, size 256, 16 x 16, hot [1, 2]\n");
  EXPECT_NE(run({"star", "get", cast, "10"}).status, 0);  // 10 records

  const auto header = ReadGroupHeader(record("HEROES.CST", 0));
  ASSERT_TRUE(header.ok()) << header.error();
  EXPECT_EQ(header->name, "heroes");
  ASSERT_EQ(header->figures, std::vector<std::uint32_t>{2});
  const auto robin = ReadFigureRecord(record("HEROES.CST", 2));
  ASSERT_TRUE(robin.ok()) << robin.error();
  ASSERT_EQ(robin->poses.size(), 2u);
  EXPECT_EQ(robin->name + " " + robin->set + " " + robin->star + " " + robin->poses[0].name + " " +
                std::to_string(robin->poses[0].recordId) + " " + robin->poses[1].name + " " +
                std::to_string(robin->poses[1].recordId),
            "robin garden gate walk 4 stand 7");
  // Frames hold 1 + the view; bounds are the whole picture.
  EXPECT_EQ(Entries(ReadPoseRecord(record("HEROES.CST", 4)).value()),
            "1 2 1 | 5 flags 0 view 0 bounds 0,0,16,16 hot 15,8 angle 0 size 256 "
            "| 6 flags 1 view 1 bounds 0,0,6,12 hot 0,0 angle 64 size 128 ");
  EXPECT_EQ(Entries(ReadPoseRecord(record("HEROES.CST", 7)).value()),
            "1 | 5 flags 0 view 0 bounds 0,0,16,16 hot 15,8 angle 0 size 256 "
            "| 8 flags 0 view 0 bounds 0,0,16,16 hot 1,2 angle 0 size 256 ");

  // Each sprite draws its PNG with its hot spot on the anchor.
  EXPECT_EQ(Drawn(record("HEROES.CST", 5), kRobin, PointAt(15, 8)), Opaque(kRobin, 0));
  EXPECT_EQ(Drawn(record("HEROES.CST", 8), kRobin, PointAt(1, 2)), Opaque(kRobin, 0));
  const test::Picture stripes = test::Stripes(12, 6);
  EXPECT_EQ(Drawn(record("HEROES.CST", 6), stripes, PointAt(0, 0)), Opaque(stripes, 0));

  // The shop: 0 header, 1 the empty script, 2 lamp, 3 lit, 4 the lamp's sprite, 5 line table.
  const std::string shop = file("out/PROPS.SHP");
  expect({"info", shop}, 0,
         shop +
             ": shop file (type PDDO, creator LWRT)\n"
             "shop \"props\": script 1, 1 prop\n"
             "  prop \"lamp\": record 2, script 1, set \"\", star \"\", 1 view\n"
             "    view \"lit\": record 3, frames 0, 1 picture\n"
             "      picture 4: view 0, angle 0, size 256, 9 x 9, hot [8, 4]\n");
  EXPECT_EQ(Drawn(record("PROPS.SHP", 4), kLamp, PointAt(8, 4)), Opaque(kLamp, 3));

  // Only a changed input makes its file again.
  build("bootfile: unchanged\nHEROES.CST: unchanged\nPROPS.SHP: unchanged\n");
  picture("r1.png", test::Stripes(12, 7));
  build("HEROES.CST: written\nbootfile: unchanged\nPROPS.SHP: unchanged\n");
}

TEST_F(CastBuildTest, BadPicturesAreRefusedAtTheirPathsAndNothingIsWritten) {
  picture("wide.png", test::Stripes(513, 1));
  write("text.png", "not a picture");
  const std::string manifest = file("title.json");
  // Each case stands for the PNG and hot spot of walk's second image.
  constexpr std::string_view kWalk = "$.casts[0].actors[0].poses[0].images[1]";
  const std::pair<std::string_view, std::string> cases[] = {
      {R"("png": "wide.png")",
       std::string(kWalk) +
           ".png: expected an 8-bit indexed PNG of 1..512 x 1..1024, not a 513 x 1 8-bit "
           "indexed PNG"},
      {R"("png": "text.png")", std::string(kWalk) + ".png: expected a PNG file"},
      {R"("png": "r1.png", "hot": [6, 0])",
       std::string(kWalk) +
           ".hot: expected a hot spot inside the picture of 12 x 6: row 0..5, column 0..11"},
      {R"("png": "r1.png", "hot": [0, 12])",
       std::string(kWalk) +
           ".hot: expected a hot spot inside the picture of 12 x 6: row 0..5, column 0..11"},
  };
  for (const auto& [image, problem] : cases) {
    std::string text(kManifest);
    constexpr std::string_view kGood = R"("png": "r1.png", "view": 1, "angle": 64, "hot": [0, 0])";
    text.replace(text.find(kGood), kGood.size(), std::string(image) + R"(, "view": 1)");
    write("title.json", text);
    expect({"build", manifest, "-o", file("out")}, 1, "", manifest + ": " + problem + "\n");
    EXPECT_FALSE(fs::exists(file("out/HEROES.CST")));
  }
}

}  // namespace
}  // namespace lw::titlekit
