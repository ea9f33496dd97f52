#include "objects/cast_file.h"

#include <algorithm>

#include "common/byte_io.h"
#include "objects/stored_name.h"

namespace lw {
namespace {

constexpr std::size_t kGroupScriptOffset = 2340;
constexpr std::size_t kFigureEntryBytes = 16;
constexpr std::size_t kFigureScriptOffset = 38;
constexpr std::size_t kPoseEntryBytes = 32;
constexpr std::size_t kPoseEntryUnreadBytes = 12;
constexpr std::size_t kFramesOffset = 46;
constexpr std::size_t kFrameCountOffset = 112;
static_assert(kFramesOffset + kMaxPoseFrames * 2 == kFrameCountOffset);
static_assert(kGroupScriptOffset + 4 + kStoredNameBytes + 4 == kGroupHeaderFixedBytes);
static_assert(kFigureScriptOffset + 4 + 3 * kStoredNameBytes + 4 == kFigureRecordFixedBytes);
static_assert(kFrameCountOffset + 2 + 4 == kPoseRecordFixedBytes);

PictureEntry ReadPicture(ByteReader& in) {
  PictureEntry p;
  p.recordId = in.u32();
  p.flags = in.u16();
  in.skip(2);
  p.view = in.u16();
  in.skip(8);
  p.top = in.i16();
  p.left = in.i16();
  p.bottom = in.i16();
  p.right = in.i16();
  p.hotV = in.i16();
  p.hotH = in.i16();
  in.skip(10);
  p.angle = in.u16();
  p.sizeFactor = in.i16();
  return p;
}

void WritePicture(ByteWriter& out, const PictureEntry& p) {
  out.u32(p.recordId);
  out.u16(p.flags);
  out.zeros(2);
  out.u16(p.view);
  out.zeros(8);
  out.i16(p.top);
  out.i16(p.left);
  out.i16(p.bottom);
  out.i16(p.right);
  out.i16(p.hotV);
  out.i16(p.hotH);
  out.zeros(10);
  out.u16(p.angle);
  out.i16(p.sizeFactor);
}

}  // namespace

Expected<GroupHeader, std::string> ReadGroupHeader(std::span<const std::uint8_t> record) {
  ByteReader in(record);
  in.skip(kGroupScriptOffset);
  GroupHeader header;
  header.scriptId = in.u32();
  const bool named = ReadStoredName(in, header.name);
  const std::uint32_t count = in.u32();
  if (in.failed()) {
    return Unexpected{"group header of " + SizeText(record.size()) + ", fewer than " +
                      std::to_string(kGroupHeaderFixedBytes)};
  }
  if (!named) return Unexpected{std::string("group name longer than 15")};
  if (!CountFits(count, kFigureEntryBytes, kGroupHeaderFixedBytes, record.size())) {
    return Unexpected{std::to_string(count) + " figures do not fit a group header of " +
                      SizeText(record.size())};
  }
  header.figures.resize(count);
  for (std::uint32_t& id : header.figures) {
    id = in.u32();
    in.skip(kFigureEntryBytes - 4);
  }
  return header;
}

Expected<FigureRecord, std::string> ReadFigureRecord(std::span<const std::uint8_t> record) {
  if (record.size() < kFigureRecordFixedBytes) {
    return Unexpected{"figure record of " + SizeText(record.size()) + ", fewer than " +
                      std::to_string(kFigureRecordFixedBytes)};
  }
  ByteReader in(record);
  in.skip(kFigureScriptOffset);
  FigureRecord figure;
  figure.scriptId = in.u32();
  if (!ReadStoredName(in, figure.name) || !ReadStoredName(in, figure.set) ||
      !ReadStoredName(in, figure.star)) {
    return Unexpected{std::string("figure name longer than 15")};
  }
  const std::uint32_t count = in.u32();
  if (!CountFits(count, kPoseEntryBytes, kFigureRecordFixedBytes, record.size())) {
    return Unexpected{std::to_string(count) + " poses do not fit a figure record of " +
                      SizeText(record.size())};
  }
  figure.poses.resize(count);
  for (PoseEntry& pose : figure.poses) {
    pose.recordId = in.u32();
    in.skip(kPoseEntryUnreadBytes);
    if (!ReadStoredName(in, pose.name)) return Unexpected{std::string("pose name longer than 15")};
  }
  return figure;
}

Expected<PoseRecord, std::string> ReadPoseRecord(std::span<const std::uint8_t> record) {
  if (record.size() < kPoseRecordFixedBytes) {
    return Unexpected{"pose record of " + SizeText(record.size()) + ", fewer than " +
                      std::to_string(kPoseRecordFixedBytes)};
  }
  ByteReader in(record);
  in.skip(kFrameCountOffset);
  const std::int16_t frames = in.i16();
  const std::uint32_t count = in.u32();
  if (frames < 0 || static_cast<std::size_t>(frames) > kMaxPoseFrames) {
    return Unexpected{std::to_string(frames) + " frames, not 0 to 33"};
  }
  if (!CountFits(count, kPictureEntryBytes, kPoseRecordFixedBytes, record.size())) {
    return Unexpected{std::to_string(count) + " pictures do not fit a pose record of " +
                      SizeText(record.size())};
  }
  PoseRecord pose;
  ByteReader sequence(record.subspan(kFramesOffset));
  pose.frames.resize(static_cast<std::size_t>(frames));
  for (std::uint16_t& frame : pose.frames) frame = sequence.u16();
  pose.pictures.resize(count);
  for (PictureEntry& picture : pose.pictures) picture = ReadPicture(in);
  return pose;
}

std::vector<std::uint8_t> WriteGroupHeader(const GroupHeader& header) {
  ByteWriter out;
  out.zeros(kGroupScriptOffset);
  out.u32(header.scriptId);
  WriteStoredName(out, header.name);
  out.u32(static_cast<std::uint32_t>(header.figures.size()));
  for (const std::uint32_t id : header.figures) {
    out.u32(id);
    out.zeros(kFigureEntryBytes - 4);
  }
  return out.take();
}

std::vector<std::uint8_t> WriteFigureRecord(const FigureRecord& figure) {
  ByteWriter out;
  out.zeros(kFigureScriptOffset);
  out.u32(figure.scriptId);
  WriteStoredName(out, figure.name);
  WriteStoredName(out, figure.set);
  WriteStoredName(out, figure.star);
  out.u32(static_cast<std::uint32_t>(figure.poses.size()));
  for (const PoseEntry& pose : figure.poses) {
    out.u32(pose.recordId);
    out.zeros(kPoseEntryUnreadBytes);
    WriteStoredName(out, pose.name);
  }
  return out.take();
}

std::vector<std::uint8_t> WritePoseRecord(const PoseRecord& pose) {
  ByteWriter out;
  const std::size_t frames = std::min(pose.frames.size(), kMaxPoseFrames);
  out.zeros(kFramesOffset);
  for (std::size_t i = 0; i < frames; ++i) out.u16(pose.frames[i]);
  out.zeros(kFrameCountOffset - out.data().size());
  out.i16(static_cast<std::int16_t>(frames));
  out.u32(static_cast<std::uint32_t>(pose.pictures.size()));
  for (const PictureEntry& picture : pose.pictures) WritePicture(out, picture);
  return out.take();
}

}  // namespace lw
