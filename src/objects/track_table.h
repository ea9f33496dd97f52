// The track table: the track files a title has open, each with its sounds loaded and its theme
// built, in the order they were opened. Track files are not scripted: no scripts, no messages.
//
// Opening a track file: its header (record 0) names the sounds (records 1..S) and the theme
// parts (records S+1..S+P); every one is loaded through the sound channels and stays loaded
// while the track is open (without a sound output they are named but not loaded, and play
// nothing). The theme is the sequence's steps that name a part 1..P, each a copy
// of that part, played in order and then again from the first; a sequence with no such step
// gives no theme. Then every sound of every track is given its priority: the track's place in
// the table in the high 16 bits, the sound's own (its record id) in the low 16 bits.
//
// Closing a track file releases its sounds and parts (stopping any that plays) and parks the
// file; the tracks after it move up one place, keeping their order, and priorities follow.
//
// Sounds are found by name over the tracks in table order, each track's sounds in record
// order: the first track opened wins a name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/sound_channels.h"
#include "media/star_library.h"
#include "objects/library_open.h"
#include "objects/saved_game_tables.h"
#include "script/error_codes.h"
#include "shell/error_report.h"

namespace lw {

struct Track {
  StarFile* file = nullptr;
  std::string name;
  std::vector<SoundItem> sounds;
  std::vector<SoundItem> themeParts;
  Playlist theme;  // empty when the sequence names no part
};

struct TrackParts {
  StarLibrary& library;
  ErrorReporter& errors;
  LocateFile locate;
  SoundChannels& channels;
};

class TrackTable {
 public:
  explicit TrackTable(TrackParts parts) : p_(std::move(parts)) {}
  ~TrackTable() { ShutDown(); }
  TrackTable(const TrackTable&) = delete;
  TrackTable& operator=(const TrackTable&) = delete;

  [[nodiscard]] std::size_t count() const { return tracks_.size(); }
  [[nodiscard]] Track& at(std::size_t i) { return tracks_[i]; }
  [[nodiscard]] const Track& at(std::size_t i) const { return tracks_[i]; }

  ScriptError Open(std::string_view fileName);
  ScriptError Close(std::string_view trackName);

  [[nodiscard]] Track* FindTrack(std::string_view name);
  [[nodiscard]] SoundItem* FindSound(std::string_view name);
  // The track that holds the item the theme channel plays, by its file.
  [[nodiscard]] const Track* TrackOfFile(std::uint32_t fileSerial) const;

  // Saved games: each track with its arrays (identities are serials), and a saved track opened
  // again from `file` with each saved sound's and part's volume, pan and loop setting; the theme
  // is rebuilt from the file. False when the file does not load (reported; the file is parked).
  [[nodiscard]] std::vector<SavedTrackState> Saved() const;
  bool Restore(StarFile& file, const SavedTrackState& saved);

  // The runtime stop: every sound released and every file parked, without a word to the title.
  void ShutDown();

 private:
  bool Load(StarFile& file, Track& track);
  void Release(Track& track);
  void Renumber();

  TrackParts p_;
  std::vector<Track> tracks_;
};

}  // namespace lw
