// Cast and shop files: the records of a cast library (star file type 'CCDO', a named group of
// actors) and of a shop library (type 'PDDO', a group of props). Both have the same layout:
// record 0 names the group's script and its figures, each figure record names its poses (a
// prop's are called views), and each pose record lists the pictures it shows.
//
// Record 0, the group header (little-endian; the bytes before 2340 are 0 and not read):
//   OFFSET  SIZE      DESCRIPTION
//   2340    u32       record id of the group's script (the cast or shop script)
//   2344    16        group name: a length byte (0..15) and the characters (Mac Roman)
//   2360    u32       figure count N
//   2364    N x 16    figure entries: u32 record id of the figure record, 12 bytes 0
//
// Figure record (an actor or a prop):
//   38      u32       record id of the figure's script
//   42      16        figure name
//   58      16        name of the set the figure belongs to
//   74      16        name of the star it stands on
//   90      u32       pose count P
//   94      P x 32    pose entries: u32 record id of the pose record, 12 bytes 0, pose name
//                     (16); the first pose is the figure's initial one
//
// Pose record:
//   46      N x u16   frame sequence: entry k is 1 + the view shown in frame k (at most 33)
//   112     i16       frame count N
//   114     u32       picture count M
//   118     M x 44    picture entries:
//                       0   u32      record id of the sprite picture
//                       4   u16      flags: bit 0 draws the picture mirrored left to right
//                       8   u16      view the picture belongs to
//                       18  4 x i16  bounds: top, left, bottom, right (rows bottom - top,
//                                    columns right - left)
//                       26  i16      hot spot row: rows from the top to the reference point
//                       28  i16      hot spot column
//                       40  u16      the angle the picture is seen from, 0..255
//                       42  i16      size factor of the 3-D scaling
//
// Every byte not listed is 0 as the writers leave it and is not read. Readers take the bytes of
// files as untrusted: a record shorter than its fixed part or than its counts say, a name whose
// length byte passes 15, or a frame count outside 0..33 is refused with its reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw {

inline constexpr char kCastFileType[] = "CCDO";
inline constexpr char kShopFileType[] = "PDDO";
inline constexpr std::size_t kGroupHeaderFixedBytes = 2364;
inline constexpr std::size_t kFigureRecordFixedBytes = 94;
inline constexpr std::size_t kPoseRecordFixedBytes = 118;
inline constexpr std::size_t kPictureEntryBytes = 44;
inline constexpr std::size_t kMaxPoseFrames = 33;

struct GroupHeader {
  std::uint32_t scriptId = 0;
  std::string name;
  std::vector<std::uint32_t> figures;  // record ids
};

struct PoseEntry {
  std::uint32_t recordId = 0;
  std::string name;
};

struct FigureRecord {
  std::uint32_t scriptId = 0;
  std::string name;
  std::string set;
  std::string star;
  std::vector<PoseEntry> poses;
};

struct PictureEntry {
  static constexpr std::uint16_t kMirrored = 1;

  std::uint32_t recordId = 0;
  std::uint16_t flags = 0;
  std::uint16_t view = 0;
  std::int16_t top = 0, left = 0, bottom = 0, right = 0;
  std::int16_t hotV = 0;
  std::int16_t hotH = 0;
  std::uint16_t angle = 0;
  std::int16_t sizeFactor = 0;

  [[nodiscard]] std::int32_t rows() const { return bottom - top; }
  [[nodiscard]] std::int32_t columns() const { return right - left; }
  [[nodiscard]] bool mirrored() const { return (flags & kMirrored) != 0; }
};

struct PoseRecord {
  std::vector<std::uint16_t> frames;  // 1 + the view of each frame
  std::vector<PictureEntry> pictures;
};

[[nodiscard]] Expected<GroupHeader, std::string> ReadGroupHeader(
    std::span<const std::uint8_t> record);
[[nodiscard]] Expected<FigureRecord, std::string> ReadFigureRecord(
    std::span<const std::uint8_t> record);
[[nodiscard]] Expected<PoseRecord, std::string> ReadPoseRecord(
    std::span<const std::uint8_t> record);

// The stored forms, for the tools that make cast and shop files. Names longer than 15
// characters are the caller's fault and are cut, as are frames past 33.
[[nodiscard]] std::vector<std::uint8_t> WriteGroupHeader(const GroupHeader& header);
[[nodiscard]] std::vector<std::uint8_t> WriteFigureRecord(const FigureRecord& figure);
[[nodiscard]] std::vector<std::uint8_t> WritePoseRecord(const PoseRecord& pose);

}  // namespace lw
