// titlekit build and info as programs: a title of two stages built from its manifest, its stage
// file read back through the stage file readers and the frame decoder, the errors of its source
// files, and rebuilds that rewrite only what changed.
#include <filesystem>
#include <string>
#include <vector>

#include "media/frame_codec.h"
#include "objects/set_file.h"
#include "objects/stage_file.h"
#include "platform/png_image.h"
#include "script/compiled_script.h"
#include "script/line_table.h"
#include "shell/drawing/colour_table.h"
#include "support/common_pictures.h"
#include "support/common_program_run.h"

namespace lw::titlekit {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 512;
constexpr int kHeight = 384;

// A 1 x 1 true-colour PNG.
constexpr std::string_view kTrueColourPng(
    "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90\x77\x53\xDE\0\0\0\x0C"
    "IDAT\x78\x9C\x63\xF8\xCF\xC0\0\0\x03\x01\x01\0\xC9\xFE\x92\xEF\0\0\0\0IEND\xAE\x42\x60\x82",
    69);

// Two stages: the hall with a flat whose buttons overlap and a flat without script or buttons,
// and the garden with one flat.
constexpr std::string_view kManifest = R"({
  "system": "system.lws",
  "palette": "door.png",
  "stages": [
    {"file": "HALL.STR", "name": "hall", "script": "hall.lws", "flats": [
      {"name": "door", "script": "door.lws", "picture": "door.png", "buttons": [
        {"name": "knob", "rect": [100, 100, 200, 300], "script": "knob.lws"},
        {"name": "bell", "rect": [150, 250, 250, 400]}]},
      {"name": "wall", "picture": "wall.png"}]},
    {"file": "GARDEN.STR", "name": "garden", "flats": [{"name": "gate", "picture": "gate.png"}]}
  ]
})";

class BuildTest : public test::ProgramTest {
 protected:
  BuildTest() : ProgramTest(TITLEKIT_PATH) {
    write("system.lws", "code boot()\nendcode\n");
    write("hall.lws", "code openstage()\nendcode\n");
    write("door.lws", "code openflat()\nendcode\n");
    write("knob.lws", "code mousedown(n)\n\tlocal x\n\tx = n\nendcode\n");
    picture("door.png", test::Stripes(kWidth, kHeight));
    picture("wall.png", test::Shapes(kWidth, kHeight));
    picture("gate.png", test::WithBlock(test::Stripes(kWidth, kHeight), 10, 10));
    write("title.json", kManifest);
  }

  void picture(const std::string& name, const test::Picture& p) const {
    ASSERT_FALSE(WritePng(file(name), {p.width, p.height, p.pixels, test::DistinctColours()}));
  }

  // Builds title.json into out/, expecting success and `out` on standard output.
  void build(std::string_view out) const {
    expect({"build", file("title.json"), "-o", file("out")}, 0, out);
  }

  // Record `id` of out/HALL.STR, as `star get` gives it.
  std::vector<std::uint8_t> hall(int id) const {
    const std::string record = file("record");
    EXPECT_EQ(run({"star", "get", file("out/HALL.STR"), std::to_string(id), "-o", record}).status,
              0);
    return bytes("record");
  }
};

TEST_F(BuildTest, TheBuiltFilesHoldTheManifestsValuesAndRebuildsOnlyWhatChanged) {
  build("bootfile: written\nHALL.STR: written\nGARDEN.STR: written\n");
  // Records: 0 header, 1 palette, 2 hall.lws, 3 door.lws, 4 door picture, 5 knob.lws, 6 the
  // empty script, 7 door's buttons, 8 wall picture, 9 wall's buttons, 10 the line table.
  expect({"info", file("out/HALL.STR")}, 0,
         file("out/HALL.STR") +
             ": stage file (type FLAT, creator LWRT)\n"
             "stage \"hall\": script 2, palette 1, 2 flats\n"
             "  flat 1 \"door\": script 3, picture 4 (512 x 384), buttons 7 (2)\n"
             "    button 1 \"knob\": rect [100, 100, 200, 300], script 5\n"
             "    button 2 \"bell\": rect [150, 250, 250, 400], script 6\n"
             "  flat 2 \"wall\": script 6, picture 8 (512 x 384), buttons 9 (0)\n");
  expect({"info", file("out/bootfile")}, 0,
         file("out/bootfile") +
             ": boot file (type STAR, creator LWRT)\n"
             "system script: record 1, 8 tokens\nline table: record 2\n");
  // Kinds without a description of their own give their type.
  expect({"star", "new", file("game.rtd"), "--type", "RTDO"}, 0, "");
  expect({"info", file("game.rtd")}, 0,
         file("game.rtd") + ": star file (type RTDO, creator LWRT)\n0 records\n");
  // The boot file is the one `bootfile` makes.
  expect({"bootfile", file("system.lws"), "-o", file("bootfile")}, 0, "");
  EXPECT_EQ(bytes("out/bootfile"), bytes("bootfile"));

  EXPECT_NE(run({"star", "get", file("out/HALL.STR"), "11"}).status, 0);  // 11 records
  // The ids and names are what `info` shows above; the stage's size is not.
  auto header = ReadStageHeader(hall(0));
  ASSERT_TRUE(header.ok()) << header.error();
  EXPECT_EQ(std::to_string(header->width) + "x" + std::to_string(header->height), "512x384");
  EXPECT_EQ(DecodeColourTable(hall(1)).value(), test::DistinctColours());
  // Scripts are compiled as `compile` compiles them; objects without one share the empty one.
  expect({"compile", file("knob.lws"), "-o", file("knob.lwc")}, 0, "");
  EXPECT_EQ(hall(5), bytes("knob.lwc"));
  EXPECT_EQ(CompiledScript::FromBytes(hall(6)).value().tokenCount(), 1u);
  auto lines = LineTable::Decode(hall(10));
  ASSERT_TRUE(lines.ok()) << lines.error();
  std::string covered;
  for (const ScriptLines& script : lines->scripts())
    covered += std::to_string(script.recordId) + ":" + std::to_string(script.tokenCount) + " ";
  EXPECT_EQ(covered, "2:8 3:8 5:16 6:1 ");
  EXPECT_EQ(lines->lineOf(5, 16, 9), 3);  // x = n, on the third line

  // The wall's picture decodes to its PNG's pixels.
  std::vector<std::uint8_t> memory(static_cast<std::size_t>(kWidth * kHeight), 0xEE);
  const auto frame = hall(8);
  EXPECT_EQ(DecodeFrame(frame, BitmapView{memory, 0, kWidth, kWidth, kHeight}).value(),
            frame.size());
  EXPECT_TRUE(memory == test::Shapes(kWidth, kHeight).pixels);

  // A rebuild rewrites only what changed; outputs dated an hour back show what it rewrote.
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const char* const outputs[] = {"out/bootfile", "out/HALL.STR", "out/GARDEN.STR"};
  for (const char* name : outputs) fs::last_write_time(file(name), past);
  const auto rewritten = [&] {
    std::string names;
    for (const char* name : outputs) names += fs::last_write_time(file(name)) != past ? name : "";
    return names;
  };
  build("bootfile: unchanged\nHALL.STR: unchanged\nGARDEN.STR: unchanged\n");
  EXPECT_EQ(rewritten(), "");
  picture("gate.png", test::WithBlock(test::Stripes(kWidth, kHeight), 20, 10));
  build("GARDEN.STR: written\nbootfile: unchanged\nHALL.STR: unchanged\n");
  EXPECT_EQ(rewritten(), "out/GARDEN.STR");

  // A changed button is a changed manifest entry; a lost output is made again.
  std::string moved(kManifest);
  write("title.json", moved.replace(moved.find("200, 300]"), 9, "200, 301]"));
  fs::remove(file("out/bootfile"));
  build("bootfile: written\nHALL.STR: written\nGARDEN.STR: unchanged\n");
  // Stamps that do not parse are no stamps: everything is made again.
  write("out/.titlekit-build", "titlekit-build 1\nzz HALL.STR\n0123456789abcdefg bootfile\n");
  build("bootfile: written\nHALL.STR: written\nGARDEN.STR: written\n");
}

// Every source's error is reported, the manifest's own first, and nothing is written; outputs
// may not be written over the title's sources.
TEST_F(BuildTest, BadSourcesAreAllReportedAndNothingIsWritten) {
  write("bad.lws", "code boot()\n\tx = \"open\nendcode\n");
  write("true.png", kTrueColourPng);
  picture("small.png", test::Shapes(64, 48));
  write("five.clut", "12345");
  write("bootfile", "code boot()\nendcode\n");
  const std::string badScript = file("bad.lws") +
                                ":2:6: error: text literal not closed on its line: add '\"'\n"
                                "\tx = \"open\n\t    ^\n";
  const std::string scratch = fs::path(file("bootfile")).parent_path().string();
  const std::string notOver = "expected an output that is none of the title's sources, but ";
  const std::string notIndexed = "expected an 8-bit indexed PNG of 512 x 384, not a ";
  // Changes to the manifest, and the problems reported, each after "MANIFEST: ".
  using Change = std::pair<std::string_view, std::string_view>;
  const struct {
    std::vector<Change> changes;
    std::vector<std::string> problems;
  } cases[] = {
      // Errors of several files are reported together.
      {{{"\"system.lws\"", "\"bad.lws\""},
        {"\"door.png\",", "\"five.clut\","},
        {"\"hall.lws\"", "\"none.lws\""},
        {"\"wall.png\"", "\"small.png\""},
        {"\"gate.png\"", "\"true.png\""}},
       {"$.system: " + badScript,
        "$.palette: expected an indexed PNG or a colour table: a colour table is 2056 bytes, not "
        "5\n",
        "$.stages[0].script: " + file("none.lws") + ": No such file or directory\n",
        "$.stages[0].flats[1].picture: " + notIndexed + "64 x 48 8-bit indexed PNG\n",
        "$.stages[1].flats[0].picture: " + notIndexed + "1 x 1 true-colour PNG\n"}},
      {{{"\"knob.lws\"", "\"bad.lws\", \"colour\": 1"}},
       {"$.stages[0].flats[0].buttons[0].colour: unknown key; expected one of name, rect, "
        "script\n",
        "$.stages[0].flats[0].buttons[0].script: " + badScript}},
      // A set's texture is checked as a stage picture is, but may be of any size to 1024.
      {{{"\"stages\": [", R"("sets": [{"file": "A.SCN", "name": "a", "map": ["#."],
           "legend": {"#": {"wall": "t"}, ".": {}}, "textures": {"t": "true.png"},
           "start": {"row": 0, "column": 1, "facing": "east"}}], "stages": [)"}},
       {"$.sets[0].textures.t: expected an 8-bit indexed PNG of 1..1024 x 1..1024, not a 1 x 1 "
        "true-colour PNG\n"}},
      {{{"\"system.lws\"", "\"bootfile\""}, {"\"GARDEN.STR\"", "\"wall.png\""}},
       {"$: " + notOver + scratch + "/bootfile is one\n",
        "$.stages[1].file: " + notOver + scratch + "/wall.png is one\n"}},
  };
  const std::string manifest = file("variant.json");
  for (const auto& c : cases) {
    std::string text(kManifest);
    for (const auto& [from, to] : c.changes) text.replace(text.find(from), from.size(), to);
    write("variant.json", text);
    std::string err;
    for (const std::string& problem : c.problems) err += manifest + ": " + problem;
    expect({"build", manifest, "-o", scratch}, 1, "", err);
    EXPECT_FALSE(fs::exists(file("HALL.STR"))) << err;
  }
  EXPECT_EQ(text("bootfile"), "code boot()\nendcode\n");
}

// Stage files whose header is cut short, or names a flat whose picture was never written.
TEST_F(BuildTest, InfoRefusesFilesThatDoNotHoldWhatTheyClaim) {
  StageHeader header;
  header.name = "lost";
  header.flats.push_back({.scriptId = 1, .pictureId = 99, .buttonRecordId = 1, .name = "f"});
  const std::pair<std::string, std::string_view> cases[] = {
      {write("short", std::string(10, '\0')),
       "record 0: stage header of 10 bytes, fewer than 2104"},
      {write("lost", WriteStageHeader(header)), "record 99: error 100"}};
  for (const auto& [record, err] : cases) {
    const std::string path = record + ".str";
    expect({"star", "new", path, "--type", "FLAT"}, 0, "");
    EXPECT_EQ(run({"star", "add", path, record}).status, 0);
    expect({"info", path}, 1, "", path + ": " + std::string(err) + "\n");
  }
}

// A set file of a header (record 0), a move table (1) and a star record (2) with a star alone and
// two joined ones; then the same file with a move count its table cannot hold.
TEST_F(BuildTest, InfoDescribesASetFile) {
  SetHeader header;
  header.moveCount = 2, header.check28 = 1, header.moveTableId = 1, header.starRecordId = 2;
  header.width = 6, header.height = 5, header.startColumn = 2, header.startRow = 1;
  header.startDirection = 3, header.scriptId = 4, header.name = "maze";
  header.scenes = {
      {.row = 1, .column = 2, .name = "hall"},
      {.row = 1, .column = 3, .building = true, .floor = 3, .name = "tower"},
      {.row = 2, .column = 2, .hasOwnScript = true, .floor = 1, .name = "yard", .scriptId = 9}};
  const MoveEntry moves[2] = {};
  const StarLink links[] = {{{}, "door", 0, {}, ""}, {{}, "a", 7, {}, "b"}};
  // The star file of those records at `name`.
  const auto make = [&](const std::string& name) {
    const std::string path = file(name);
    expect({"star", "new", path, "--type", "SCDO"}, 0, "");
    for (const auto& record :
         {WriteSetHeader(header), WriteMoveTable(moves), WriteStarRecord(links)})
      EXPECT_EQ(run({"star", "add", path, write("record", record)}).status, 0);
    return path;
  };
  const std::string path = make("MAZE.SET");
  expect({"info", path}, 0,
         path +
             ": set file (type SCDO, creator LWRT)\n"
             "set \"maze\": script 4, 6 x 5 cells, start row 1 column 2 facing east, 2 moves, "
             "3 scenes\n"
             "  scene \"hall\": row 1, column 2, floor 0\n"
             "  scene \"tower\": row 1, column 3, floor 3, building\n"
             "  scene \"yard\": row 2, column 2, floor 1, script 9\n"
             "  3 stars, 1 path\n");
  header.moveCount = 3;
  const std::string bad = make("BAD.SET");
  expect({"info", bad}, 1, "",
         bad + ": record 1: a move table of 56 bytes cannot hold its 3 moves\n");
}

}  // namespace
}  // namespace lw::titlekit
