// The tracks of the title manifest: a table of manifests with the errors each must report at its
// JSON path. Track files built from a manifest of WAV, FLAC and Ogg/Vorbis sounds (written here
// by libsndfile): each record decodes with the runtime's decoder to the tone that went in, at the
// rate asked or 22050 Hz, with no alias of a tone above the record's Nyquist frequency; the star
// file holds them as type 'SONG' and `info` describes it; a sound whose rate cannot be converted
// is refused at its JSON path.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>
#include <vector>

#include "authoring/track_build.h"
#include "built_library_file.h"
#include "media/sound_record.h"
#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

// The errors of `json`, one a line.
std::string Read(const std::string& json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text;
}

// A title with one track whose members are `members`.
std::string Track(const std::string& members) {
  return R"({"system": "s", "tracks": [{"file": "T.TRK", "name": "t", )" + members + "}]}";
}

// Each manifest with every error at its JSON path, none for one that is right (the checks every
// part of the manifest shares, such as missing keys, unknown keys and file names that two outputs
// claim, are in title_manifest_test.cpp).
TEST(TrackManifestTest, TracksOrTheirErrors) {
  const std::string sound = R"({"name": "a", "audio": "a.wav"})";
  // 64 steps fit the header; 65 do not.
  std::string steps = "1";
  for (int i = 1; i < 64; ++i) steps += ", 1";
  const std::string tooMany =
      "$.tracks[0].sequence: expected an array of at most 64 theme part numbers, whole numbers "
      "-32768..32767\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Track(R"("sounds": [{"name": "a", "audio": "a.wav", "rate": 8000}])"),
       "$.tracks[0].sounds[0].rate: expected 11025, 22050 or 44100\n"},
      {Track(R"("sounds": [)" + sound + ", " + R"({"name": "A", "audio": "b.wav"}])"),
       "$.tracks[0].sounds[1].name: expected a name that no other sound here has (names ignore "
       "case)\n"},
      {Track(R"("theme": [{"name": "sixteen letters!", "audio": "a.wav"}])"),
       "$.tracks[0].theme[0].name: expected a name of 1 to 15 characters (text), not 16\n"},
      {Track(R"("sequence": [1, 2.5])"), tooMany},
      {Track(R"("sequence": [)" + steps + "]"), ""},
      {Track(R"("sequence": [)" + steps + ", 1]"), tooMany},
  };
  for (const auto& [json, errors] : cases) EXPECT_EQ(Read(json), errors) << json;
}

// A tone: its file and libsndfile format, rate, channels, frequency, amplitude and the amplitude
// heard in its record (0 for one the record's rate cannot hold).
struct Tone {
  const char* file;
  int format;
  int rate, channels;
  double hz, amplitude;
  double heard;
};
constexpr Tone kTones[] = {
    {"gull.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 440, 0.5, 0.5},
    {"bell.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 1000, 0.8, 0.8},
    {"tune.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 32000, 1, 300, 0.6, 0.6},
    {"hiss.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 44100, 1, 9000, 0.9, 0},
    {"low.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 40, 1, 5, 0.5, 0}};  // 1102 x below

// Writes the tones for 0.2 seconds and builds the track of `members` (the file T.TRK): its
// records, or the error.
Expected<Records, std::string> Build(const test::TempFolder& folder, const std::string& members) {
  for (const Tone& t : kTones) {
    SF_INFO info{};
    info.samplerate = t.rate, info.channels = t.channels, info.format = t.format;
    const std::vector<std::int16_t> samples =
        test::SampleSignal(t.rate, t.channels, t.rate / 5,
                           [&](double s, int) { return t.amplitude * test::Sine(t.hz, s); });
    SNDFILE* file = sf_open((folder.path() / t.file).c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_short(file, samples.data(), t.rate / 5);
    sf_close(file);
  }
  folder.writeFile("s", "on start\nend\n");
  const std::string json = Track(members);
  folder.writeFile("title.json", json);
  const ManifestReading reading = ReadTitleManifest(json, folder.path());
  EXPECT_EQ(Read(json), "");
  return BuildTrackRecords(reading.title.tracks.at(0),
                           LoadTitleSources(reading.title, EmptyScript).value());
}

// Each record decodes to 128 + 64 x its heard tone (away from the ends, where the rate converter
// meets silence) within a mean squared error of 2, in little more than a byte a sample, or half a
// byte at 44100 Hz, where the samples lie close enough together for deltas.
TEST(TrackBuildTest, SoundsDecodeToTheirTonesAndInfoDescribesTheFile) {
  const test::TempFolder folder;
  auto records = Build(folder, R"("sounds": [{"name": "gull", "audio": "gull.wav"},
      {"name": "bell", "audio": "bell.flac", "rate": 11025},
      {"name": "hiss", "audio": "hiss.wav", "rate": 11025}],
   "theme": [{"name": "tune", "audio": "tune.ogg", "rate": 44100}],
   "sequence": [1, 1, 0, -32768, 32767])");
  ASSERT_TRUE(records) << records.error();
  ASSERT_EQ(records->size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) {
    const Tone& t = kTones[i == 2 ? 3 : i == 3 ? 2 : i];
    const auto& record = records->at(i + 1);
    auto decoded = DecodeSoundRecord(record);
    ASSERT_TRUE(decoded) << t.file;
    const double rate = static_cast<double>(decoded->size()) * 5;
    double error = 0;
    const std::size_t edge = decoded->size() / 10;
    for (std::size_t at = edge; at + edge < decoded->size(); ++at) {
      const double ideal = 128 + 64 * t.heard * test::Sine(t.hz, static_cast<double>(at) / rate);
      error += ((*decoded)[at] - ideal) * ((*decoded)[at] - ideal);
    }
    EXPECT_LT(error / static_cast<double>(decoded->size() - 2 * edge), 2.0) << t.file;
    EXPECT_LT(static_cast<double>(record.size()) / rate * 5, rate == 44100 ? 0.6 : 1.1);
  }
  EXPECT_EQ(BuiltFileInfo(folder.path(), "T.TRK"),
            (folder.path() / "out" / "T.TRK").string() +
                ": track file (type SONG, creator LWRT)\n"
                "track \"t\": 3 sounds, 1 theme part, sequence 1 1 0 -32768 32767\n"
                "  sound \"gull\": record 1, 4410 samples at 22050 Hz, N bytes\n"
                "  sound \"bell\": record 2, 2205 samples at 11025 Hz, N bytes\n"
                "  sound \"hiss\": record 3, 2205 samples at 11025 Hz, N bytes\n"
                "  theme part \"tune\": record 4, 8820 samples at 44100 Hz, N bytes\n");
  auto built = Build(folder, R"("theme": [{"name": "c", "audio": "low.wav", "rate": 44100}])");
  ASSERT_FALSE(built);
  EXPECT_EQ(built.error().substr(0, 60),
            "T.TRK: $.tracks[0].theme[0].audio: cannot convert the rate: ");
}

}  // namespace
}  // namespace lw::authoring
