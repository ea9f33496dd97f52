#include "authoring/track_manifest.h"

#include <array>
#include <cstdint>
#include <limits>

#include "authoring/sound_manifest.h"
#include "objects/track_file.h"

namespace lw::authoring::manifest {
namespace {

constexpr int kMinStep = std::numeric_limits<std::int16_t>::min();
constexpr int kMaxStep = std::numeric_limits<std::int16_t>::max();

constexpr std::array<std::string_view, 5> kTrackKeys = {"file", "name", "sounds", "theme",
                                                        "sequence"};

// clang-format off
constexpr Field kTracksField   = {"tracks",   "an array of tracks"};
constexpr Field kSoundsField   = {"sounds",   "an array of at most 32767 sounds"};
constexpr Field kThemeField    = {"theme",    "an array of at most 32767 theme parts"};
constexpr Field kSequenceField = {"sequence", "an array of at most 64 theme part numbers, whole "
                                              "numbers -32768..32767"};
// clang-format on

std::vector<std::int16_t> ReadSequence(const Json& track, const std::string& where,
                                       Reading& reading) {
  const Json* steps = ReadArray(track, kSequenceField, where, reading);
  std::vector<std::int16_t> sequence;
  if (steps == nullptr) return sequence;
  if (steps->size() > kMaxThemeSequence) {
    Refuse(where, kSequenceField, reading);
    return sequence;
  }
  for (const Json& step : *steps) {
    const auto number = WholeNumber(step, kMinStep, kMaxStep);
    if (!number) {
      Refuse(where, kSequenceField, reading);
      return {};
    }
    sequence.push_back(static_cast<std::int16_t>(*number));
  }
  return sequence;
}

ManifestTrack ReadTrack(const Json& value, const std::string& where, Reading& reading) {
  ManifestTrack track;
  if (!CheckObject(value, where, "a track", kTrackKeys, reading)) return track;
  track.file = ReadOutputFileName(value, where, reading);
  track.name = ReadName(value, where, reading);
  std::vector<std::string> names;
  track.sounds = ReadSounds(value, kSoundsField, "sound", "a sound", where, names, reading);
  std::vector<std::string> partNames;
  track.themeParts =
      ReadSounds(value, kThemeField, "theme part", "a theme part", where, partNames, reading);
  track.sequence = ReadSequence(value, where, reading);
  return track;
}

}  // namespace

void ReadTracks(const Json& root, std::vector<ManifestTrack>& tracks,
                std::vector<std::string>& files, Reading& reading) {
  const Json* array = ReadArray(root, kTracksField, "$", reading);
  if (array == nullptr) return;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = "$.tracks[" + std::to_string(i) + "]";
    tracks.push_back(ReadTrack((*array)[i], path, reading));
    CheckOutput(tracks.back().file, path, files, reading);
  }
}

}  // namespace lw::authoring::manifest
