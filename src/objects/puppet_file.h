// Puppet files: the records of a puppet library (star file type 'PUPP'): a talking character's
// layered picture, its spoken lines with their lip-sync frames, the lines the player's side says,
// and the named puppets with their scripts. Records 0 to 3 are fixed; every other record id is
// named by them (sounds, lip-sync frame records, layer images, the bevel band picture, scripts).
//
// Record 0, the puppet header (little-endian):
//
//   OFFSET  SIZE        DESCRIPTION
//   32      u16         1: record 1 (the player lines) is used
//   34      4 x i16     the picture rectangle: top, left, bottom, right (264 high, 512 wide)
//   50      2056        the puppet's colour table as colour_table.h stores it (its entries start
//                       at 58); what `clut("puppet")` installs
//   2106    4 x u32     shortest interval, in ticks, between two plays of "idle 1" .. "idle 4"
//   2122    4 x u32     longest interval, in ticks, of each
//   2138    u32         record id of the bevel band picture (512 x 120, drawn under the bevels)
//   2142    16          puppet file name (stored_name.h)
//   2158    i16         line count L
//   2160    L x 312     line entries
//
//   Line entry (312 bytes):               Record 1, the player lines:
//     6    i16   lip-sync frame count F     22   i16       count C
//     8    u32   record id of the sound     24   C x 296   entries:
//     12   u32   lip-sync frame record id                    0    u32  record id of the sound
//     24   256   subtitle: a length byte                     8    256  text (length byte, up to
//                and up to 255 characters;                             255 characters)
//                '*' first: no subtitle                      264  16   name
//     280  16    line name
//
//   Record 2, the puppet list:            Record 3, the layers:
//     22   i16      count P                 11 x 262   layer k at 262 k:
//     24   P x 40   entries:                             22   i16        image count (0..32)
//                     0   u32  script id                 24   32 x u32   image record ids
//                     8   16   puppet name            2882 i16         total image count
//
// Layer images and the band picture are sprite pictures (media/sprite.h): layer 0 is the
// background, drawn first; layers 1 to 10 are drawn over it in order, transparent where their
// pictures are. The band picture's hot spot lands on the band's top-left corner.
//
// A lip-sync frame record holds F entries of 82 bytes, entry i at 82 i:
//   0    8         not read (0)
//   8    4 x i16   the rectangle this frame changes: top, left, bottom, right (picture
//                  coordinates)
//   16   11 x 6    per layer k at 16 + 6k: i16 image index (negative, or not below the layer's
//                  count: none), then i16 v and i16 h of the point the image's hot spot lands on
//
// Every byte not named is 0 as titlekit writes it and is not read. Readers take the bytes as
// untrusted: counts that pass their record, names whose length byte passes 15, and layers that
// hold more than 32 images are refused with the reason.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/geometry.h"
#include "shell/drawing/colour_table.h"

namespace lw {

inline constexpr char kPuppetFileType[] = "PUPP";
inline constexpr std::int32_t kPuppetHeaderRecord = 0;
inline constexpr std::int32_t kPlayerLinesRecord = 1;
inline constexpr std::int32_t kPuppetListRecord = 2;
inline constexpr std::int32_t kPuppetLayersRecord = 3;

inline constexpr std::int16_t kPuppetPictureWidth = 512;
inline constexpr std::int16_t kPuppetPictureHeight = 264;
inline constexpr std::int16_t kBevelBandHeight = 120;
inline constexpr std::size_t kIdleLines = 4;
inline constexpr std::size_t kPuppetLayers = 11;
inline constexpr std::size_t kMaxLayerImages = 32;
inline constexpr std::size_t kMaxLineText = 255;

inline constexpr std::size_t kPuppetHeaderFixedBytes = 2160;
inline constexpr std::size_t kPuppetLineBytes = 312;
inline constexpr std::size_t kPlayerLineBytes = 296;
inline constexpr std::size_t kPuppetEntryBytes = 40;
inline constexpr std::size_t kListHeadBytes = 24;
inline constexpr std::size_t kPuppetLayerBytes = 262;
inline constexpr std::size_t kPuppetLayersRecordBytes = kPuppetLayers * kPuppetLayerBytes + 2;
inline constexpr std::size_t kLipSyncFrameBytes = 82;

struct PuppetLine {
  std::int16_t frameCount = 0;
  std::uint32_t soundId = 0;
  std::uint32_t framesId = 0;
  std::string subtitle;  // Mac Roman, up to 255 characters
  std::string name;      // up to 15 characters
};

struct PuppetHeader {
  bool hasPlayerLines = false;
  Rect picture{0, 0, kPuppetPictureHeight, kPuppetPictureWidth};
  ColourTable colours;
  std::array<std::uint32_t, kIdleLines> shortest{};
  std::array<std::uint32_t, kIdleLines> longest{};
  std::uint32_t bandId = 0;
  std::string name;
  std::vector<PuppetLine> lines;
};

struct PlayerLine {
  std::uint32_t soundId = 0;
  std::string text;
  std::string name;
};

struct PuppetEntry {
  std::uint32_t scriptId = 0;
  std::string name;
};

using PuppetLayers = std::array<std::vector<std::uint32_t>, kPuppetLayers>;

// One layer's part of a lip-sync frame: the image shown (an index into the layer's images) and
// where its hot spot lands.
struct LayerPlacement {
  std::int16_t image = -1;
  Point at;
};

struct LipSyncFrame {
  Rect changed;
  std::array<LayerPlacement, kPuppetLayers> layers{};
};

[[nodiscard]] Expected<PuppetHeader, std::string> ReadPuppetHeader(
    std::span<const std::uint8_t> record);
[[nodiscard]] Expected<std::vector<PlayerLine>, std::string> ReadPlayerLines(
    std::span<const std::uint8_t> record);
[[nodiscard]] Expected<std::vector<PuppetEntry>, std::string> ReadPuppetList(
    std::span<const std::uint8_t> record);
// Also checks that the layers' counts add up to the stored total.
[[nodiscard]] Expected<PuppetLayers, std::string> ReadPuppetLayers(
    std::span<const std::uint8_t> record);
// Reads the `count` frames a line says its record holds.
[[nodiscard]] Expected<std::vector<LipSyncFrame>, std::string> ReadLipSyncFrames(
    std::span<const std::uint8_t> record, std::int16_t count);

// The stored forms, for the tools that make puppet files. Texts longer than their fields are the
// caller's fault and are cut.
[[nodiscard]] std::vector<std::uint8_t> WritePuppetHeader(const PuppetHeader& header);
[[nodiscard]] std::vector<std::uint8_t> WritePlayerLines(std::span<const PlayerLine> lines);
[[nodiscard]] std::vector<std::uint8_t> WritePuppetList(std::span<const PuppetEntry> puppets);
[[nodiscard]] std::vector<std::uint8_t> WritePuppetLayers(const PuppetLayers& layers);
[[nodiscard]] std::vector<std::uint8_t> WriteLipSyncFrames(std::span<const LipSyncFrame> frames);

}  // namespace lw
