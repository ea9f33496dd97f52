#include "authoring/track_build.h"

#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "authoring/sound_records.h"
#include "objects/track_file.h"

namespace lw::authoring {
namespace {

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
  SoundRecords sounds(sources.sounds);
  for (const auto* items : {&track.sounds, &track.themeParts}) {
    if (auto failure = sounds.add(*items, records)) return Unexpected{track.file + ": " + *failure};
  }
  return records;
}

}  // namespace lw::authoring
