// Stage files: the records of a stage library (star file type 'FLAT'). Record 0 is the stage
// header; each flat names a script, a picture (a frame record) and a button record.
//
// Record 0, the stage header (little-endian):
//
//   OFFSET  SIZE      DESCRIPTION
//   28      u16       stage width, 512
//   30      u16       stage height, 384
//   32      u32       record id of the stage script
//   36      u32       record id of the stage's palette (a 2056-byte colour table, as titlekit
//                     palette writes it), 0 for none; what `clut("stage")` installs
//   2084    16        stage name: a length byte (0..15) and the characters (Mac Roman)
//   2100    u32       flat count F
//   2104    F x 28    flat entries, in flat order
//
// Every other byte is 0 as titlekit writes it and is not read.
//
// Flat entry (28 bytes):             Button record:
//   0    u32  flat script id           0    u32      button count B
//   4    u32  picture record id        4    B x 32   button entries, in button order
//   8    u32  button record id
//   12   16   flat name               Button entry (32 bytes):
//                                       0    u32       not read (0)
//                                       4    4 x i16   rectangle in stage coordinates: top,
//                                                      left, bottom, right
//                                       12   u32       button script id
//                                       16   16        button name
//
// Readers take the bytes of files as untrusted: a record shorter than its counts say, a name
// whose length byte passes 15, or a size other than 512 x 384 is refused with its reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/geometry.h"
#include "objects/stored_name.h"

namespace lw {

inline constexpr std::uint16_t kStageFileWidth = 512;
inline constexpr std::uint16_t kStageFileHeight = 384;
inline constexpr std::size_t kStageHeaderFixedBytes = 2104;
inline constexpr std::size_t kFlatEntryBytes = 28;
inline constexpr std::size_t kButtonEntryBytes = 32;
// The stage file's type and the creator titlekit writes.
inline constexpr char kStageFileType[] = "FLAT";

struct FlatEntry {
  std::uint32_t scriptId = 0;
  std::uint32_t pictureId = 0;
  std::uint32_t buttonRecordId = 0;
  std::string name;  // Mac Roman, at most 15 characters
};

struct StageHeader {
  std::uint16_t width = kStageFileWidth;
  std::uint16_t height = kStageFileHeight;
  std::uint32_t scriptId = 0;
  std::uint32_t paletteId = 0;  // 0: the stage has no palette of its own
  std::string name;
  std::vector<FlatEntry> flats;
};

struct ButtonEntry {
  Rect rect;  // stage coordinates
  std::uint32_t scriptId = 0;
  std::string name;
};

// Reads record 0 of a stage file. The width and height are given as stored (the caller decides
// what a wrong size means); the reason when the record cannot hold what it claims.
[[nodiscard]] Expected<StageHeader, std::string> ReadStageHeader(
    std::span<const std::uint8_t> record);

// Reads a button record.
[[nodiscard]] Expected<std::vector<ButtonEntry>, std::string> ReadButtonRecord(
    std::span<const std::uint8_t> record);

// The stored forms, for the tools that make stage files. Names longer than 15 characters are
// the caller's fault and are cut.
[[nodiscard]] std::vector<std::uint8_t> WriteStageHeader(const StageHeader& header);
[[nodiscard]] std::vector<std::uint8_t> WriteButtonRecord(std::span<const ButtonEntry> buttons);

}  // namespace lw
