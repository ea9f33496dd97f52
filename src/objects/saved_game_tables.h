// The fixed-size records of a saved game: the entries of the object tables (actors, casts,
// props, shops, tracks), the sound items of the tracks, and the walk, ball and loop slots.
// References to star files are identities (saved_game_header.h); memory blocks are written as 0
// and rebuilt when the game is opened. Logic values are i16 0 or 1; names are 16-byte fields (a
// length byte and up to 15 characters). Little-endian.
//
// Actor (164 bytes) and prop (158 bytes):
//   ACTOR  PROP  SIZE    FIELD
//   0      0     i16     visible
//   2      2     u32     cast / shop identity
//   6      6     u32     record block (0)
//   10     10    u32     record id
//   14     14    u32     script id
//   18     18    i16     is3d
//   20     20    2 x i16 point y, point x
//   24     24    i16     deg
//   26     26    3 x i16 x, y, z
//   32     32    2 x i16 actor: star extra words; prop: cell
//   36     -     i16     turn (actors only)
//   38     36    i16     frame
//   40     38    i16     speed
//   42     40    i16     dist
//   44     42    i32     scale
//   48     46    u32     serial
//   52     50    u32     shown picture
//   56     54    4 x i16 shown rectangle (top, left, bottom, right)
//   64     62    2 x i16 shown point (v, h)
//   68     66    2 x i16 shown size (rows, columns)
//   72     70    i16     shown flag
//   74     72    i32     value
//   78     76    i16     zclip
//   80     -     2 x i16 hit box: vertical, horizontal (actors only)
//   84     78    16      name
//   100    94    16      set
//   116    110   16      star
//   132    126   16      pose / view
//   148    142   16      owner
//
// Cast and shop (28 bytes): u32 star file identity, u32 record 0 block (0), u32 script id,
// name (16).
//
// Track (38 bytes): u32 star file identity; i16 sound count S, theme part count P, sequence step
// count Q; three u32 array blocks (0); track name (16). The three arrays follow the table as
// records of their own (S, P and Q sound items).
//
// Sound item (104 bytes):
//   0 u32 codec (2, 3, 4)          4 u32 data (0)            8 u32 sample frames
//   12 u32 rate multiple (1, 2, 4) 16 u32 1                  20 u32 1
//   24 2 x 8 gains (0)             40 u16 volume 0..255      42 u16 pan 0..255
//   44 u16 play marker: 1 when the sound loops               46 u32 record block (0)
//   50 u32 record id               54 u32 star file identity 58 u32 record id again
//   62 u32 priority                66 32 name (a length byte and up to 31 characters)
//   98 u32 link (0)                102 2 not used
//
// Walk slot (82 bytes): i16 active, i16 paused, i16 target angle, i16 turn only, 3 x i32 delta
// x, y, z, i32 length, start block (6 x i16: angle, x, y, z, two extra words), u32 path (1 when
// the walk follows a path, whose record comes after the slots), i32 travelled, i16 placed in 3D,
// i32 actor index, actor name (16), destination name (16).
//
// Ball slot (48 bytes): i16 active, i16 paused, 3 x i16 velocity, i16 spare, i16 bounce, i16
// frames left, position block (6 x i16: angle, x, y, z, cell x, cell y), i32 prop index, prop
// name (16).
//
// Loop slot (42 bytes): i16 active, i16 paused, i16 kind, i32 ticks left, object name (16),
// handler name (16).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "objects/figure.h"
#include "objects/motion_slots.h"

namespace lw {

inline constexpr std::size_t kActorRecordBytes = 164;
inline constexpr std::size_t kPropRecordBytes = 158;
inline constexpr std::size_t kGroupRecordBytes = 28;
inline constexpr std::size_t kTrackRecordBytes = 38;
inline constexpr std::size_t kSoundItemBytes = 104;
inline constexpr std::size_t kWalkSlotBytes = 82;
inline constexpr std::size_t kBallSlotBytes = 48;
inline constexpr std::size_t kLoopSlotBytes = 42;

[[nodiscard]] constexpr std::size_t FigureRecordBytes(FigureKind kind) {
  return kind == FigureKind::kActor ? kActorRecordBytes : kPropRecordBytes;
}

// A figure as saved: every field of the record, the group as an identity (the record's poses
// are not saved; they come back from the group file).
struct SavedFigure {
  Figure figure;
  std::uint32_t group = 0;
};

struct SavedGroup {
  std::uint32_t file = 0;
  std::uint32_t scriptId = 0;
  std::string name;
};

struct SavedTrack {
  std::uint32_t file = 0;
  std::uint16_t sounds = 0;
  std::uint16_t themeParts = 0;
  std::uint16_t sequence = 0;
  std::string name;
};

struct SavedSound {
  std::uint32_t codec = 0;
  std::uint32_t frames = 0;
  std::uint32_t rateMultiple = 0;
  std::uint16_t volume = 255;
  std::uint16_t pan = 128;
  bool loop = false;
  std::int32_t recordId = 0;
  std::uint32_t file = 0;
  std::uint32_t priority = 0;
  std::string name;
};

// A track with its three arrays: sounds, theme parts and the theme's steps.
struct SavedTrackState {
  SavedTrack track;
  std::vector<SavedSound> sounds;
  std::vector<SavedSound> themeParts;
  std::vector<SavedSound> sequence;
};

// Encoders write exactly the record size; decoders take exactly one record.
[[nodiscard]] std::vector<std::uint8_t> EncodeFigure(FigureKind kind, const SavedFigure& saved);
[[nodiscard]] Expected<SavedFigure, std::string> DecodeFigure(FigureKind kind,
                                                              std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> EncodeGroup(const SavedGroup& group);
[[nodiscard]] Expected<SavedGroup, std::string> DecodeGroup(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> EncodeTrack(const SavedTrack& track);
[[nodiscard]] Expected<SavedTrack, std::string> DecodeTrack(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> EncodeSound(const SavedSound& sound);
[[nodiscard]] Expected<SavedSound, std::string> DecodeSound(std::span<const std::uint8_t> bytes);

// A walk slot's path is written as a flag; a decoded slot that had one holds an empty path
// until the path's own record is read.
[[nodiscard]] std::vector<std::uint8_t> EncodeWalk(const WalkSlot& walk);
[[nodiscard]] Expected<WalkSlot, std::string> DecodeWalk(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> EncodeBall(const BallSlot& ball);
[[nodiscard]] Expected<BallSlot, std::string> DecodeBall(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> EncodeLoop(const LoopSlot& loop);
[[nodiscard]] Expected<LoopSlot, std::string> DecodeLoop(std::span<const std::uint8_t> bytes);

// A table's records back to back as one record, or the single byte 0 when it has none.
template <typename T, typename Encode>
[[nodiscard]] std::vector<std::uint8_t> EncodeTable(const std::vector<T>& items, Encode encode) {
  std::vector<std::uint8_t> out;
  for (const T& item : items) {
    const std::vector<std::uint8_t> bytes = encode(item);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  if (out.empty()) out.push_back(0);
  return out;
}

// The `count` records of `size` bytes a table record holds; refused unless the record is exactly
// that long (1 byte for none).
template <typename T, typename Decode>
[[nodiscard]] Expected<std::vector<T>, std::string> DecodeTable(
    std::span<const std::uint8_t> record, std::size_t count, std::size_t size, Decode decode) {
  if (record.size() != (count == 0 ? 1 : count * size))
    return Unexpected{std::to_string(count) + " records of " + std::to_string(size) +
                      " bytes do not fill a record of " + std::to_string(record.size())};
  std::vector<T> items;
  for (std::size_t i = 0; i < count; ++i) {
    auto item = decode(record.subspan(i * size, size));
    if (!item) return Unexpected{item.error()};
    items.push_back(std::move(*item));
  }
  return items;
}

}  // namespace lw
