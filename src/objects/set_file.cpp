#include "objects/set_file.h"

#include <algorithm>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::size_t kMoveCountOffset = 8;
constexpr std::size_t kViewOffset = 20;
constexpr std::size_t kStartOffset = 48;
constexpr std::size_t kSetScriptOffset = 7032;
constexpr std::size_t kSceneCountOffset = 7180;
constexpr std::size_t kMoveUnreadBytes = 12;
constexpr std::size_t kStarCountOffset = 24;
constexpr std::size_t kStarLinksOffset = 28;
constexpr std::size_t kPathUnreadBytes = 8;
constexpr std::size_t kPathPointsOffset = 16;
constexpr std::size_t kPathPointBytes = 8;
// The header is read in order: the script id, name, floor scripts and scene count follow one
// another directly, and the scene entries follow the count.
static_assert(kSetScriptOffset + 4 + kStoredNameBytes + kMaxFloors * 4 == kSceneCountOffset);
static_assert(kSceneCountOffset + 4 == kSetHeaderFixedBytes);

// Reads one scene entry; false when its name's length byte passes 15.
bool ReadScene(ByteReader& in, SceneEntry& scene) {
  scene.row = in.u16();
  scene.column = in.u16();
  scene.hasOwnScript = in.u16() != 0;
  in.skip(2);
  scene.building = in.u16() != 0;
  scene.floor = in.i16();
  if (!ReadStoredName(in, scene.name)) return false;
  scene.scriptId = in.u32();
  return true;
}

void WriteScene(ByteWriter& out, const SceneEntry& scene) {
  out.u16(scene.row);
  out.u16(scene.column);
  out.u16(scene.hasOwnScript ? 1 : 0);
  out.u16(0);
  out.u16(scene.building ? 1 : 0);
  out.i16(scene.floor);
  WriteStoredName(out, scene.name);
  out.u32(scene.scriptId);
}

StarPoint ReadPoint(ByteReader& in) {
  StarPoint point;
  point.x = in.i16();
  point.y = in.i16();
  point.z = in.i16();
  return point;
}

void WritePoint(ByteWriter& out, const StarPoint& point) {
  out.i16(point.x);
  out.i16(point.y);
  out.i16(point.z);
}

}  // namespace

Expected<SetHeader, std::string> ReadSetHeader(std::span<const std::uint8_t> record) {
  if (record.size() < kSetHeaderFixedBytes) {
    return Unexpected{"set header of " + SizeText(record.size()) + ", fewer than " +
                      std::to_string(kSetHeaderFixedBytes)};
  }
  SetHeader header;
  ByteReader in(record);
  in.skip(kMoveCountOffset);
  header.moveCount = in.u32();
  in.skip(kViewOffset - in.position());
  header.view20 = in.i16();
  header.view22 = in.i16();
  header.cameraSetBack = in.i16();
  header.cameraHeight = in.i16();
  header.check28 = in.i16();
  header.moveTableId = in.u32();
  header.starRecordId = in.u32();
  header.width = in.i16();
  header.height = in.i16();
  header.view42 = in.i16();
  header.view44 = in.i16();
  in.skip(kStartOffset - in.position());
  header.startColumn = in.i16();
  header.startRow = in.i16();
  header.startDirection = in.i16();
  in.skip(kSetScriptOffset - in.position());
  header.scriptId = in.u32();
  if (!ReadStoredName(in, header.name)) return Unexpected{std::string("set name longer than 15")};
  for (std::uint32_t& id : header.floorScriptIds) id = in.u32();
  const std::uint32_t scenes = in.u32();
  // Checked before anything is allocated: the count must fit the record.
  if (!CountFits(scenes, kSceneEntryBytes, kSetHeaderFixedBytes, record.size())) {
    return Unexpected{std::to_string(scenes) + " scenes do not fit a set header of " +
                      SizeText(record.size())};
  }
  header.scenes.resize(scenes);
  for (SceneEntry& scene : header.scenes) {
    if (!ReadScene(in, scene)) return Unexpected{std::string("scene name longer than 15")};
  }
  return header;
}

Expected<std::vector<MoveEntry>, std::string> ReadMoveTable(std::span<const std::uint8_t> record,
                                                            std::uint32_t count) {
  if (!CountFits(count, kMoveEntryBytes, 0, record.size())) {
    return Unexpected{"a move table of " + SizeText(record.size()) + " cannot hold its " +
                      std::to_string(count) + " moves"};
  }
  std::vector<MoveEntry> moves(count);
  ByteReader in(record);
  for (MoveEntry& move : moves) {
    move.fromColumn = in.u16();
    move.fromRow = in.u16();
    move.fromDirection = in.u16();
    move.toColumn = in.u16();
    move.toRow = in.u16();
    move.toDirection = in.u16();
    in.skip(kMoveUnreadBytes);
    move.firstPicture = in.u32();
  }
  return moves;
}

Expected<std::vector<StarLink>, std::string> ReadStarRecord(std::span<const std::uint8_t> record) {
  ByteReader in(record);
  in.skip(kStarCountOffset);
  const std::uint32_t count = in.u32();
  if (in.failed() || !CountFits(count, kStarLinkBytes, kStarLinksOffset, record.size())) {
    return Unexpected{"a star record of " + SizeText(record.size()) + " cannot hold its " +
                      std::to_string(count) + " links"};
  }
  std::vector<StarLink> links(count);
  for (StarLink& link : links) {
    in.skip(2);
    link.first = ReadPoint(in);
    if (!ReadStoredName(in, link.firstName))
      return Unexpected{std::string("star name longer than 15")};
    link.pathId = in.u32();
    link.second = ReadPoint(in);
    if (!ReadStoredName(in, link.secondName))
      return Unexpected{std::string("star name longer than 15")};
  }
  return links;
}

Expected<SetPath, std::string> ReadPath(std::span<const std::uint8_t> record) {
  ByteReader in(record);
  const std::uint32_t count = in.u32();
  SetPath path;
  path.totalLength = in.u32();
  in.skip(kPathUnreadBytes);
  if (in.failed() || !CountFits(count, kPathPointBytes, kPathPointsOffset, record.size())) {
    return Unexpected{"a path record of " + SizeText(record.size()) + " cannot hold its " +
                      std::to_string(count) + " points"};
  }
  path.points.resize(count);
  for (PathPoint& point : path.points) {
    point.x = in.i16();
    point.y = in.i16();
    point.z = in.i16();
    point.length = in.i16();
  }
  return path;
}

std::vector<std::uint8_t> WriteSetHeader(const SetHeader& header) {
  ByteWriter out;
  out.zeros(kMoveCountOffset);
  out.u32(header.moveCount);
  out.zeros(kViewOffset - out.data().size());
  out.i16(header.view20);
  out.i16(header.view22);
  out.i16(header.cameraSetBack);
  out.i16(header.cameraHeight);
  out.i16(header.check28);
  out.u32(header.moveTableId);
  out.u32(header.starRecordId);
  out.i16(header.width);
  out.i16(header.height);
  out.i16(header.view42);
  out.i16(header.view44);
  out.zeros(kStartOffset - out.data().size());
  out.i16(header.startColumn);
  out.i16(header.startRow);
  out.i16(header.startDirection);
  out.zeros(kSetScriptOffset - out.data().size());
  out.u32(header.scriptId);
  WriteStoredName(out, header.name);
  for (std::uint32_t id : header.floorScriptIds) out.u32(id);
  out.u32(static_cast<std::uint32_t>(header.scenes.size()));
  for (const SceneEntry& scene : header.scenes) WriteScene(out, scene);
  return out.take();
}

std::vector<std::uint8_t> WriteMoveTable(std::span<const MoveEntry> moves) {
  ByteWriter out;
  for (const MoveEntry& move : moves) {
    out.u16(move.fromColumn);
    out.u16(move.fromRow);
    out.u16(move.fromDirection);
    out.u16(move.toColumn);
    out.u16(move.toRow);
    out.u16(move.toDirection);
    out.zeros(kMoveUnreadBytes);
    out.u32(move.firstPicture);
  }
  return out.take();
}

std::vector<std::uint8_t> WriteStarRecord(std::span<const StarLink> links) {
  ByteWriter out;
  out.zeros(kStarCountOffset);
  out.u32(static_cast<std::uint32_t>(links.size()));
  for (const StarLink& link : links) {
    out.u16(0);
    WritePoint(out, link.first);
    WriteStoredName(out, link.firstName);
    out.u32(link.pathId);
    WritePoint(out, link.second);
    WriteStoredName(out, link.secondName);
  }
  return out.take();
}

std::vector<std::uint8_t> WritePath(const SetPath& path) {
  ByteWriter out;
  out.u32(static_cast<std::uint32_t>(path.points.size()));
  out.u32(path.totalLength);
  out.zeros(kPathUnreadBytes);
  for (const PathPoint& point : path.points) {
    out.i16(point.x);
    out.i16(point.y);
    out.i16(point.z);
    out.i16(point.length);
  }
  return out.take();
}

bool WriteSceneEntry(std::span<std::uint8_t> header, std::size_t index, const SceneEntry& scene) {
  if (header.size() < kSetHeaderFixedBytes ||
      index >= (header.size() - kSetHeaderFixedBytes) / kSceneEntryBytes) {
    return false;
  }
  ByteWriter out;
  WriteScene(out, scene);
  const std::vector<std::uint8_t> entry = out.take();
  std::ranges::copy(entry, header.begin() + static_cast<std::ptrdiff_t>(kSetHeaderFixedBytes +
                                                                        index * kSceneEntryBytes));
  return true;
}

}  // namespace lw
