// Fuzzes the library headers of sets, casts and shops: the input is read as a set header, as a
// move table (its count from the first 4 bytes), as a star record, as a path, and as a cast's or
// shop's group header, figure record and pose record. Every record is refused or read into
// no more entries than its bytes can hold, and what is read writes back to a record that reads
// the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>

#include "objects/cast_file.h"
#include "objects/set_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Every field of what was read, so that two reads compare as one string.
std::string Text(const lw::SetHeader& h) {
  std::ostringstream out;
  out << h.moveCount << ' ' << h.view20 << ' ' << h.view22 << ' ' << h.cameraSetBack << ' '
      << h.cameraHeight << ' ' << h.check28 << ' ' << h.moveTableId << ' ' << h.starRecordId << ' '
      << h.width << ' ' << h.height << ' ' << h.view42 << ' ' << h.view44 << ' ' << h.startColumn
      << ' ' << h.startRow << ' ' << h.startDirection << ' ' << h.scriptId << ' ' << h.name;
  for (std::uint32_t id : h.floorScriptIds) out << ' ' << id;
  for (const lw::SceneEntry& s : h.scenes) {
    out << '|' << s.row << ' ' << s.column << ' ' << s.hasOwnScript << ' ' << s.building << ' '
        << s.floor << ' ' << s.name << ' ' << s.scriptId;
  }
  return out.str();
}

std::string Text(const std::vector<lw::MoveEntry>& moves) {
  std::ostringstream out;
  for (const lw::MoveEntry& m : moves) {
    out << m.fromColumn << ' ' << m.fromRow << ' ' << m.fromDirection << ' ' << m.toColumn << ' '
        << m.toRow << ' ' << m.toDirection << ' ' << m.firstPicture << '|';
  }
  return out.str();
}

std::string Text(const std::vector<lw::StarLink>& links) {
  std::ostringstream out;
  for (const lw::StarLink& l : links) {
    out << l.first.x << ' ' << l.first.y << ' ' << l.first.z << ' ' << l.firstName << ' '
        << l.pathId << ' ' << l.second.x << ' ' << l.second.y << ' ' << l.second.z << ' '
        << l.secondName << '|';
  }
  return out.str();
}

std::string Text(const lw::SetPath& path) {
  std::ostringstream out;
  out << path.totalLength;
  for (const lw::PathPoint& p : path.points)
    out << '|' << p.x << ' ' << p.y << ' ' << p.z << ' ' << p.length;
  return out.str();
}

std::string Text(const lw::GroupHeader& h) {
  std::ostringstream out;
  out << h.scriptId << ' ' << h.name;
  for (std::uint32_t id : h.figures) out << ' ' << id;
  return out.str();
}

std::string Text(const lw::FigureRecord& f) {
  std::ostringstream out;
  out << f.scriptId << ' ' << f.name << '|' << f.set << '|' << f.star;
  for (const lw::PoseEntry& p : f.poses) out << '|' << p.recordId << ' ' << p.name;
  return out.str();
}

std::string Text(const lw::PoseRecord& pose) {
  std::ostringstream out;
  for (std::uint16_t frame : pose.frames) out << frame << ' ';
  for (const lw::PictureEntry& p : pose.pictures) {
    out << '|' << p.recordId << ' ' << p.flags << ' ' << p.view << ' ' << p.top << ' ' << p.left
        << ' ' << p.bottom << ' ' << p.right << ' ' << p.hotV << ' ' << p.hotH << ' ' << p.angle
        << ' ' << p.sizeFactor;
  }
  return out.str();
}

// Reads `record`; when it reads, checks its size against the record's and that its written
// form reads back the same.
template <typename Read, typename Write, typename Size>
void RoundTrip(std::span<const std::uint8_t> record, Read read, Write write, Size entries) {
  auto first = read(record);
  if (!first) return;
  Require(entries(*first) <= record.size());
  const std::vector<std::uint8_t> written = write(*first);
  auto again = read(written);
  Require(again.ok() && Text(*again) == Text(*first));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> record(data, size);
  RoundTrip(record, lw::ReadSetHeader, lw::WriteSetHeader, [](const lw::SetHeader& h) {
    return lw::kSetHeaderFixedBytes + h.scenes.size() * lw::kSceneEntryBytes;
  });
  if (size >= 4) {
    const std::uint32_t count =
        static_cast<std::uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16)) |
        (static_cast<std::uint32_t>(data[3]) << 24);
    RoundTrip(
        record, [count](auto bytes) { return lw::ReadMoveTable(bytes, count); },
        [](const auto& moves) { return lw::WriteMoveTable(moves); },
        [](const auto& moves) { return moves.size() * lw::kMoveEntryBytes; });
  }
  RoundTrip(
      record, lw::ReadStarRecord, [](const auto& links) { return lw::WriteStarRecord(links); },
      [](const auto& links) { return 28 + links.size() * lw::kStarLinkBytes; });
  RoundTrip(record, lw::ReadPath, lw::WritePath,
            [](const lw::SetPath& path) { return 16 + path.points.size() * 8; });
  RoundTrip(record, lw::ReadGroupHeader, lw::WriteGroupHeader, [](const lw::GroupHeader& h) {
    return lw::kGroupHeaderFixedBytes + h.figures.size() * 16;
  });
  RoundTrip(record, lw::ReadFigureRecord, lw::WriteFigureRecord, [](const lw::FigureRecord& f) {
    return lw::kFigureRecordFixedBytes + f.poses.size() * 32;
  });
  RoundTrip(record, lw::ReadPoseRecord, lw::WritePoseRecord, [](const lw::PoseRecord& p) {
    return lw::kPoseRecordFixedBytes + p.pictures.size() * lw::kPictureEntryBytes;
  });
  return 0;
}
