// Puppet files built from a manifest, read back through the puppet file readers: the header and
// the other fixed records as a table of fields, the lip-sync bands of sounds with known loud,
// quiet and silent stretches, the rectangles the frames change, and what `info` says of the file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "authoring/puppet_build.h"
#include "authoring/puppet_sources.h"
#include "built_library_file.h"
#include "objects/puppet_file.h"
#include "support/common_pictures.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

constexpr std::uint32_t kRate = 22050;
constexpr std::size_t kFrame = 735;  // samples of two ticks at 22050 Hz
constexpr double kHz = 300;          // ten whole periods a frame: each frame's RMS is exact

class PuppetBuildTest : public ::testing::Test {
 protected:
  PuppetBuildTest() {
    folder.writeFile("s.lws", "");
    picture("bg.png", test::Gradient(512, 264, 1));
    picture("m0.png", test::Picture(8, 4));
    picture("m1.png", test::Picture(8, 6));
    picture("m2.png", test::Picture(10, 8));
    picture("band.png", test::Gradient(512, 120, 2));
  }

  void picture(const std::string& name, const test::Picture& p) const {
    ASSERT_FALSE(WritePng((folder.path() / name).string(),
                          {p.width, p.height, p.pixels, test::DistinctColours()}));
  }

  // A 16-bit WAV at 22050 Hz of one frame of a 300 Hz sine per amplitude.
  void sound(const std::string& name, const std::vector<double>& amplitudes) const {
    std::vector<double> levels;
    for (const double a : amplitudes) levels.insert(levels.end(), kFrame, a);
    const auto samples = test::SampleSignal(kRate, 1, levels.size(), [&](double t, int) {
      const auto i = static_cast<std::size_t>(std::lround(t * kRate));
      return levels[std::min(i, levels.size() - 1)] * test::Sine(kHz, t);
    });
    const auto bytes = FormatWav({kRate, 1, kWavBits16, samples}).value();
    folder.writeFile(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }

  // The records of the first puppet file of `json`, or every error, one a line.
  Expected<Records, std::string> build(const std::string& json) const {
    const ManifestReading reading = ReadTitleManifest(json, folder.path());
    std::vector<ManifestError> errors = reading.errors;
    auto sources = LoadPuppetSources(reading.title.puppets, EmptyScript);
    if (!sources) errors.insert(errors.end(), sources.error().begin(), sources.error().end());
    if (errors.empty()) errors = CheckPuppetPictures(reading.title.puppets.at(0), *sources);
    std::string text;
    for (const ManifestError& e : errors) text += e.where + ": " + e.problem + "\n";
    if (!text.empty()) return Unexpected{text};
    return BuildPuppetRecords(reading.title.puppets.at(0), *sources, {});
  }

  test::TempFolder folder;
};

// A title whose one puppet file has the layers, rest and mouth above and `members` beside them.
std::string Title(const std::string& members) {
  return R"({"system": "s.lws", "puppets": [{"file": "TALK.PUP", "name": "Owl",
    "puppets": [{"name": "owl", "script": "s.lws"}, {"name": "crow"}],
    "layers": [[{"png": "bg.png"}],
               [{"png": "m0.png"}, {"png": "m1.png"}, {"png": "m2.png", "hot": [1, 2]}]],
    "rest": [{"layer": 0, "image": 0, "at": [0, 0]}],
    "mouth": {"layer": 1, "at": [100, 200], "images": [0, 1, 2]})" +
         members + "}]}";
}

const std::string kLines = R"(, "band": "band.png", "palette": "bg.png",
    "lines": [{"name": "hi", "audio": "talk.wav", "subtitle": "Hello there"},
              {"name": "quiet", "audio": "hush.wav", "rate": 11025}],
    "idle": [{"audio": "hush.wav", "shortest": 60, "longest": 120}],
    "player_lines": [{"name": "ask", "text": "Who are you?", "audio": "talk.wav"}])";

// The header, player lines, puppet list and layers as the readers give them, one field a line.
std::string FixedRecords(const Records& records) {
  const PuppetHeader h = ReadPuppetHeader(records.at(0)).value();
  std::string text = "player lines " + std::to_string(h.hasPlayerLines) + "\npicture " +
                     std::to_string(h.picture.top) + " " + std::to_string(h.picture.left) + " " +
                     std::to_string(h.picture.bottom) + " " + std::to_string(h.picture.right) +
                     "\ncolour 1 " + std::to_string(h.colours.entries[1].green) + "\nband " +
                     std::to_string(h.bandId) + "\nname " + h.name + "\nidle";
  for (std::size_t k = 0; k < kIdleLines; ++k)
    text += " " + std::to_string(h.shortest[k]) + ".." + std::to_string(h.longest[k]);
  for (const PuppetLine& line : h.lines) {
    text += "\nline " + line.name + ": " + std::to_string(line.frameCount) + " frames, sound " +
            std::to_string(line.soundId) + ", frames " + std::to_string(line.framesId) + ", \"" +
            line.subtitle + "\"";
  }
  const std::vector<PlayerLine> players = ReadPlayerLines(records.at(1)).value();
  for (const PlayerLine& line : players) {
    text += "\nplayer line " + line.name + ": sound " + std::to_string(line.soundId) + ", \"" +
            line.text + "\"";
  }
  const std::vector<PuppetEntry> puppets = ReadPuppetList(records.at(2)).value();
  for (const PuppetEntry& puppet : puppets)
    text += "\npuppet " + puppet.name + ": script " + std::to_string(puppet.scriptId);
  const PuppetLayers layers = ReadPuppetLayers(records.at(3)).value();
  for (std::size_t k = 0; k < layers.size(); ++k) {
    if (layers[k].empty()) continue;
    text += "\nlayer " + std::to_string(k) + ":";
    for (const std::uint32_t id : layers[k]) text += " " + std::to_string(id);
  }
  return text + "\n";
}

// Records: 4 and 5 the scripts (owl's, the empty one of crow), 6..9 the layer images, 10 the
// band, then each line's sound and frames; the player line shares the sound of "hi" (same file
// and rate) and the idle line gets its own at 22050 Hz. A line table ends the file.
TEST_F(PuppetBuildTest, FixedRecordsReadBackAsTheManifestGaveThem) {
  sound("talk.wav", {0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
  sound("hush.wav", {0, 0, 0});
  auto records = build(Title(kLines));
  ASSERT_TRUE(records) << records.error();
  EXPECT_EQ(records->size(), 18u);
  EXPECT_EQ(FixedRecords(*records),
            "player lines 1\n"
            "picture 0 0 264 512\n"
            "colour 1 1028\n"  // DistinctColours: green of index 1 is 4, stored as 4 x 257
            "band 10\n"
            "name Owl\n"
            "idle 60..120 0..0 0..0 0..0\n"
            "line hi: 9 frames, sound 11, frames 12, \"Hello there\"\n"
            "line quiet: 3 frames, sound 13, frames 14, \"*\"\n"
            "line idle 1: 3 frames, sound 15, frames 16, \"*\"\n"
            "player line ask: sound 11, \"Who are you?\"\n"
            "puppet owl: script 4\n"
            "puppet crow: script 5\n"
            "layer 0: 6\n"
            "layer 1: 7 8 9\n");
}

// Without player lines record 1 still holds a list, of none, and the header marks it unused;
// without a band, palette or title palette the band is 0 and the colours black.
TEST_F(PuppetBuildTest, AbsentPartsReadAsNone) {
  sound("hush.wav", {0});
  auto records = build(Title(R"(, "lines": [{"name": "a", "audio": "hush.wav"}])"));
  ASSERT_TRUE(records) << records.error();
  const std::string text = FixedRecords(*records);
  EXPECT_EQ(text.substr(0, text.find("line a")),
            "player lines 0\npicture 0 0 264 512\ncolour 1 0\nband 0\nname Owl\n"
            "idle 0..0 0..0 0..0 0..0\n");
  EXPECT_EQ(ReadPlayerLines(records->at(1)).value().size(), 0u);
}

// Lip-sync bands from loudness: silence (RMS under 2% of full scale) is band 0; a louder frame
// is 1 + floor(RMS / the line's loudest x 2), at most 2, with three mouth images.
TEST_F(PuppetBuildTest, BandsFollowTheLoudnessOfEachFrame) {
  const struct {
    std::vector<double> amplitudes;
    std::string bands;
  } cases[] = {
      {{0, 0.8, 0.8, 0.3, 0, 0.3, 0.8}, "0 2 2 1 0 1 2"},  // 0.3 / 0.8 = 0.375: band 1
      {{0.3, 0.3, 0.9, 0.3}, "1 1 2 1"},                   // 0.3 / 0.9: band 1
      {{0.3, 0.3}, "2 2"},                                 // its own loudest: band 2
      {{0.02, 0.02}, "0 0"},                               // RMS 0.014: silent
  };
  for (const auto& [amplitudes, expected] : cases) {
    sound("line.wav", amplitudes);
    auto records = build(Title(R"(, "lines": [{"name": "a", "audio": "line.wav"}])"));
    ASSERT_TRUE(records) << records.error();
    const PuppetLine line = ReadPuppetHeader(records->at(0)).value().lines.at(0);
    const auto frames = ReadLipSyncFrames(records->at(line.framesId), line.frameCount).value();
    std::string bands;
    for (const LipSyncFrame& frame : frames)
      bands += (bands.empty() ? "" : " ") + std::to_string(frame.layers[1].image);
    EXPECT_EQ(bands, expected);
  }
}

// Every frame shows the rest picture and the mouth image of its band at the mouth's point; it
// changes the whole picture first, then the union of the old and new mouth images' rectangles
// (m0 [100, 200, 104, 208], m1 [100, 200, 106, 208], m2 hot [1, 2]: [99, 198, 107, 208]) when the
// image changes, else nothing.
TEST_F(PuppetBuildTest, FramesChangeTheMouthRectangles) {
  sound("line.wav", {0, 0.8, 0.8, 0.3, 0, 0.3, 0.8});
  auto records = build(Title(R"(, "lines": [{"name": "a", "audio": "line.wav"}])"));
  ASSERT_TRUE(records) << records.error();
  const PuppetLine line = ReadPuppetHeader(records->at(0)).value().lines.at(0);
  std::string text;
  const auto frames = ReadLipSyncFrames(records->at(line.framesId), 7).value();
  for (const LipSyncFrame& f : frames) {
    text += std::to_string(f.changed.top) + " " + std::to_string(f.changed.left) + " " +
            std::to_string(f.changed.bottom) + " " + std::to_string(f.changed.right) + ":";
    for (const LayerPlacement& layer : f.layers) {
      if (layer.image >= 0)
        text += " " + std::to_string(layer.image) + "@" + std::to_string(layer.at.v) + "," +
                std::to_string(layer.at.h);
      else
        text += " -";
    }
    text += "\n";
  }
  EXPECT_EQ(text,
            "0 0 264 512: 0@0,0 0@100,200 - - - - - - - - -\n"
            "99 198 107 208: 0@0,0 2@100,200 - - - - - - - - -\n"
            "0 0 0 0: 0@0,0 2@100,200 - - - - - - - - -\n"
            "99 198 107 208: 0@0,0 1@100,200 - - - - - - - - -\n"
            "100 200 106 208: 0@0,0 0@100,200 - - - - - - - - -\n"
            "100 200 106 208: 0@0,0 1@100,200 - - - - - - - - -\n"
            "99 198 107 208: 0@0,0 2@100,200 - - - - - - - - -\n");
}

// Pictures and sounds that cannot be used, refused at the JSON paths that name them.
TEST_F(PuppetBuildTest, SourcesThatCannotBeUsedAreRefusedAtTheirPaths) {
  picture("wide.png", test::Picture(513, 4));
  picture("short.png", test::Picture(512, 119));
  folder.writeFile("junk.wav", "not a sound");
  const std::string dir = folder.path().string();
  const std::string p = "$.puppets[0]";
  const std::pair<std::string, std::string> cases[] = {
      {R"(, "band": "short.png", "lines": [{"name": "a", "audio": "junk.wav"}],
          "player_lines": [{"name": "b", "text": "", "audio": "none.wav"}])",
       p +
           ".band: expected an 8-bit indexed PNG of 512 x 120, not a 512 x 119 PNG of depth 8 "
           "and colour type 3\n" +
           p + ".lines[0].audio: " + dir + "/junk.wav: not a sound file: Format not recognised.\n" +
           p + ".player_lines[0].audio: " + dir + "/none.wav: No such file or directory\n"},
      {R"(, "band": "bg.png", "palette": "junk.wav")",
       p + ".palette: expected an indexed PNG or a colour table: " +
           "a colour table is 2056 bytes, not 11\n" + p +
           ".band: expected an 8-bit indexed PNG of 512 x 120, not a 512 x 264 PNG of depth 8 and "
           "colour type 3\n"},
  };
  for (const auto& [members, expected] : cases) {
    auto built = build(Title(members));
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error(), expected);
  }
  // The hot spots are checked once every picture could be read.
  auto wide = build(R"({"system": "s.lws", "puppets": [{"file": "T.PUP", "name": "t",
      "puppets": [{"name": "p"}], "layers": [[{"png": "wide.png"}, {"png": "m0.png"}]]}]})");
  ASSERT_FALSE(wide);
  EXPECT_EQ(wide.error(), p + ".layers[0][0].png: expected an 8-bit indexed PNG of 1..512 x "
                              "1..264, not a 513 x 4 PNG of depth 8 and colour type 3\n");
  auto hot = build(R"({"system": "s.lws", "puppets": [{"file": "T.PUP", "name": "t",
      "puppets": [{"name": "p"}],
      "layers": [[{"png": "m0.png", "hot": [4, 0]}, {"png": "m1.png", "hot": [0, 7]}]]}]})");
  ASSERT_FALSE(hot);
  EXPECT_EQ(hot.error(),
            p + ".layers[0][0].hot: expected a hot spot inside the picture of 8 x 4: row 0..3, "
                "column 0..7\n");
}

// The file titlekit writes, as `info` describes it.
TEST_F(PuppetBuildTest, InfoDescribesTheFile) {
  sound("talk.wav", {0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
  sound("hush.wav", {0, 0, 0});
  folder.writeFile("title.json", Title(kLines));
  const std::string path = (folder.path() / "out" / "TALK.PUP").string();
  EXPECT_EQ(BuiltFileInfo(folder.path(), "TALK.PUP"),
            path +
                ": puppet file (type PUPP, creator LWRT)\n"
                "puppet file \"Owl\": picture [0, 0, 264, 512], player lines, band 10, 3 lines\n"
                "  idle 1: every 60..120 ticks\n"
                "  layer 0: 1 image\n"
                "  layer 1: 3 images\n"
                "  puppet \"owl\": script 4\n"
                "  puppet \"crow\": script 5\n"
                "  line \"hi\": 9 frames, 0.30 s, sound 11, subtitle \"Hello there\"\n"
                "  line \"quiet\": 3 frames, 0.10 s, sound 13, no subtitle\n"
                "  line \"idle 1\": 3 frames, 0.10 s, sound 15, no subtitle\n"
                "  player line \"ask\": sound 11, \"Who are you?\"\n");
}

}  // namespace
}  // namespace lw::authoring
