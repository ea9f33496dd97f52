#include "authoring/track_manifest.h"

#include <array>
#include <cstdint>
#include <limits>

#include "media/sound_record.h"
#include "objects/track_file.h"

namespace lw::authoring::manifest {
namespace {

constexpr int kMaxRate = 44100;
constexpr int kMinStep = std::numeric_limits<std::int16_t>::min();
constexpr int kMaxStep = std::numeric_limits<std::int16_t>::max();
// The header counts each kind in 16 bits, and every item is a record of the file.
constexpr std::size_t kMaxItems = std::numeric_limits<std::int16_t>::max();

constexpr std::array<std::string_view, 5> kTrackKeys = {"file", "name", "sounds", "theme",
                                                        "sequence"};
constexpr std::array<std::string_view, 3> kSoundKeys = {"name", "audio", "rate"};

// clang-format off
constexpr Field kTracksField   = {"tracks",   "an array of tracks"};
constexpr Field kSoundsField   = {"sounds",   "an array of at most 32767 sounds"};
constexpr Field kThemeField    = {"theme",    "an array of at most 32767 theme parts"};
constexpr Field kAudioField    = {"audio",    "a sound file name (text)", true};
constexpr Field kRateField     = {"rate",     "11025, 22050 or 44100"};
constexpr Field kSequenceField = {"sequence", "an array of at most 64 theme part numbers, whole "
                                              "numbers -32768..32767"};
// clang-format on

ManifestSound ReadSound(const Json& value, std::string_view what, const std::string& where,
                        Reading& reading) {
  ManifestSound sound;
  if (!CheckObject(value, where, what, kSoundKeys, reading)) return sound;
  sound.name = ReadName(value, where, reading);
  sound.audio = ReadFileName(value, kAudioField, where, reading);
  if (Member(value, kRateField, where, reading) == nullptr) return sound;
  const auto rate = ReadInteger(value, kRateField, 0, kMaxRate, where, reading);
  if (rate && FindSoundCodecByRate(static_cast<std::uint32_t>(*rate)) != nullptr) {
    sound.rate = static_cast<std::uint32_t>(*rate);
  } else if (rate) {
    Refuse(where, kRateField, reading);
  }
  return sound;
}

// The array `field` of sounds or theme parts; names must differ among them.
std::vector<ManifestSound> ReadSounds(const Json& track, const Field& field, std::string_view what,
                                      std::string_view aWhat, const std::string& where,
                                      Reading& reading) {
  std::vector<ManifestSound> sounds;
  const Json* array = ReadArray(track, field, where, reading);
  if (array == nullptr) return sounds;
  if (array->size() > kMaxItems) {
    Refuse(where, field, reading);
    return sounds;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = PathOf(where, field) + "[" + std::to_string(i) + "]";
    sounds.push_back(ReadSound((*array)[i], aWhat, path, reading));
    CheckUnique(sounds.back().name, names, path, what, reading);
  }
  return sounds;
}

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
  track.sounds = ReadSounds(value, kSoundsField, "sound", "a sound", where, reading);
  track.themeParts = ReadSounds(value, kThemeField, "theme part", "a theme part", where, reading);
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
