#include "authoring/sound_manifest.h"

#include <array>
#include <cstdint>
#include <limits>

#include "media/sound_record.h"

namespace lw::authoring::manifest {
namespace {

constexpr int kMaxRate = 44100;
// A file counts each kind in 16 bits, and every item is a record of the file.
constexpr std::size_t kMaxItems = std::numeric_limits<std::int16_t>::max();
constexpr std::array<std::string_view, 3> kSoundKeys = {"name", "audio", "rate"};
constexpr Field kAudioField = {"audio", "a sound file name (text)", true};
constexpr Field kRateField = {"rate", "11025, 22050 or 44100"};

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

}  // namespace

std::vector<ManifestSound> ReadSounds(const Json& object, const Field& field, std::string_view what,
                                      std::string_view aWhat, const std::string& where,
                                      std::vector<std::string>& names, Reading& reading) {
  std::vector<ManifestSound> sounds;
  const Json* array = ReadArray(object, field, where, reading);
  if (array == nullptr) return sounds;
  if (array->size() > kMaxItems) {
    Refuse(where, field, reading);
    return sounds;
  }
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = PathOf(where, field) + "[" + std::to_string(i) + "]";
    sounds.push_back(ReadSound((*array)[i], aWhat, path, reading));
    CheckUnique(sounds.back().name, names, path, what, reading);
  }
  return sounds;
}

}  // namespace lw::authoring::manifest
