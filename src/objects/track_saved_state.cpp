// The track table's part of a saved game: tracks written out with their sound items, and opened
// again with the sound settings they had.
#include "objects/track_table.h"

namespace lw {
namespace {

SavedSound SavedItem(const SoundItem& item) {
  return SavedSound{.codec = item.info.codec.number,
                    .frames = static_cast<std::uint32_t>(std::max(item.info.sampleFrames(), 0)),
                    .rateMultiple = item.info.codec.rateMultiple,
                    .volume = item.volume,
                    .pan = item.pan,
                    .loop = item.loop,
                    .recordId = item.recordId,
                    .file = item.fileSerial != 0 ? item.fileSerial : item.file->serial(),
                    .priority = item.priority,
                    .name = item.name};
}

std::vector<SavedSound> SavedItems(const std::vector<SoundItem>& items) {
  std::vector<SavedSound> saved;
  for (const SoundItem& item : items) saved.push_back(SavedItem(item));
  return saved;
}

// The saved settings go to the items at the same places; a file that changed since holds other
// items, and those keep their own.
void Apply(const std::vector<SavedSound>& saved, std::vector<SoundItem>& items) {
  for (std::size_t i = 0; i < std::min(saved.size(), items.size()); ++i) {
    items[i].volume = saved[i].volume;
    items[i].pan = saved[i].pan;
    items[i].loop = saved[i].loop;
  }
}

}  // namespace

std::vector<SavedTrackState> TrackTable::Saved() const {
  std::vector<SavedTrackState> saved;
  for (const Track& track : tracks_) {
    saved.push_back({.track = {.file = track.file->serial(),
                               .sounds = static_cast<std::uint16_t>(track.sounds.size()),
                               .themeParts = static_cast<std::uint16_t>(track.themeParts.size()),
                               .sequence = static_cast<std::uint16_t>(track.theme.items.size()),
                               .name = track.name},
                     .sounds = SavedItems(track.sounds),
                     .themeParts = SavedItems(track.themeParts),
                     .sequence = SavedItems(track.theme.items)});
  }
  return saved;
}

bool TrackTable::Restore(StarFile& file, const SavedTrackState& saved) {
  Track track;
  if (!Load(file, track)) {
    p_.library.StarPark(file);
    return false;
  }
  Apply(saved.sounds, track.sounds);
  Apply(saved.themeParts, track.themeParts);
  Apply(saved.sequence, track.theme.items);
  tracks_.push_back(std::move(track));
  Renumber();
  return true;
}

}  // namespace lw
