// Track files: the sound libraries of a title (star file type 'SONG'). Record 0, the track
// header, names the track's sounds and the parts of its theme and gives the order the theme's
// parts play in; records 1..S are the sounds and records S+1..S+P the theme parts, each a sound
// record (media/sound_record.h).
//
// Record 0, the track header (little-endian):
//   OFFSET  SIZE      DESCRIPTION
//   0       24        not read (0)
//   24      i16       sound count S, 0 or more
//   26      i16       theme part count P, 0 or more
//   28      i16       theme sequence length Q, 0..64
//   30      Q x i16   theme sequence: each step the 1-based number of a theme part. Numbers
//                     outside 1..P are kept as stored; the player skips them
//   30+2Q   ...       not read (0) up to 158
//   158     16        track name: a length byte (0..15) and the characters (Mac Roman)
//   174     4         not read (0)
//   178     (S+P)x24  one entry per sound, then one per theme part:
//                       0   8    not read (0)
//                       8   16   the sound's or part's name
//
// Readers take the bytes of files as untrusted: a record shorter than its fixed part or than its
// counts say, a negative count, a sequence longer than 64 steps or a name whose length byte
// passes 15 is refused with its reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw {

inline constexpr char kTrackFileType[] = "SONG";
inline constexpr std::size_t kTrackHeaderFixedBytes = 178;
inline constexpr std::size_t kTrackEntryBytes = 24;
inline constexpr std::size_t kMaxThemeSequence = 64;

struct TrackHeader {
  std::string name;
  std::vector<std::string> sounds;      // record 1 + index
  std::vector<std::string> themeParts;  // record 1 + sounds.size() + index
  std::vector<std::int16_t> sequence;   // 1-based theme part numbers, as stored

  [[nodiscard]] std::uint32_t soundRecord(std::size_t index) const {
    return static_cast<std::uint32_t>(1 + index);
  }
  [[nodiscard]] std::uint32_t themePartRecord(std::size_t index) const {
    return static_cast<std::uint32_t>(1 + sounds.size() + index);
  }
};

[[nodiscard]] Expected<TrackHeader, std::string> ReadTrackHeader(
    std::span<const std::uint8_t> record);

// The stored form, for the tools that make track files. Names longer than 15 characters are the
// caller's fault and are cut, as are sequence steps past 64 and items past 32767 of a kind.
[[nodiscard]] std::vector<std::uint8_t> WriteTrackHeader(const TrackHeader& header);

}  // namespace lw
