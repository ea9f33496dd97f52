// Track files built from a manifest: each sound decodes with the runtime's decoder to the tone
// that went in (at the record's rate), the star file holds them as type 'SONG' and `info`
// describes it; a sound whose rate cannot be converted is refused at its JSON path (the
// reading of sound files, and its errors, is in audio_file_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/track_build.h"
#include "built_library_file.h"
#include "media/sound_record.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

// A tone: its file, format, frequency, amplitude and the rate the manifest asks for.
struct Tone {
  const char* file;
  std::uint32_t rate;
  std::uint16_t channels, bits;
  double hz, amplitude;
  std::uint32_t recordRate;
};
constexpr Tone kTones[] = {{"gull.wav", 22050, 1, kWavBits16, 440, 0.5, 22050},
                           {"bell.wav", 44100, 2, kWavBits16, 1000, 0.8, 11025},
                           {"tune.wav", 11025, 1, kWavBits8, 300, 0.6, 44100},
                           {"low.wav", 40, 1, kWavBits16, 5, 0.5, 0}};  // 1102 times below 44100

// Builds the track of `members` (the file T.TRK) from the tones written for 0.2 seconds: its
// records, or the errors one a line.
Expected<Records, std::string> Build(const test::TempFolder& folder, const std::string& members) {
  for (const Tone& t : kTones) {
    const auto frames = static_cast<std::size_t>(t.rate / 5);
    const auto wave = [&](double s, int) { return t.amplitude * test::Sine(t.hz, s); };
    const PcmSound sound{t.rate, t.channels, t.bits,
                         test::SampleSignal(t.rate, t.channels, frames, wave, t.bits == kWavBits8)};
    const auto bytes = FormatWav(sound).value();
    folder.writeFile(t.file, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }
  folder.writeFile("s.lws", "on start\nend\n");
  const std::string json =
      R"({"system": "s.lws", "tracks": [{"file": "T.TRK", "name": "t", )" + members + "}]}";
  folder.writeFile("title.json", json);
  const ManifestReading reading = ReadTitleManifest(json, folder.path());
  std::string errors;
  for (const ManifestError& e : reading.errors) errors += e.where + ": " + e.problem + "\n";
  auto sources = LoadTitleSources(reading.title, EmptyScript);
  for (const ManifestError& e : sources ? std::vector<ManifestError>{} : sources.error())
    errors += e.where + ": " + e.problem + "\n";
  if (!errors.empty()) return Unexpected{errors};
  return BuildTrackRecords(reading.title.tracks.at(0), *sources);
}

// Each sound decodes to its tone at the rate asked, 128 + 64 x the signal (away from the ends,
// where the rate converter meets silence); the star file holds the track and `info` describes it.
TEST(TrackBuildTest, SoundsDecodeToTheirTonesAndInfoDescribesTheFile) {
  const test::TempFolder folder;
  auto records = Build(folder, R"("sounds": [{"name": "gull", "audio": "gull.wav"},
              {"name": "bell", "audio": "bell.wav", "rate": 11025}],
   "theme": [{"name": "tune", "audio": "tune.wav", "rate": 44100}], "sequence": [1, 1, 0])");
  ASSERT_TRUE(records) << records.error();
  ASSERT_EQ(records->size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    const Tone& t = kTones[i];
    auto decoded = DecodeSoundRecord(records->at(i + 1));
    ASSERT_TRUE(decoded) << i;
    std::vector<double> ideal, got;
    for (std::size_t at = t.recordRate / 50; at + t.recordRate / 50 < decoded->size(); ++at) {
      ideal.push_back(128 + 64 * t.amplitude * test::Sine(t.hz, double(at) / t.recordRate));
      got.push_back((*decoded)[at]);
    }
    EXPECT_GT(test::SnrDb(ideal, got, 128), 25.0) << i;
  }
  EXPECT_EQ(BuiltFileInfo(folder.path(), "T.TRK"),
            (folder.path() / "out" / "T.TRK").string() +
                ": track file (type SONG, creator LWRT)\n"
                "track \"t\": 2 sounds, 1 theme part, sequence 1 1 0\n"
                "  sound \"gull\": record 1, 4410 samples at 22050 Hz, N bytes\n"
                "  sound \"bell\": record 2, 2205 samples at 11025 Hz, N bytes\n"
                "  theme part \"tune\": record 3, 8820 samples at 44100 Hz, N bytes\n");
}

// A sound whose rate cannot be converted is refused at its JSON path, under the file's name.
TEST(TrackBuildTest, SoundsThatCannotBeConvertedAreRefusedAtTheirPaths) {
  const test::TempFolder folder;
  auto built = Build(folder, R"("theme": [{"name": "c", "audio": "low.wav", "rate": 44100}])");
  ASSERT_FALSE(built);
  EXPECT_EQ(built.error().substr(0, 60),
            "T.TRK: $.tracks[0].theme[0].audio: cannot convert the rate: ");
}

}  // namespace
}  // namespace lw::authoring
