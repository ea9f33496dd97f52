// The tracks of the title manifest: one table of manifests, each with the tracks it gives or
// every error it must report at its JSON path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/title_manifest.h"

namespace lw::authoring {
namespace {

std::string Trace(const std::vector<ManifestTrack>& tracks) {
  std::string text;
  const auto items = [&text](const char* what, const std::vector<ManifestSound>& sounds) {
    for (const ManifestSound& s : sounds)
      text += std::string(" ") + what + " " + s.name + " " + s.audio.path.string() + " " +
              std::to_string(s.rate) + " at " + s.audio.where + "\n";
  };
  for (const ManifestTrack& track : tracks) {
    text += "track " + track.file + " " + track.name + " sequence";
    for (const std::int16_t step : track.sequence) text += " " + std::to_string(step);
    text += "\n";
    items("sound", track.sounds);
    items("part", track.themeParts);
  }
  return text;
}

// The errors of `json`, one a line, or its tracks when it has none.
std::string Read(const std::string& json) {
  const ManifestReading read = ReadTitleManifest(json, "in");
  std::string text;
  for (const ManifestError& error : read.errors) text += error.where + ": " + error.problem + "\n";
  return text.empty() ? Trace(read.title.tracks) : text;
}

// A title with one track whose members are `members`.
std::string Track(const std::string& members) {
  return R"({"system": "s", "tracks": [{"file": "T.TRK", "name": "t", )" + members + "}]}";
}

// Each manifest with the tracks it gives, defaults included, or every error at its JSON path
// (the checks every part of the manifest shares, such as missing keys and file names that two
// outputs claim, are in title_manifest_test.cpp).
TEST(TrackManifestTest, TracksOrTheirErrors) {
  const std::string sound = R"({"name": "a", "audio": "a.wav"})";
  // 64 steps fit the header; 65 do not.
  std::string steps = "1", read64 = "track T.TRK t sequence 1";
  for (int i = 1; i < 64; ++i) steps += ", 1", read64 += " 1";
  const std::string tooMany =
      "$.tracks[0].sequence: expected an array of at most 64 theme part numbers, whole numbers "
      "-32768..32767\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"system": "s", "tracks": [
        {"file": "HARBOUR.TRK", "name": "harbour",
         "sounds": [{"name": "gull", "audio": "gull.wav"},
                    {"name": "bell", "audio": "bell.flac", "rate": 11025}],
         "theme": [{"name": "tune", "audio": "tune.ogg", "rate": 44100}],
         "sequence": [1, 1, 0, -32768, 32767]},
        {"file": "QUIET.TRK", "name": "quiet"}]})",
       "track HARBOUR.TRK harbour sequence 1 1 0 -32768 32767\n"
       " sound gull in/gull.wav 22050 at $.tracks[0].sounds[0].audio\n"
       " sound bell in/bell.flac 11025 at $.tracks[0].sounds[1].audio\n"
       " part tune in/tune.ogg 44100 at $.tracks[0].theme[0].audio\n"
       "track QUIET.TRK quiet sequence\n"},
      {R"({"system": "s", "tracks": {}})", "$.tracks: expected an array of tracks\n"},
      {Track(R"("songs": [])"),
       "$.tracks[0].songs: unknown key; expected one of file, name, sounds, theme, sequence\n"},
      {Track(R"("sounds": [{"name": "a"}])"),
       "$.tracks[0].sounds[0].audio: missing; expected a sound file name (text)\n"},
      {Track(R"("sounds": [{"name": "a", "audio": "a.wav", "rate": 8000},
                           {"name": "b", "audio": "a.wav", "rate": "fast"},
                           {"name": "c", "audio": "a.wav", "rate": 22050.5}])"),
       "$.tracks[0].sounds[0].rate: expected 11025, 22050 or 44100\n"
       "$.tracks[0].sounds[1].rate: expected 11025, 22050 or 44100\n"
       "$.tracks[0].sounds[2].rate: expected 11025, 22050 or 44100\n"},
      {Track(R"("sounds": [)" + sound + ", " + R"({"name": "A", "audio": "b.wav"}])"),
       "$.tracks[0].sounds[1].name: expected a name that no other sound here has (names ignore "
       "case)\n"},
      // A sound and a theme part may share a name: they are told apart by kind.
      {Track(R"("sounds": [)" + sound + R"(], "theme": [)" + sound + ", " + sound + "]"),
       "$.tracks[0].theme[1].name: expected a name that no other theme part here has (names "
       "ignore case)\n"},
      {Track(R"("theme": [{"name": "a", "audio": "a.wav", "loop": true}])"),
       "$.tracks[0].theme[0].loop: unknown key; expected one of name, audio, rate\n"},
      {Track(R"("theme": [{"name": "sixteen letters!", "audio": "a.wav"}])"),
       "$.tracks[0].theme[0].name: expected a name of 1 to 15 characters (text), not 16\n"},
      {Track(R"("sounds": "a.wav")"),
       "$.tracks[0].sounds: expected an array of at most 32767 sounds\n"},
      {Track(R"("sequence": [1, 2.5])"), tooMany},
      {Track(R"("sequence": [32768])"), tooMany},
      {Track(R"("sequence": [)" + steps + "]"), read64 + "\n"},
      {Track(R"("sequence": [)" + steps + ", 1]"), tooMany},
  };
  for (const auto& [json, errors] : cases) EXPECT_EQ(Read(json), errors) << json;
}

}  // namespace
}  // namespace lw::authoring
