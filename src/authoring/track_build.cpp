#include "authoring/track_build.h"

#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "authoring/sound_encoder.h"
#include "objects/track_file.h"

namespace lw::authoring {
namespace {

// The sound records of a track, each distinct (file, rate) encoded once.
class SoundRecords {
 public:
  explicit SoundRecords(const TitleSources& sources) : sources_(sources) {}

  // Appends the record of each entry to `records`; the reason, at the entry's path, when one
  // cannot be encoded.
  std::optional<std::string> add(const std::vector<ManifestSound>& sounds, Records& records) {
    for (const ManifestSound& sound : sounds) {
      const Key key{sound.audio.path, sound.rate};
      auto known = encoded_.find(key);
      if (known == encoded_.end()) {
        auto record = EncodeSound(sources_.sounds.at(sound.audio.path), sound.rate);
        if (!record) return sound.audio.where + ": " + record.error();
        known = encoded_.emplace(key, std::move(record).value()).first;
      }
      records.push_back(known->second);
    }
    return std::nullopt;
  }

 private:
  using Key = std::pair<std::filesystem::path, std::uint32_t>;

  const TitleSources& sources_;
  std::map<Key, std::vector<std::uint8_t>> encoded_;
};

std::vector<std::string> Names(const std::vector<ManifestSound>& sounds) {
  std::vector<std::string> names;
  for (const ManifestSound& sound : sounds) names.push_back(sound.name);
  return names;
}

}  // namespace

Expected<Records, std::string> BuildTrackRecords(const ManifestTrack& track,
                                                 const TitleSources& sources) {
  const TrackHeader header{track.name, Names(track.sounds), Names(track.themeParts),
                           track.sequence};
  Records records{WriteTrackHeader(header)};
  SoundRecords sounds(sources);
  for (const auto* items : {&track.sounds, &track.themeParts}) {
    if (auto failure = sounds.add(*items, records)) return Unexpected{track.file + ": " + *failure};
  }
  return records;
}

}  // namespace lw::authoring
