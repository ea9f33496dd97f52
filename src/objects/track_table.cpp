#include "objects/track_table.h"

#include "objects/object_error_lines.h"
#include "objects/object_names.h"
#include "objects/track_file.h"

namespace lw {
namespace {

constexpr unsigned kTrackIndexShift = 16;
constexpr std::uint32_t kOwnPriorityMask = 0xFFFF;

}  // namespace

ScriptError TrackTable::Open(std::string_view fileName) {
  StarFile* file = nullptr;
  LW_TRY(OpenLibraryFile(p_.library, p_.errors, p_.locate, fileName, kTrackFileType,
                         errline::kTrackFileOpen, file));
  Track track;
  if (!Load(*file, track)) {
    p_.library.StarPark(*file);
    return ScriptError::ResourceNotFound;
  }
  tracks_.push_back(std::move(track));
  Renumber();
  return ScriptError::None;
}

// Record 0 is read and released; every sound and theme part is loaded and kept. A failure is
// reported and releases what was loaded.
bool TrackTable::Load(StarFile& file, Track& track) {
  track.file = &file;
  RecordBlock* block = nullptr;
  if (const ProgramCode got = p_.library.StarGetResource(file, kHeaderRecord, block); Failed(got)) {
    p_.errors.ReportError(CodeNumber(got), errline::kTrackHeaderLoad);
    return false;
  }
  auto header = ReadTrackHeader(*block);
  if (const ProgramCode released = p_.library.StarReleaseResource(file, kHeaderRecord);
      Failed(released)) {
    p_.errors.ReportError(CodeNumber(released), errline::kTrackHeaderRelease);
  }
  if (!header) {
    p_.errors.ReportError(kObjectProgramCode, errline::kTrackHeaderCorrupt);
    return false;
  }
  track.name = header->name;
  // Without a sound output the sounds are only named, so that the title runs on silently.
  const auto load = [&](std::uint32_t record, const std::string& name,
                        std::vector<SoundItem>& into) {
    SoundItem item;
    item.name = name;
    item.file = &file;
    item.recordId = static_cast<std::int32_t>(record);
    if (p_.channels.isOpen() &&
        !p_.channels.LoadSound(file, static_cast<std::int32_t>(record), name, item)) {
      return false;
    }
    into.push_back(std::move(item));
    return true;
  };
  for (std::size_t i = 0; i < header->sounds.size(); ++i) {
    if (!load(header->soundRecord(i), header->sounds[i], track.sounds)) {
      Release(track);
      return false;
    }
  }
  for (std::size_t i = 0; i < header->themeParts.size(); ++i) {
    if (!load(header->themePartRecord(i), header->themeParts[i], track.themeParts)) {
      Release(track);
      return false;
    }
  }
  for (const std::int16_t step : header->sequence) {
    if (step < 1 || static_cast<std::size_t>(step) > track.themeParts.size()) continue;
    track.theme.items.push_back(track.themeParts[static_cast<std::size_t>(step) - 1]);
  }
  if (!track.theme.items.empty()) track.theme.loopEntry = 0;
  return true;
}

// The theme's steps are copies of loaded parts: they hold no record of their own.
void TrackTable::Release(Track& track) {
  for (SoundItem& item : track.sounds) p_.channels.ReleaseSound(item);
  for (SoundItem& item : track.themeParts) p_.channels.ReleaseSound(item);
  track.sounds.clear();
  track.themeParts.clear();
  track.theme = {};
}

ScriptError TrackTable::Close(std::string_view trackName) {
  Track* track = FindTrack(trackName);
  if (track == nullptr) return ScriptError::NoSuchObject;
  Release(*track);
  StarFile* file = track->file;
  tracks_.erase(tracks_.begin() + (track - tracks_.data()));
  p_.library.StarPark(*file);
  Renumber();
  return ScriptError::None;
}

Track* TrackTable::FindTrack(std::string_view name) {
  for (Track& track : tracks_) {
    if (SameObjectName(track.name, name)) return &track;
  }
  return nullptr;
}

SoundItem* TrackTable::FindSound(std::string_view name) {
  for (Track& track : tracks_) {
    for (SoundItem& item : track.sounds) {
      if (SameObjectName(item.name, name)) return &item;
    }
  }
  return nullptr;
}

const Track* TrackTable::TrackOfFile(std::uint32_t fileSerial) const {
  for (const Track& track : tracks_) {
    if (track.file != nullptr && track.file->serial() == fileSerial) return &track;
  }
  return nullptr;
}

void TrackTable::Renumber() {
  for (std::size_t t = 0; t < tracks_.size(); ++t) {
    for (SoundItem& item : tracks_[t].sounds) {
      item.priority =
          (static_cast<std::uint32_t>(t) << kTrackIndexShift) | (item.priority & kOwnPriorityMask);
    }
  }
}

void TrackTable::ShutDown() {
  for (Track& track : tracks_) {
    Release(track);
    p_.library.StarPark(*track.file);
  }
  tracks_.clear();
}

}  // namespace lw
