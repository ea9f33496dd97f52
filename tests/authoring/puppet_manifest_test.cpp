// The puppet files of the title manifest: one table of manifests, each with the puppet file it
// gives or every error it must report at its JSON path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/title_manifest.h"

namespace lw::authoring {
namespace {

std::string Trace(const std::vector<ManifestPuppetFile>& files) {
  std::string text;
  for (const ManifestPuppetFile& f : files) {
    text += "file " + f.file + " " + f.name + ", palette " + f.palette.path.string() + ", band " +
            f.band.path.string() + "\n";
    for (const ManifestPuppet& p : f.puppets)
      text += " puppet " + p.name + " " + p.script.path.string() + "\n";
    for (std::size_t k = 0; k < f.layers.size(); ++k) {
      for (const ManifestLayerImage& image : f.layers[k]) {
        text += " layer " + std::to_string(k) + " " + image.png.path.string() + " hot " +
                std::to_string(image.hot.v) + "," + std::to_string(image.hot.h) + " transparent " +
                (image.transparent ? std::to_string(*image.transparent) : "none") + "\n";
      }
    }
    for (const ManifestPlacement& p : f.rest)
      text += " rest " + std::to_string(p.layer) + "/" + std::to_string(p.image) + " at " +
              std::to_string(p.at.v) + "," + std::to_string(p.at.h) + "\n";
    if (f.mouth) {
      text += " mouth " + std::to_string(f.mouth->layer) + " at " + std::to_string(f.mouth->at.v) +
              "," + std::to_string(f.mouth->at.h) + " images";
      for (const std::size_t image : f.mouth->images) text += " " + std::to_string(image);
      text += "\n";
    }
    for (const ManifestPuppetLine& l : f.lines)
      text += " line " + l.sound.name + " " + l.sound.audio.path.string() + " " +
              std::to_string(l.sound.rate) + " \"" + l.text + "\" " + std::to_string(l.shortest) +
              ".." + std::to_string(l.longest) + "\n";
    text += " idle lines " + std::to_string(f.idleLines) + "\n";
    for (const ManifestPuppetLine& l : f.playerLines)
      text +=
          " player " + l.sound.name + " " + l.sound.audio.path.string() + " \"" + l.text + "\"\n";
  }
  return text;
}

// The errors of `json`, one a line, or its puppet files when it has none.
std::string Read(const std::string& json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text.empty() ? Trace(read.title.puppets) : text;
}

// A title with one puppet file: one puppet, two layers of one and three images, and `members`.
std::string Puppets(const std::string& members) {
  return R"({"system": "s", "puppets": [{"file": "T.PUP", "name": "t",
    "puppets": [{"name": "p"}],
    "layers": [[{"png": "bg.png"}], [{"png": "a.png"}, {"png": "b.png"}, {"png": "c.png"}]])" +
         members + "}]}";
}

TEST(PuppetManifestTest, PuppetFilesOrTheirErrors) {
  const std::string p = "$.puppets[0]";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"system": "s", "puppets": [{"file": "TALK.PUP", "name": "Owl",
          "puppets": [{"name": "owl", "script": "owl.lws"}, {"name": "crow"}],
          "palette": "pal.png", "band": "band.png",
          "layers": [[{"png": "bg.png"}],
                     [{"png": "m.png", "hot": [2, 3], "transparent": 9}, {"png": "n.png"}]],
          "rest": [{"layer": 0, "image": 0, "at": [0, 0]}, {"layer": 1, "image": 1, "at": [-5, 7]}],
          "mouth": {"layer": 1, "at": [100, 200], "images": [1, 0, 0]},
          "lines": [{"name": "hi", "audio": "hi.wav", "subtitle": "Caf\u00e9!", "rate": 11025},
                    {"name": "bye", "audio": "bye.wav", "subtitle": ""}],
          "idle": [{"audio": "hum.wav", "shortest": 60, "longest": 60},
                   {"audio": "hum.wav", "subtitle": "Hmm", "shortest": 0, "longest": 9}],
          "player_lines": [{"name": "ask", "text": "Who?", "audio": "ask.wav"}]}]})",
       "file TALK.PUP Owl, palette in/pal.png, band in/band.png\n"
       " puppet owl in/owl.lws\n"
       " puppet crow \n"
       " layer 0 in/bg.png hot 0,0 transparent none\n"
       " layer 1 in/m.png hot 2,3 transparent 9\n"
       " layer 1 in/n.png hot 0,0 transparent 0\n"
       " rest 0/0 at 0,0\n"
       " rest 1/1 at -5,7\n"
       " mouth 1 at 100,200 images 1 0 0\n"
       " line hi in/hi.wav 11025 \"Caf\x8E!\" 0..0\n"
       " line bye in/bye.wav 22050 \"\" 0..0\n"
       " line idle 1 in/hum.wav 22050 \"*\" 60..60\n"
       " line idle 2 in/hum.wav 22050 \"Hmm\" 0..9\n"
       " idle lines 2\n"
       " player ask in/ask.wav \"Who?\"\n"},
      {R"({"system": "s", "puppets": [{"name": "", "puppets": [], "layers": [[], [], [], [], [], [],
          [], [], [], [], [], []], "colour": 1}]})",
       p +
           ".colour: unknown key; expected one of file, name, puppets, palette, layers, rest, "
           "mouth, band, lines, idle, player_lines\n" +
           p + ".file: missing; expected an 8.3 file name such as HALL.STR (text)\n" + p +
           ".name: expected a name of 1 to 15 characters (text), not 0\n" + p +
           ".puppets: expected an array of at least one puppet\n" + p +
           ".layers: expected an array of at most 11 layers\n"},
      {Puppets(R"(, "rest": [{"layer": 2, "image": 0, "at": [0, 0]},
                             {"layer": 1, "image": 3, "at": [0, 0]},
                             {"layer": 0, "image": 0, "at": [0]},
                             {"layer": 1, "image": 0, "at": [1, 1]},
                             {"layer": 1, "image": 2, "at": [1, 1]}])"),
       p + ".rest[0].layer: expected the number of one of the puppet's layers (0..1)\n" + p +
           ".rest[1].image: expected the number of one of the layer's images (0..2)\n" + p +
           ".rest[2].at: expected [v, h]: two whole numbers -32768..32767\n" + p +
           ".rest[4].layer: expected a layer that no other entry of the rest places\n"},
      {Puppets(R"(, "mouth": {"layer": 1, "at": [0, 40000], "images": [0]})"),
       p + ".mouth.at: expected [v, h]: two whole numbers -32768..32767\n"},
      {Puppets(R"(, "mouth": {"layer": 1, "at": [0, 0], "images": [0, 3]})"),
       p + ".mouth.images: expected an array of at least one number of an image of the mouth's "
           "layer (0..2)\n"},
      {Puppets(R"(, "mouth": {"layer": 1, "at": [0, 0], "images": []}, "band": 5)"),
       p +
           ".mouth.images: expected an array of at least one number of an image of the mouth's "
           "layer\n" +
           p + ".band: expected a PNG file name (text)\n"},
      {R"({"system": "s", "puppets": [{"file": "T.PUP", "name": "t", "puppets": [{"name": "p"}],
          "layers": [[{"png": "a.png", "hot": [-1, 0], "transparent": 256, "at": 1}], [{}],
                     {"png": "x.png"}]}]})",
       p + ".layers[0][0].at: unknown key; expected one of png, hot, transparent\n" + p +
           ".layers[0][0].hot: expected [row, column]: two whole numbers 0..32767\n" + p +
           ".layers[0][0].transparent: expected a palette index 0..255\n" + p +
           ".layers[1][0].png: missing; expected a PNG file name (text)\n" + p +
           ".layers[2]: expected a layer: an array of at most 32 images\n"},
      {Puppets(R"(, "lines": [{"name": "a", "audio": "a.wav", "rate": 8000},
                              {"name": "A", "audio": "b.wav", "subtitle": 3},
                              {"name": "b", "subtitle": "\u4e2d"}])"),
       p + ".lines[0].rate: expected 11025, 22050 or 44100\n" + p +
           ".lines[1].subtitle: expected a text of 0 to 255 characters\n" + p +
           ".lines[1].name: expected a name that no other line here has (names ignore case)\n" + p +
           ".lines[2].audio: missing; expected a sound file name (text)\n" + p +
           ".lines[2].subtitle: expected a text in Mac Roman characters: character U+4E2D has "
           "no Mac Roman form\n"},
      {Puppets(R"(, "idle": [{"audio": "a.wav", "shortest": 10, "longest": 9},
                             {"audio": "a.wav", "longest": 9, "rate": 11025}])"),
       p + ".idle[0].longest: expected a whole number of ticks, shortest..2147483647\n" + p +
           ".idle[1].rate: unknown key; expected one of audio, subtitle, shortest, longest\n" + p +
           ".idle[1].shortest: missing; expected a whole number of ticks 0..2147483647\n"},
      {Puppets(R"(, "idle": [{}, {}, {}, {}, {}])"),
       p + ".idle: expected an array of at most 4 idle lines\n"},
      {Puppets(R"(, "lines": [{"name": "idle 1", "audio": "a.wav"}],
                    "idle": [{"audio": "a.wav", "shortest": 1, "longest": 2}])"),
       p + ".idle[0].name: expected a name that no other line here has (names ignore case)\n"},
      {Puppets(R"(, "player_lines": [{"name": "a", "audio": "a.wav"},
                                     {"name": "a", "text": "x", "audio": "b.wav"}])"),
       p + ".player_lines[0].text: missing; expected a text of 0 to 255 characters\n" + p +
           ".player_lines[1].name: expected a name that no other player line here has (names "
           "ignore case)\n"},
      {Puppets(", \"lines\": [{\"name\": \"a\", \"audio\": \"a.wav\", \"subtitle\": \"" +
               std::string(256, 'x') + "\"}]"),
       p + ".lines[0].subtitle: expected a text of 0 to 255 characters, not 256\n"},
  };
  for (const auto& [json, expected] : cases) EXPECT_EQ(Read(json), expected) << json;
}

}  // namespace
}  // namespace lw::authoring
