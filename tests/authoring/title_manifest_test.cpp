// The title manifest reader: a table of manifests, a good one with what it gives and bad ones,
// each with every error it must report (JSON path and what was expected there).
#include "authoring/title_manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "support/common_printers.h"

namespace lw::authoring {
namespace {

// The manifest as one line per object, file names as read (the folder is "in").
std::string Trace(const TitleManifest& title) {
  const auto file = [](const SourceFile& f) { return " " + (f.named() ? f.path.string() : "-"); };
  std::string text = "system" + file(title.system) + file(title.palette) + "\n";
  for (const ManifestStage& stage : title.stages) {
    text += "stage " + stage.file + " " + stage.name + file(stage.script) + "\n";
    for (const ManifestFlat& flat : stage.flats) {
      text += " flat " + flat.name + file(flat.script) + file(flat.picture) + "\n";
      for (const ManifestButton& b : flat.buttons)
        text += "  button " + b.name + " " + test::Print(b.rect) + file(b.script) + "\n";
    }
  }
  for (const ManifestSet& set : title.sets) {
    text += "set " + set.file + " " + set.name + file(set.script) + " " +
            std::to_string(set.map.rows) + "x" + std::to_string(set.map.columns) + " start " +
            std::to_string(set.map.startRow) + "," + std::to_string(set.map.startColumn) + "," +
            std::to_string(set.map.startDirection) + " camera " +
            std::to_string(set.cameraSetBack) + "," + std::to_string(set.cameraHeight) +
            " colours " + std::to_string(set.floorColour) + "," +
            std::to_string(set.ceilingColour) + "\n";
    for (const auto& [floor, script] : set.floors)
      text += " floor " + std::to_string(floor) + file(script) + "\n";
    for (const auto& [symbol, script] : set.cellScripts)
      text += " cell " + std::string(1, symbol) + file(script) + "\n";
    for (const auto& [name, texture] : set.textures)
      text += " texture " + name + file(texture) + "\n";
    for (const ManifestStar& star : set.stars) {
      text += " star " + star.name + " " + std::to_string(star.at[0]) + "," +
              std::to_string(star.at[1]) + "," + std::to_string(star.at[2]) + "\n";
    }
  }
  return text;
}

// The errors reading `json` gives, one a line, or the manifest read when there are none.
std::string Read(std::string_view json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text.empty() ? Trace(read.title) : text;
}

TEST(TitleManifestTest, ReadsStagesFlatsAndButtonsOrReportsEveryErrorWithItsPath) {
  constexpr std::string_view kRect =
      "expected [top, left, bottom, right]: four whole numbers with 0 <= top < bottom <= 384 and "
      "0 <= left < right <= 512\n";
  // Every button of the rectangle case has a bad rect; the seventh has none.
  std::string rects;
  for (char i = '0'; i < '8'; ++i) {
    rects += std::string("$.stages[0].flats[0].buttons[") + i +
             "].rect: " + (i == '6' ? "missing; " : "") + std::string(kRect);
  }
  const struct {
    std::string_view json;
    std::string errors;
  } cases[] = {
      {R"({
    "system": "sys.lws", "palette": "pal.clut",
    "stages": [
      {"file": "HALL.STR", "name": "Caf\u00e9", "script": "hall.lws", "flats": [
        {"name": "door", "picture": "door.png", "buttons": [
          {"name": "knob", "rect": [0, 0, 384, 512], "script": "k.lws"},
          {"name": "KNOB2", "rect": [10, 20, 30, 40]}]},
        {"name": "wall", "picture": "p/wall.png", "script": "wall.lws"}]},
      {"file": "garden", "name": "garden", "flats": [{"name": "gate", "picture": "g.png"}]}]})",
       "system in/sys.lws in/pal.clut\n"
       "stage HALL.STR Caf\x8E in/hall.lws\n"  // é is 0x8E in Mac Roman
       " flat door - in/door.png\n"
       "  button knob 0,0,384,512 in/k.lws\n"
       "  button KNOB2 10,20,30,40 -\n"
       " flat wall in/wall.lws in/p/wall.png\n"
       "stage garden garden -\n"
       " flat gate - in/g.png\n"},
      {"{",
       "$: expected JSON: parse error at line 1, column 2: syntax error while "
       "parsing object key - unexpected end of input; expected string literal\n"},
      {R"({"system": 1e999})", "$: expected JSON: number overflow parsing '1e999'\n"},
      {"[]", "$: expected a title (an object)\n"},
      {"{}", "$.system: missing; expected a script file name (text)\n"},
      {R"({"system": 5, "palette": "", "scenes": []})",
       "$.scenes: unknown key; expected one of name, volume, probe, captions, system, palette, "
       "stages, sets, casts, shops, tracks, movies, puppets\n"
       "$.system: expected a script file name (text)\n"
       "$.palette: expected a PNG or colour table file name (text)\n"},
      {R"({"system": "s", "stages": {}})", "$.stages: expected an array of stages\n"},
      {R"({"system": "s", "stages": [{"file": "HALLWAYS1.STR", "name": "", "flats": []}]})",
       "$.stages[0].file: expected an 8.3 file name such as HALL.STR (text)\n"
       "$.stages[0].name: expected a name of 1 to 15 characters (text), not 0\n"
       "$.stages[0].flats: expected an array of at least one flat\n"},
      {R"({"system": "s", "stages": [{"file": "A.STR", "name": "sixteen chars ok", "script": 1}]})",
       "$.stages[0].name: expected a name of 1 to 15 characters (text), not 16\n"
       "$.stages[0].script: expected a script file name (text)\n"
       "$.stages[0].flats: missing; expected an array of at least one flat\n"},
      {R"({"system": "s", "stages": [{"file": "A.STR", "name": "\u4e2d", "flats": [
          {"name": "a", "picture": "a.png"}, {"name": "b"}, {"name": "c", "picture": 3}]}]})",
       "$.stages[0].name: expected a name in Mac Roman characters: character U+4E2D has "
       "no Mac Roman form\n"
       "$.stages[0].flats[1].picture: missing; expected a PNG file name (text)\n"
       "$.stages[0].flats[2].picture: expected a PNG file name (text)\n"},
      {R"({"system": "s", "stages": [{"file": "A.STR", "name": "a", "flats": [
          {"name": "f", "picture": "a.png", "buttons": [
            {"name": "b1", "rect": [0, 0, 0, 10]}, {"name": "b2", "rect": [0, 0, 385, 10]},
            {"name": "b3", "rect": [0, 0, 1, 513]}, {"name": "b4", "rect": [0, 0, 1]},
            {"name": "b5", "rect": [0, 0, 1, 1.5]}, {"name": "b6", "rect": [-1, 0, 1, 1]},
            {"name": "b7"}, {"name": "b8", "rect": {"h": 1}}]}]}]})",
       rects},
      {R"({"system": "s", "stages": [
          {"file": "A.STR", "name": "a", "flats": [
            {"name": "Door", "picture": "a.png", "buttons": [
              {"name": "knob", "rect": [0, 0, 1, 1], "colour": 3},
              {"name": "KNOB", "rect": [0, 0, 1, 1]}, 7]},
            {"name": "dOOR", "picture": "b.png"}]},
          {"file": "a.str", "name": "b", "flats": [{"name": "x", "picture": "x.png"}]},
          {"file": "BOOTFILE", "name": "c", "flats": [{"name": "x", "picture": "x.png"}]}]})",
       "$.stages[0].flats[0].buttons[0].colour: unknown key; expected one of name, rect, "
       "script\n"
       "$.stages[0].flats[0].buttons[1].name: expected a name that no other button here "
       "has (names ignore case)\n"
       "$.stages[0].flats[0].buttons[2]: expected a button (an object)\n"
       "$.stages[0].flats[1].name: expected a name that no other flat here has (names "
       "ignore case)\n"
       "$.stages[1].file: expected a file name that no other output of the title has\n"
       "$.stages[2].file: expected a file name that no other output of the title has\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.json), c.errors) << c.json;
}

// A set's manifest entry, with `parts` spliced in: "MAP", "LEGEND", "START" and "MORE" stand for
// a good map, legend, start and nothing; the title's palette is "p.png" unless "NOPALETTE".
std::string SetManifest(std::string_view parts) {
  std::string json(R"({"system": "s", "palette": "p.png", "sets": [{"file": "A.SCN", "name": "a",
      "textures": {"stone": "s.png"}, "map": MAP, "legend": LEGEND, "start": START MORE}]})");
  const std::pair<std::string_view, std::string_view> defaults[] = {
      {"MAP", R"(["#.#", "#o#"])"},
      {"LEGEND", R"({"#": {"wall": "stone"}, ".": {}, "o": {"scene": "pond", "floor": 3}})"},
      {"START", R"({"row": 0, "column": 1, "facing": "south"})"},
      {"MORE", ""},
      {"NOPALETTE", ""}};
  for (const auto& [name, value] : defaults) {
    const std::size_t given = parts.find(std::string(name) + "=");
    const std::size_t end = parts.find(';', given);
    const std::string part =
        given == std::string_view::npos
            ? std::string(value)
            : std::string(parts.substr(given + name.size() + 1, end - given - name.size() - 1));
    if (name == "NOPALETTE" && given != std::string_view::npos) {
      json.replace(json.find(R"("palette": "p.png", )"), 20, "");
    } else if (name != "NOPALETTE") {
      json.replace(json.find(name), name.size(), part);
    }
  }
  return json;
}

TEST(TitleManifestTest, ReadsSetsAndReportsTheirErrorsWithTheirPaths) {
  const struct {
    std::string_view parts;
    std::string errors;
  } cases[] = {
      {R"(MORE=, "script": "set.lws", "floors": {"0": "f0.lws", "31": "f31.lws"},
          "camera": {"setback": 0, "height": 255}, "colours": {"floor": 7, "ceiling": 255},
          "stars": [{"name": "lamp", "at": [-32768, 0, 32767]}];
          LEGEND={"#": {"wall": "stone"}, ".": {"script": "dot.lws"}, "o": {"building": true}};)",
       "system in/s in/p.png\n"
       "set A.SCN a in/set.lws 2x3 start 0,1,64 camera 0,255 colours 7,255\n"
       " floor 0 in/f0.lws\n floor 31 in/f31.lws\n cell . in/dot.lws\n texture stone in/s.png\n"
       " star lamp -32768,0,32767\n"},
      // Defaults: camera 64 behind at 100, colours 0.
      {"",
       "system in/s in/p.png\nset A.SCN a - 2x3 start 0,1,64 camera 64,100 colours 0,0\n"
       " texture stone in/s.png\n"},
      {R"(START={"row": 0, "column": 1, "facing": "up"};)",
       "$.sets[0].start.facing: expected north, east, south or west (text)\n"},
      {R"(LEGEND={"#": {"wall": ""}, ".": {}, "o": {"wall": "marble"}};)",
       "$.sets[0].legend.#.wall: expected a texture name (text)\n"
       "$.sets[0].legend.o.wall: expected a texture that the set's textures name, not "
       "\"marble\"\n"},
      {R"(MAP=["#.#", "#x#"];)", "$.sets[0].map: row 1, column 1: 'x' is not in the legend\n"},
      {"NOPALETTE=;",
       "$.sets: expected a title palette ($.palette) beside sets: their shading is made from "
       "it\n"},
      {R"(MORE=, "floors": {"32": "f.lws", "1": 3}, "camera": {"setback": -1, "height": 0},
          "colours": {"floor": 256, "wall": 1}, "stars": [{"name": "s", "at": [0, 0]}],
          "paths": [{"from": "s", "to": "t", "via": [[1, 2]]}];
          LEGEND={"#": {"wall": "stone", "floor": 1}, "..": {}, "o": {"floor": 32,
          "building": 1}};)",
       "$.sets[0].floors.1: expected a script file name (text)\n"  // keys in sorted order
       "$.sets[0].floors.32: expected a floor number \"0\"..\"31\" as the key\n"
       "$.sets[0].legend.#.floor: unknown key; expected one of wall\n"
       "$.sets[0].legend...: expected a single character as the key\n"
       "$.sets[0].legend.o.floor: expected a floor number 0..31\n"
       "$.sets[0].legend.o.building: expected true or false\n"
       "$.sets[0].camera.setback: expected a whole number 0..1024\n"
       "$.sets[0].camera.height: expected a whole number 1..255\n"
       "$.sets[0].colours.wall: unknown key; expected one of floor, ceiling\n"
       "$.sets[0].colours.floor: expected a palette index 0..255\n"
       "$.sets[0].stars[0].at: expected [x, y, z]: three whole numbers -32768..32767\n"
       "$.sets[0].paths[0].to: expected the name of a star of the set (text)\n"
       "$.sets[0].paths[0].via[0]: expected [x, y, z]: three whole numbers -32768..32767\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(SetManifest(c.parts)), c.errors) << c.parts;
}

}  // namespace
}  // namespace lw::authoring
