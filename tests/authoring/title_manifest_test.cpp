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
      {R"({"system": 5, "palette": "", "casts": []})",
       "$.casts: unknown key; expected one of system, palette, stages\n"
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

}  // namespace
}  // namespace lw::authoring
