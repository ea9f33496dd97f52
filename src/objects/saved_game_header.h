// The first two records of a saved game: the game header with the list of star files that were
// open, and the object state block. A saved game is a star file of type 'RTDO', creator 'LWRT';
// its records, in id order, are these two, then the object tables (saved_game_tables.h), the
// globals table and its heap, the motion slots and the paths of path walks (saved_game_file.h).
//
// Every reference to a star file is written as the file's identity (its serial in the run that
// saved), which the star-file list of record 0 maps back to a path.
//
// Record 0: the game header, then one 260-byte entry per star file open at saving, newest first.
//   OFFSET  SIZE       FIELD
//   0       256        identity text (a length byte and up to 255 characters)
//   256     9 x 256    path slots 0..8, each a length byte and the characters
//   2560    u32        identity of the track file whose theme plays on channel 3 (0: none)
//   2564    u32        identity of the track file whose sound plays on an effect channel (0: none)
//   2568    u32        record id of that sound
//   2572    256 x 8    the current colour table's entries: u16 index, red, green, blue
//   4620    u32        star-file entry count N
//   4624    N x 260    entries: u32 identity, then the path (256: length byte and characters)
//
// Record 1: the object state block, 542 bytes.
//   OFFSET  SIZE       FIELD
//   0       244        display state of the run that saved: zeros, not read
//   244     u16        visual effect nesting (0 between statements, when scripts can save)
//   246     2          not used
//   248     u32        frame counter
//   252     8 x i16    puppet settings 1..8
//   268     i16        puppet grab (logic)
//   270     32         puppet base line name (a length byte and up to 31 characters)
//   302     10         not used; zeros
//   312     5 x 8      object tables as (block, count) u32 pairs: actors, casts, props, shops,
//                      tracks; the block words are 0 and not read
//   352     36         stage state: open i16, visible i16, star file u32, current flat u32
//                      (0-based), header block u32 (0), script id u32, name (16)
//   388     110        set state (below)
//   498     44         puppet state: open i16, visible i16, band record id u32, star file u32,
//                      four record blocks (16 bytes of 0), puppet file name (16)
//
// Set state, from 388: open i16, visible i16, player hit box (vertical, horizontal i16),
// star file u32, header block u32 (0), move table record id u32, move count u32, move table block
// u32 (0), star record id u32, star record block u32 (0), script id u32, camera set-back i16,
// camera height i16, four view constants i16, focal length i16, horizon row i16, centre column
// i16, player column, row, direction i16, previous column, row, direction i16, view angle i16,
// player x, y, z i16, current scene column and row i16, camera angle, x, y, z i16, camera cell
// column and row i16, set name (16).
//
// All numbers little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "shell/drawing/colour_table.h"

namespace lw {

inline constexpr std::size_t kGameHeaderBytes = 4624;
inline constexpr std::size_t kSavedFileEntryBytes = 260;
inline constexpr std::size_t kObjectStateBytes = 542;
inline constexpr std::size_t kSavedPathSlots = 9;
inline constexpr std::size_t kSavedPuppetParams = 8;
inline constexpr std::size_t kSavedTableKinds = 5;

// The longest text a 256-byte field holds.
inline constexpr std::size_t kMaxLongText = 255;

struct SavedFile {
  std::uint32_t identity = 0;
  std::string path;
};

struct GameHeader {
  std::string identity;
  std::array<std::string, kSavedPathSlots> pathSlots;
  std::uint32_t themeTrack = 0;
  std::uint32_t effectTrack = 0;
  std::uint32_t effectRecord = 0;
  ColourTable colours;
  std::vector<SavedFile> files;

  // The path of the file with that identity, or null.
  [[nodiscard]] const SavedFile* file(std::uint32_t id) const;
};

[[nodiscard]] std::vector<std::uint8_t> EncodeGameHeader(const GameHeader& header);
// The reason when the record is not exactly a header and its entries.
[[nodiscard]] Expected<GameHeader, std::string> DecodeGameHeader(
    std::span<const std::uint8_t> record);

struct SavedStage {
  bool open = false;
  bool visible = false;
  std::uint32_t file = 0;
  std::uint32_t flat = 0;
  std::uint32_t scriptId = 0;
  std::string name;
};

struct SavedSet {
  bool open = false;
  bool visible = false;
  std::int16_t hitVertical = 0, hitHorizontal = 0;
  std::uint32_t file = 0;
  std::uint32_t moveTableId = 0;
  std::uint32_t moveCount = 0;
  std::uint32_t starRecordId = 0;
  std::uint32_t scriptId = 0;
  std::int16_t setBack = 0, cameraHeight = 0;
  std::array<std::int16_t, 4> view{};
  std::int16_t focal = 0, horizon = 0, centre = 0;
  std::int16_t column = 0, row = 0, direction = 0;
  std::int16_t previousColumn = 0, previousRow = 0, previousDirection = 0;
  std::int16_t viewAngle = 0;
  std::int16_t playerX = 0, playerY = 0, playerZ = 0;
  std::int16_t sceneColumn = 0, sceneRow = 0;
  std::int16_t cameraAngle = 0, cameraX = 0, cameraY = 0, cameraZ = 0;
  std::int16_t cameraCellColumn = 0, cameraCellRow = 0;
  std::string name;
};

struct SavedPuppet {
  bool open = false;
  bool visible = false;
  std::uint32_t bandId = 0;
  std::uint32_t file = 0;
  std::string fileName;
};

// The order of the object tables in the state block and in the file.
enum class SavedTable : std::uint8_t { kActors, kCasts, kProps, kShops, kTracks };

struct ObjectState {
  std::uint16_t effectNesting = 0;
  std::uint32_t frame = 0;
  std::array<std::int16_t, kSavedPuppetParams> puppetParams{};
  bool puppetGrab = false;
  std::string puppetBase;
  std::array<std::uint32_t, kSavedTableKinds> counts{};
  SavedStage stage;
  SavedSet set;
  SavedPuppet puppet;

  [[nodiscard]] std::uint32_t count(SavedTable table) const {
    return counts[static_cast<std::size_t>(table)];
  }
};

[[nodiscard]] std::vector<std::uint8_t> EncodeObjectState(const ObjectState& state);
[[nodiscard]] Expected<ObjectState, std::string> DecodeObjectState(
    std::span<const std::uint8_t> record);

}  // namespace lw
