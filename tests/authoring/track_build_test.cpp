// Track files built from a manifest: the header reads back through the track file reader, each
// sound decodes with the runtime's decoder to the tone that went in (at the record's rate), the
// star file holds them as type 'SONG' and `info` describes it; sound files that are missing,
// unreadable or cannot be converted are refused at their JSON paths.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/storage_stack.h"
#include "authoring/title_build.h"
#include "authoring/title_sources.h"
#include "authoring/track_build.h"
#include "built_library_file.h"
#include "media/sound_record.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

// A script loader for titles whose scripts do not matter here: each is the empty script.
class TrackBuildTest : public ::testing::Test {
 protected:
  TrackBuildTest() { folder.writeFile("s.lws", "on start\nend\n"); }

  // Writes a WAV file of a tone of `hz` at `amplitude`, `seconds` long.
  void writeTone(const std::string& name, std::uint32_t rate, std::uint16_t channels,
                 std::uint16_t bits, double hz, double amplitude, double seconds) const {
    const auto frames = static_cast<std::size_t>(rate * seconds);
    const PcmSound sound{
        rate, channels, bits,
        test::SampleSignal(
            rate, channels, frames, [=](double t, int) { return amplitude * test::Sine(hz, t); },
            bits == kWavBits8)};
    const auto bytes = FormatWav(sound).value();
    folder.writeFile(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }

  // The manifest `json` read and its sources loaded: the records of its first track, or the
  // errors, one a line.
  Expected<Records, std::string> build(const std::string& json) const {
    const ManifestReading reading = ReadTitleManifest(json, folder.path());
    std::string errors;
    for (const ManifestError& e : reading.errors) errors += e.where + ": " + e.problem + "\n";
    if (!errors.empty()) return Unexpected{errors};
    auto sources = LoadTitleSources(reading.title, EmptyScript);
    if (!sources) {
      for (const ManifestError& e : sources.error()) errors += e.where + ": " + e.problem + "\n";
      return Unexpected{errors};
    }
    return BuildTrackRecords(reading.title.tracks.at(0), *sources);
  }

  test::TempFolder folder;
};

// The samples the decoder should give for a tone at `rate`: 128 + 64 x the signal.
std::vector<double> ToneSamples(std::uint32_t rate, std::size_t count, double hz, double amp) {
  std::vector<double> samples;
  for (std::size_t i = 0; i < count; ++i)
    samples.push_back(128 + 64 * amp * test::Sine(hz, static_cast<double>(i) / rate));
  return samples;
}

constexpr char kHarbour[] = R"({"system": "s.lws", "tracks": [
  {"file": "HARBOUR.TRK", "name": "harbour",
   "sounds": [{"name": "gull", "audio": "gull.wav"},
              {"name": "bell", "audio": "bell.wav", "rate": 11025}],
   "theme": [{"name": "tune", "audio": "tune.wav", "rate": 44100}],
   "sequence": [1, 1, 0]}]})";

// Each sound decodes to the tone that went in at the rate asked (away from the ends, where the
// rate converter meets silence); the star file holds the track and `info` describes it.
TEST_F(TrackBuildTest, SoundsDecodeToTheirTonesAndInfoDescribesTheFile) {
  writeTone("gull.wav", 22050, 1, kWavBits16, 440, 0.5, 0.2);
  writeTone("bell.wav", 44100, 2, kWavBits16, 1000, 0.8, 0.2);
  writeTone("tune.wav", 11025, 1, kWavBits8, 300, 0.6, 0.2);
  auto records = build(kHarbour);
  ASSERT_TRUE(records) << records.error();
  ASSERT_EQ(records->size(), 4u);
  const std::tuple<std::uint32_t, double, double> tones[] = {
      {22050, 440, 0.5}, {11025, 1000, 0.8}, {44100, 300, 0.6}};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto [rate, hz, amplitude] = tones[i];
    auto decoded = DecodeSoundRecord(records->at(i + 1));
    ASSERT_TRUE(decoded) << i;
    const std::vector<double> ideal = ToneSamples(rate, decoded->size(), hz, amplitude);
    const std::size_t edge = rate / 50;
    const std::vector<double> middle(ideal.begin() + edge, ideal.end() - edge);
    const std::vector<double> got(decoded->begin() + edge, decoded->end() - edge);
    EXPECT_GT(test::SnrDb(middle, got, 128), 25.0) << i;
  }

  folder.writeFile("title.json", kHarbour);
  const std::string path = (folder.path() / "out" / "HARBOUR.TRK").string();
  EXPECT_EQ(BuiltFileInfo(folder.path(), "HARBOUR.TRK"),
            path +
                ": track file (type SONG, creator LWRT)\n"
                "track \"harbour\": 2 sounds, 1 theme part, sequence 1 1 0\n"
                "  sound \"gull\": record 1, 4410 samples at 22050 Hz, N bytes\n"
                "  sound \"bell\": record 2, 2205 samples at 11025 Hz, N bytes\n"
                "  theme part \"tune\": record 3, 8820 samples at 44100 Hz, N bytes\n");
}

// Sound files missing, unreadable or whose rate cannot be converted, refused at their paths.
TEST_F(TrackBuildTest, SoundFilesThatCannotBeUsedAreRefusedAtTheirPaths) {
  writeTone("gull.wav", 22050, 1, kWavBits16, 440, 0.5, 0.1);
  folder.writeFile("junk.wav", "this is text, not sound");
  writeTone("low.wav", 40, 1, kWavBits16, 5, 0.5, 1.0);  // 40 Hz is 1102 times below 44100
  const std::string dir = folder.path().string();
  const std::pair<std::string, std::string> cases[] = {
      {R"("sounds": [{"name": "a", "audio": "gull.wav"}, {"name": "b", "audio": "none.wav"}],
          "theme": [{"name": "c", "audio": "junk.wav"}])",
       "$.tracks[0].sounds[1].audio: " + dir + "/none.wav: No such file or directory\n" +
           "$.tracks[0].theme[0].audio: " + dir +
           "/junk.wav: not a sound file: Format not recognised.\n"},
      {R"("theme": [{"name": "c", "audio": "low.wav", "rate": 44100}])",
       "T.TRK: $.tracks[0].theme[0].audio: cannot convert the rate: "},
  };
  for (const auto& [members, error] : cases) {
    auto built = build(R"({"system": "s.lws", "tracks": [{"file": "T.TRK", "name": "t", )" +
                       members + "}]}");
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().substr(0, error.size()), error);
  }
}

}  // namespace
}  // namespace lw::authoring
