// Set files: the records of a set library (star file type 'SCDO'), a grid of scenes of 256 x 256
// world units the player walks through cell by cell. Record 0 is the set header; it names the
// move table and the star record, and star links name path records.
//
// Record 0, the set header (little-endian):
//
//   OFFSET  SIZE      DESCRIPTION
//   8       u32       move count M, the entries of the move table
//   20, 22  2 x i16   view constants, kept
//   24      i16       camera set-back: how far the camera stands behind the player
//   26      i16       camera height
//   28      i16       a check word that must not be 0
//   30      u32       record id of the move table
//   34      u32       record id of the star record
//   38, 40  2 x i16   set width and height
//   42, 44  2 x i16   view constants, kept
//   48, 50  2 x i16   start column and row
//   52      i16       start direction: 1 north, 2 south, 3 east, 4 west
//   7032    u32       record id of the set script
//   7036    16        set name: a length byte (0..15) and the characters (Mac Roman)
//   7052    32 x u32  record ids of the scripts of floors 0..31
//   7180    u32       scene count S
//   7184    S x 32    scene entries
//
// Scene entry (32 bytes):            Move table: M entries of 28 bytes:
//   0    u16  row                      0    6 x u16  from column, row, direction; to column,
//   2    u16  column                                 row, direction
//   4    u16  has its own script       12   12       not read (0)
//   6    u16  not read (0)             24   u32      record id of the first of the move's five
//   8    u16  building (solid cell)                  pictures
//   10   i16  floor 0..31
//   12   16   scene name              Path record:
//   28   u32  scene script id           0    u32      point count N
//                                       4    u32      total length
// Star record:                          8    8        not read (0)
//   24   u32      link count L          16   N x 8    points: x, y, z and the length of the
//   28   L x 50   link entries                        segment ending there (4 x i16)
//
// Star link entry (50 bytes): 0 u16 not read (0); 2 3 x i16 first star's x, y, z; 8 16 first
// star's name; 24 u32 record id of the path joining the stars (0: none); 28 3 x i16 second
// star's x, y, z; 34 16 second star's name.
//
// Every byte not listed is 0 as the writers leave it and is not read. Readers take the bytes of
// files as untrusted: a record shorter than its fixed part or than its counts say, or a name
// whose length byte passes 15, is refused with its reason. Values are given as stored (a check
// word of 0 or a direction outside 1..4 included): the caller decides what they mean.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "objects/stored_name.h"

namespace lw {

inline constexpr char kSetFileType[] = "SCDO";
inline constexpr std::size_t kSetHeaderFixedBytes = 7184;
inline constexpr std::size_t kSceneEntryBytes = 32;
inline constexpr std::size_t kMoveEntryBytes = 28;
inline constexpr std::size_t kStarLinkBytes = 50;
inline constexpr std::size_t kMaxFloors = 32;

struct SceneEntry {
  std::uint16_t row = 0;
  std::uint16_t column = 0;
  bool hasOwnScript = false;
  bool building = false;
  std::int16_t floor = 0;
  std::string name;  // Mac Roman, at most 15 characters
  std::uint32_t scriptId = 0;
};

struct SetHeader {
  std::uint32_t moveCount = 0;
  std::int16_t view20 = 0, view22 = 0;
  std::int16_t cameraSetBack = 0;
  std::int16_t cameraHeight = 0;
  std::int16_t check28 = 0;
  std::uint32_t moveTableId = 0;
  std::uint32_t starRecordId = 0;
  std::int16_t width = 0, height = 0;
  std::int16_t view42 = 0, view44 = 0;
  std::int16_t startColumn = 0, startRow = 0;
  std::int16_t startDirection = 0;
  std::uint32_t scriptId = 0;
  std::string name;
  std::array<std::uint32_t, kMaxFloors> floorScriptIds{};
  std::vector<SceneEntry> scenes;
};

struct MoveEntry {
  std::uint16_t fromColumn = 0, fromRow = 0, fromDirection = 0;
  std::uint16_t toColumn = 0, toRow = 0, toDirection = 0;
  std::uint32_t firstPicture = 0;
};

struct StarPoint {
  std::int16_t x = 0, y = 0, z = 0;
};

struct StarLink {
  StarPoint first;
  std::string firstName;
  std::uint32_t pathId = 0;  // 0: the stars are not joined
  StarPoint second;
  std::string secondName;
};

struct PathPoint {
  std::int16_t x = 0, y = 0, z = 0;
  std::int16_t length = 0;  // of the segment that ends here; unused at the first point
};

struct SetPath {
  std::uint32_t totalLength = 0;
  std::vector<PathPoint> points;
};

// Reads record 0 of a set file; the reason when the record cannot hold what it claims.
[[nodiscard]] Expected<SetHeader, std::string> ReadSetHeader(std::span<const std::uint8_t> record);

// Reads the `count` entries of a move table (the count is the header's).
[[nodiscard]] Expected<std::vector<MoveEntry>, std::string> ReadMoveTable(
    std::span<const std::uint8_t> record, std::uint32_t count);

// Reads the star record.
[[nodiscard]] Expected<std::vector<StarLink>, std::string> ReadStarRecord(
    std::span<const std::uint8_t> record);

// Reads a path record.
[[nodiscard]] Expected<SetPath, std::string> ReadPath(std::span<const std::uint8_t> record);

// The stored forms, for the tools that make set files. Names longer than 15 characters are the
// caller's fault and are cut. The header's scene count is that of `header.scenes`.
[[nodiscard]] std::vector<std::uint8_t> WriteSetHeader(const SetHeader& header);
[[nodiscard]] std::vector<std::uint8_t> WriteMoveTable(std::span<const MoveEntry> moves);
[[nodiscard]] std::vector<std::uint8_t> WriteStarRecord(std::span<const StarLink> links);
[[nodiscard]] std::vector<std::uint8_t> WritePath(const SetPath& path);

// Writes scene entry `index` back into a loaded set header record, as the runtime does when a
// scene's own-script flag changes. False, and nothing written, when the entry does not fit the
// record.
[[nodiscard]] bool WriteSceneEntry(std::span<std::uint8_t> header, std::size_t index,
                                   const SceneEntry& scene);

}  // namespace lw
